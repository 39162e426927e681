#include "UserListBox.h"

#include "UserNameIndex.h"
#include "app/ClipboardText.h"

#include <QCursor>
#include <QKeyEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QScrollBar>
#include <QStyledItemDelegate>

namespace {

// Cuts the name before the style measures it; the style then elides what is left to the width.
class ShortenedNameDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QString displayText(const QVariant &value, const QLocale &locale) const override
    {
        const QString name = value.toString();
        if (name.size() <= UserListBox::shownCharacters)
            return QStyledItemDelegate::displayText(value, locale);
        return name.left(UserListBox::shownCharacters - 1) + QChar(0x2026);
    }
};

} // namespace

UserListBox::UserListBox(QWidget *parent)
    : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setItemDelegate(new ShortenedNameDelegate(this));
    m_names = new UserNameIndex(*this);
}

// The list's model goes with the widget's children and says it was reset as it goes, when nothing
// of the list is left for the index to read.
UserListBox::~UserListBox()
{
    delete m_names;
}

int UserListBox::findName(const QString &name, int from) const
{
    return m_names->find(name, from);
}

QRect UserListBox::visualRect(const QModelIndex &index) const
{
    if (!index.isValid() || index.model() != model())
        return QRect();
    const QSize size = rowSize();
    return QRect(QPoint(-horizontalOffset(), index.row() * size.height() - verticalOffset()), size);
}

QModelIndex UserListBox::indexAt(const QPoint &point) const
{
    if (point.y() < 0 || point.x() + horizontalOffset() >= rowSize().width())
        return QModelIndex();
    return indexOfRow(rowAtContentsY(point.y() + verticalOffset()));
}

void UserListBox::scrollTo(const QModelIndex &index, ScrollHint hint)
{
    QScrollBar *bar = verticalScrollBar();
    const int before = bar->value();
    QListWidget::scrollTo(index, hint);
    if (bar->value() != before)
        bar->setValue(wholeRows(bar->value()));
}

// A change of the list costs one measure of the first row, never a pass over every row.
void UserListBox::doItemsLayout()
{
    const int lastRowShown = rowAtContentsY(verticalOffset() + viewport()->height() - 1);
    const bool repaint = m_firstRowChanged == NoRowChanged || m_firstRowChanged <= lastRowShown;
    m_firstRowChanged = NoRowChanged;
    m_firstRowSize = QSize();
    if (repaint) {
        QAbstractItemView::doItemsLayout();
        return;
    }
    updateGeometries();
}

void UserListBox::rowsInserted(const QModelIndex &parent, int start, int end)
{
    m_firstRowChanged = qMin(m_firstRowChanged, start);
    QListWidget::rowsInserted(parent, start, end);
}

void UserListBox::rowsAboutToBeRemoved(const QModelIndex &parent, int start, int end)
{
    m_firstRowChanged = qMin(m_firstRowChanged, start);
    QListWidget::rowsAboutToBeRemoved(parent, start, end);
}

// Page keys move by a viewport less one row, as list boxes do; left and right have no column to go to.
QModelIndex UserListBox::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers)
{
    if (count() == 0)
        return QModelIndex();
    const int current = currentIndex().isValid() ? currentIndex().row() : 0;
    const int rowHeight = rowSize().height();
    const int page = (viewport()->height() - 2 * rowHeight + rowHeight / 2) / rowHeight;
    int row = current;
    switch (cursorAction) {
    case MoveUp:
    case MovePrevious:
        row = current - 1;
        break;
    case MoveDown:
    case MoveNext:
        row = current + 1;
        break;
    case MovePageUp:
        row = current - qMax(page, 1);
        break;
    case MovePageDown:
        row = current + qMax(page, 1);
        break;
    case MoveHome:
        row = 0;
        break;
    case MoveEnd:
        row = count() - 1;
        break;
    case MoveLeft:
    case MoveRight:
        break;
    }
    return indexOfRow(qBound(0, row, count() - 1));
}

void UserListBox::setSelection(const QRect &rect, QItemSelectionModel::SelectionFlags command)
{
    const QRect area = rect.normalized();
    const QModelIndex top = indexOfRow(qMax(rowAtContentsY(area.top() + verticalOffset()), 0));
    const QModelIndex bottom = indexOfRow(qMin(rowAtContentsY(area.bottom() + verticalOffset()), count() - 1));
    if (!top.isValid() || !bottom.isValid()) {
        selectionModel()->select(QItemSelection(), command);
        return;
    }
    selectionModel()->select(QItemSelection(top, bottom), command);
}

