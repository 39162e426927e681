#pragma once

#include "PageSearch.h"
#include "PageText.h"
#include "RowDocuments.h"
#include "RowHeights.h"
#include "RowLinks.h"
#include "RowSelection.h"
#include "TranscriptPage.h"

#include <QAbstractScrollArea>
#include <QElapsedTimer>
#include <QList>
#include <QPoint>
#include <QString>
#include <QTimer>

#include <memory>
#include <optional>

class QPainter;
class QPrinter;
class QRegion;
class TranscriptPrint;

// The conversation page: kept as its HTML source (the head fragments, then every appended fragment
// in order) and shown by rendering each fragment on its own, so an append costs the same at any
// length. Only the rows on screen are laid out (a bounded number stay laid out); the others keep
// their source and their height. Appends and scrolling are shown at most once a frame. Sits in the
// main window as txtHistory.
class TranscriptView : public QAbstractScrollArea
{
    Q_OBJECT
public:
    explicit TranscriptView(QWidget *parent = nullptr);
    ~TranscriptView() override;

    // The page source: the concatenation of everything written since the last clearPage().
    QString pageSource() const;

    // Writes the 24 fixed head fragments (style sheet). No scrolling.
    void WritePageHead();
    // Writes one fragment at the end of the page, without scrolling.
    void write(const QString &fragment);
    // Writes one fragment and brings the end of the page into view.
    void AppendHistory(const QString &html);
    // Empties the page (source and view).
    void clearPage();
    // Prints the whole page as rendered, as it stands now, a piece at a time from the event loop
    // (see TranscriptPrint). Clearing the page cancels it.
    TranscriptPrint *printPage(std::unique_ptr<QPrinter> printer);

    // The selected text, one line per row, pictures left out.
    QString selectedText() const;
    // Puts the selected text on the clipboard (Ctrl+C), control characters as U+FFFD.
    void copy() const;
    // Selects the whole page (Ctrl+A).
    void selectAll();
    // The address of the link at a point of the viewport, or an empty string.
    QString anchorAt(const QPoint &viewportPosition) const;
    // The text the page shows, one line per row, for assistive technology; from the first call on,
    // each row written is announced to it.
    const QString &pageText() const;
    // The page as its source keeps it, for saving.
    const TranscriptPage &page() const { return m_page; }

    // Finding text in the rows: every match on screen is marked, the current one is selected and
    // scrolled to. The first match current is the one at or after the top row shown when finding
    // began (the newest before it when there is none after), and Next and Previous walk round the
    // page. Rows written meanwhile are searched as they come.
    void beginFind();
    void find(const QString &text, Qt::CaseSensitivity sensitivity);
    void findNext();
    void findPrevious();
    // The marks go; the current match stays selected.
    void endFind();
    const PageSearch &search() const { return m_search; }
    // A child shown under the rows while it is visible (the find bar).
    void setBottomWidget(QWidget *widget);

signals:
    // A right click or context-menu key in the view: the main window shows mnuHistory there.
    void contextMenuRequested(const QPoint &globalPosition);
    // Rows written brought more matches of the text being found.
    void matchesChanged();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    // Tab and Shift+Tab walk the links of the rows on screen before leaving the view.
    bool focusNextPrevChild(bool next) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct VisibleRow
    {
        int row;
        int y;
        int height;
    };

    void cancelPrints();
    void scheduleFrame();
    void showFrame();
    bool showMovedRows(const QList<VisibleRow> &before, int reach);
    void relayout();
    void restyle();
    int rowWidth() const;
    int measure(int row);
    void anchorAtEnd();
    void collectVisibleRows();
    void collectRowsInkingTheView(int row, int edge, int direction);
    void drawRow(QPainter &painter, const VisibleRow &visible, const QRegion &region) const;
    void jumpTo(qint64 y);
    void moveTop(int pixels);
    void syncScrollBar();
    const VisibleRow *visibleRowAt(int y) const;
    RowSelection::Point pointAt(const QPoint &viewportPosition) const;
    QString selectedTextOf(int row, RowSelection::Range range) const;
    void openLink(const QString &href) const;
    void announceNewText(int textBefore);
    bool moveLinkFocus(bool next);
    void clearLinkFocus();
    void selectCurrentMatch();
    void scrollToMatch(int row, int y, int height);
    void placeBottomWidget();

    TranscriptPage m_page;
    RowHeights m_heights;
    mutable RowDocuments m_documents;
    RowSelection m_selection;
    mutable PageText m_pageText;
    PageSearch m_search;
    int m_findAnchor = 0;
    QWidget *m_bottomWidget = nullptr;
    // Once assistive technology has read the page, every new row is told to it.
    mutable bool m_pageTextAsked = false;
    QList<VisibleRow> m_visible;
    // Rows just outside the view whose glyphs reach into it: drawn, never pointed at.
    QList<VisibleRow> m_inkOnly;
    // How far the glyphs of the rows on screen reach past their rows' rectangles.
    int m_inkReach = 0;
    int m_topRow = 0;
    int m_topOffset = 0; // pixels of the top row above the viewport; less than 0 when the page's top margin shows
    bool m_endWanted = false;
    bool m_syncingScrollBar = false;
    int m_scrollValue = 0;
    QTimer m_frameTimer;
    QElapsedTimer m_sinceFrame;
    bool m_selecting = false;
    QPoint m_pressPosition;
    QString m_pressedLink;
    // The link the keyboard is on: its row, and where it runs there. Enter opens it.
    struct FocusedLink
    {
        int row;
        RowLinks::Link link;
    };
    std::optional<FocusedLink> m_focusedLink;
};
