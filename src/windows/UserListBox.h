#pragma once

#include <QListWidget>

#include <limits>

class UserNameIndex;

// The main window's user list: one name per row, in the order added. Each entry keeps the name as
// the dispatcher gave it (it compares it, private messages go to it); the list shows at most
// shownCharacters of it, elided, because painting measures what it shows and a name may be tens of
// thousands of characters long. Ctrl+C copies the selected name whole, its control characters as
// U+FFFD.
//
// Every row is as high and as wide as the first, so where a row stands is arithmetic: adding or
// removing a name costs the same in a list of ten and in a full room of ten thousand, where a list
// view lays out every row again after each change. Scrolling counts pixels (a list view computes
// those from the rows' rectangles alone) and stops on whole rows, as a list box does.
class UserListBox : public QListWidget
{
    Q_OBJECT
public:
    static constexpr int shownCharacters = 256;

    explicit UserListBox(QWidget *parent = nullptr);
    ~UserListBox() override;

    // The position of the first entry equal to name at or after from, or -1; found through an
    // index of the names, not by walking the list.
    int findName(const QString &name, int from) const;

    QRect visualRect(const QModelIndex &index) const override;
    QModelIndex indexAt(const QPoint &point) const override;
    void scrollTo(const QModelIndex &index, ScrollHint hint = EnsureVisible) override;
    void doItemsLayout() override;

protected slots:
    void rowsInserted(const QModelIndex &parent, int start, int end) override;
    void rowsAboutToBeRemoved(const QModelIndex &parent, int start, int end) override;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    void setSelection(const QRect &rect, QItemSelectionModel::SelectionFlags command) override;
    QRegion visualRegionForSelection(const QItemSelection &selection) const override;
    void updateGeometries() override;
    void scrollContentsBy(int dx, int dy) override;
    void paintEvent(QPaintEvent *event) override;

private:
    // The size of every row: the first row's, at least as wide as the viewport.
    QSize rowSize() const;
    // Pixels rounded up to whole rows.
    int wholeRows(int pixels) const;
    int rowAtContentsY(int y) const;
    QModelIndex indexOfRow(int row) const;
    void paintRow(QPainter &painter, QStyleOptionViewItem option, const QModelIndex &index,
                  const QModelIndex &underMouse) const;

    static constexpr int NoRowChanged = std::numeric_limits<int>::max();

    UserNameIndex *m_names;
    // The first row that names added or removed since the last layout have moved; a name that
    // comes or goes below the rows shown repaints nothing. NoRowChanged when the layout is asked
    // for by anything else, which repaints every row shown.
    int m_firstRowChanged = NoRowChanged;
    // The first row's size as its delegate gives it, measured again after every change of the list.
    mutable QSize m_firstRowSize;
};