QRegion UserListBox::visualRegionForSelection(const QItemSelection &selection) const
{
    QRegion region;
    for (const QItemSelectionRange &range : selection) {
        if (range.isValid() && range.model() == model())
            region += visualRect(range.topLeft()).united(visualRect(range.bottomRight()));
    }
    return region;
}

void UserListBox::updateGeometries()
{
    const QSize row = rowSize();
    verticalScrollBar()->setSingleStep(row.height());
    verticalScrollBar()->setPageStep(qMax(viewport()->height() / row.height(), 1) * row.height());
    verticalScrollBar()->setRange(0, wholeRows(qMax(0, count() * row.height() - viewport()->height())));
    horizontalScrollBar()->setSingleStep(fontMetrics().averageCharWidth());
    horizontalScrollBar()->setPageStep(viewport()->width());
    horizontalScrollBar()->setRange(0, row.width() - viewport()->width());
    QAbstractItemView::updateGeometries();
}

// The rows' pixels move with the scroll bar; a list view would first look for a layout of its rows.
void UserListBox::scrollContentsBy(int dx, int dy)
{
    QAbstractItemView::scrollContentsBy(dx, dy);
}

void UserListBox::paintEvent(QPaintEvent *event)
{
    if (count() == 0)
        return;
    QPainter painter(viewport());
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const int offset = verticalOffset();
    const int first = qMax(rowAtContentsY(event->rect().top() + offset), 0);
    const int last = qMin(rowAtContentsY(event->rect().bottom() + offset), count() - 1);
    const QModelIndex underMouse = viewport()->underMouse() ? indexAt(viewport()->mapFromGlobal(QCursor::pos()))
                                                            : QModelIndex();
    for (int row = first; row <= last; ++row)
        paintRow(painter, option, indexOfRow(row), underMouse);
}

QSize UserListBox::rowSize() const
{
    if (!m_firstRowSize.isValid()) {
        QStyleOptionViewItem option;
        initViewItemOption(&option);
        const QModelIndex first = indexOfRow(0);
        m_firstRowSize = first.isValid() ? itemDelegateForIndex(first)->sizeHint(option, first)
                                         : QSize(0, fontMetrics().height());
        m_firstRowSize.setHeight(qMax(m_firstRowSize.height(), 1));
    }
    return QSize(qMax(m_firstRowSize.width(), viewport()->width()), m_firstRowSize.height());
}

int UserListBox::wholeRows(int pixels) const
{
    const int rowHeight = rowSize().height();
    return (pixels + rowHeight - 1) / rowHeight * rowHeight;
}

int UserListBox::rowAtContentsY(int y) const
{
    return y < 0 ? -1 : y / rowSize().height();
}

QModelIndex UserListBox::indexOfRow(int row) const
{
    return model()->index(row, 0, rootIndex());
}

// As a list view paints a row: selected, current with the focus, under the mouse, enabled or not.
void UserListBox::paintRow(QPainter &painter, QStyleOptionViewItem option, const QModelIndex &index,
                           const QModelIndex &underMouse) const
{
    option.rect = visualRect(index);
    option.state.setFlag(QStyle::State_MouseOver, index == underMouse);
    if (selectionModel()->isSelected(index))
        option.state |= QStyle::State_Selected;
    const bool enabled = (option.state & QStyle::State_Enabled) && (model()->flags(index) & Qt::ItemIsEnabled);
    option.state.setFlag(QStyle::State_Enabled, enabled);
    option.palette.setCurrentColorGroup(!enabled ? QPalette::Disabled
                                        : isActiveWindow() ? QPalette::Active
                                                           : QPalette::Inactive);
    if (index == currentIndex() && (hasFocus() || viewport()->hasFocus()))
        option.state |= QStyle::State_HasFocus;
    itemDelegateForIndex(index)->paint(&painter, option, index);
}

void UserListBox::keyPressEvent(QKeyEvent *event)
{
    if (event != QKeySequence::Copy) {
        QListWidget::keyPressEvent(event);
        return;
    }
    if (const QListWidgetItem *item = currentItem())
        ClipboardText::copy(item->text());
    event->accept();
}
