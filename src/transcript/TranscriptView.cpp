#include "TranscriptView.h"

#include "LinkPolicy.h"
#include "MatchMarks.h"
#include "TranscriptAccessible.h"
#include "TranscriptPrint.h"
#include "UserWrittenText.h"

#include "app/ClipboardText.h"

#include <QAbstractTextDocumentLayout>
#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPrinter>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QStyleHints>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Rows written are shown at most 30 times a second, those that come faster together: text moving
// up reads as smoothly, and a flood costs half the drawing it would at 60. Scrolling by the user is
// shown at once.
constexpr int frameMilliseconds = 33;
constexpr int sideMargin = 4;
// Room above the first row: marks over its capitals reach above the row's own top.
constexpr int topMargin = 4;

int clampedToInt(qint64 value)
{
    return int(std::clamp<qint64>(value, 0, std::numeric_limits<int>::max()));
}

int lastPosition(const QTextDocument *document)
{
    return document->characterCount() - 1;
}

// The selection as plain text: paragraph and line breaks as new lines, pictures left out.
QString plainText(QString text)
{
    text.replace(QChar::ParagraphSeparator, u'\n');
    text.replace(QChar::LineSeparator, u'\n');
    text.replace(QChar::Nbsp, u' ');
    text.remove(QChar::ObjectReplacementCharacter);
    text = UserWrittenText::withoutIsolates(text);
    // A table's frame starts and ends with markers of the engine's own.
    text.remove(QChar(0xFDD0));
    text.remove(QChar(0xFDD1));
    // A row in a table has an empty paragraph before and after it.
    while (text.startsWith(u'\n'))
        text.remove(0, 1);
    while (text.endsWith(u'\n'))
        text.chop(1);
    return text;
}

} // namespace

TranscriptView::TranscriptView(QWidget *parent)
    : QAbstractScrollArea(parent)
{
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    // Opaque, so the scroll bar, drawn again with every frame of a flood, is drawn over the view's
    // own background and not over whatever stands behind the view (the chat window's stretched skin).
    setAutoFillBackground(true);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setMouseTracking(true);
    TranscriptAccessible::install();
    m_frameTimer.setSingleShot(true);
    connect(&m_frameTimer, &QTimer::timeout, this, &TranscriptView::showFrame);
    m_topOffset = -topMargin;
}

// Prints still running read the page, which goes before they would as children.
TranscriptView::~TranscriptView()
{
    cancelPrints();
}

QString TranscriptView::pageSource() const
{
    return m_page.source();
}

void TranscriptView::WritePageHead()
{
    const int first = m_page.fragmentCount();
    m_page.writeHead();
    for (int i = first; i < m_page.fragmentCount(); ++i)
        m_heights.appendFixed(0);
    restyle();
}

void TranscriptView::write(const QString &fragment)
{
    const int textBefore = m_pageTextAsked ? int(pageText().size()) : -1;
    m_page.write(fragment);
    m_heights.appendEstimated();
    scheduleFrame();
    if (textBefore >= 0)
        announceNewText(textBefore);
    if (m_search.readNewRows(m_page))
        emit matchesChanged();
}

// A screen reader reads a new row out as it arrives.
void TranscriptView::announceNewText(int textBefore)
{
    const QString &text = pageText();
    if (text.size() == textBefore)
        return;
    QAccessibleTextInsertEvent inserted(this, textBefore, text.mid(textBefore));
    QAccessible::updateAccessibility(&inserted);
}

const QString &TranscriptView::pageText() const
{
    m_pageTextAsked = true;
    return m_pageText.of(m_page);
}

void TranscriptView::AppendHistory(const QString &html)
{
    write(html);
    m_endWanted = true;
}

void TranscriptView::clearPage()
{
    // A print reads the rows it has not printed yet from the page.
    cancelPrints();
    m_page.clear();
    m_pageText.clear();
    m_focusedLink.reset();
    m_heights.clear();
    m_documents.images().clear();
    m_selection.clear();
    m_visible.clear();
    m_inkOnly.clear();
    m_topRow = 0;
    m_topOffset = -topMargin;
    m_endWanted = false;
    restyle();
    // Finding goes on in the rows written from now on.
    if (m_search.isActive()) {
        m_search.pageCleared(m_page);
        emit matchesChanged();
    }
}

TranscriptPrint *TranscriptView::printPage(std::unique_ptr<QPrinter> printer)
{
    return new TranscriptPrint(std::move(printer), m_page, m_documents, this);
}

void TranscriptView::cancelPrints()
{
    for (TranscriptPrint *print : findChildren<TranscriptPrint *>(Qt::FindDirectChildrenOnly))
        print->cancel();
}

// Frames ----------------------------------------------------------------------------------------

void TranscriptView::scheduleFrame()
{
    if (m_frameTimer.isActive())
        return;
    const qint64 sinceFrame = m_sinceFrame.isValid() ? m_sinceFrame.elapsed() : frameMilliseconds;
    m_frameTimer.start(int(std::clamp<qint64>(frameMilliseconds - sinceFrame, 0, frameMilliseconds)));
}

void TranscriptView::showFrame()
{
    // A hidden page is laid out when it is shown again.
    if (!isVisible())
        return;
    m_sinceFrame.start();
    const QList<VisibleRow> before = m_visible;
    const int reachBefore = m_inkReach;
    const QSize sizeBefore = viewport()->size();
    relayout();
    if (viewport()->size() != sizeBefore || !showMovedRows(before, std::max(reachBefore, m_inkReach)))
        viewport()->update();
}

// In a flood the rows on screen mostly only move up: their pixels are moved and only what is new is
// drawn, instead of every row again each frame. False when the rows shown before changed otherwise.
// Glyphs reach past their rows by up to `reach`: a new row is drawn together with what its
// neighbours draw into it and it into them. (A row gone past the top still draws its descenders
// into the view: what was drawn of it moves with it.)
bool TranscriptView::showMovedRows(const QList<VisibleRow> &before, int reach)
{
    std::optional<int> shift;
    for (const VisibleRow &now : std::as_const(m_visible)) {
        const auto earlier = std::find_if(before.cbegin(), before.cend(),
                                          [&](const VisibleRow &row) { return row.row == now.row; });
        if (earlier == before.cend())
            continue;
        if (earlier->height != now.height || (shift && *shift != now.y - earlier->y))
            return false;
        shift = now.y - earlier->y;
    }
    if (!shift || *shift > 0 || -*shift >= viewport()->height())
        return false;
    viewport()->scroll(0, *shift);
    for (const VisibleRow &now : std::as_const(m_visible)) {
        if (std::none_of(before.cbegin(), before.cend(), [&](const VisibleRow &row) { return row.row == now.row; }))
            viewport()->update(QRect(0, now.y - reach, viewport()->width(), now.height + 2 * reach));
    }
    return true;
}

void TranscriptView::restyle()
{
    m_documents.setStyle(m_page.styleSheet());
    m_heights.forgetMeasurements();
    m_visible.clear();
    m_inkOnly.clear();
    scheduleFrame();
}

// Layout ----------------------------------------------------------------------------------------

int TranscriptView::rowWidth() const
{
    return std::max(1, viewport()->width() - 2 * sideMargin);
}

int TranscriptView::measure(int row)
{
    if (!m_page.isRow(row) || (m_heights.isMeasured(row) && m_heights.height(row) == 0))
        return 0;
    TranscriptDocument *document = m_documents.layout(row, m_page.fragment(row));
    const int height = document->showsSomething() ? int(std::ceil(document->size().height())) : 0;
    if (height == 0)
        m_documents.forget(row);
    if (!m_heights.isMeasured(row) || m_heights.height(row) != height)
        m_heights.setMeasured(row, height);
    return height;
}

void TranscriptView::relayout()
{
    if (m_documents.width() != rowWidth()) {
        m_documents.setWidth(rowWidth());
        m_heights.forgetMeasurements();
    }
    if (m_endWanted || m_topRow >= m_heights.count()) {
        m_endWanted = false;
        anchorAtEnd();
    }
    collectVisibleRows();
    // Rows that got shorter, or a taller window, can leave room below the last row: fill it.
    const bool roomBelow = m_visible.isEmpty() || m_visible.last().y + m_visible.last().height < viewport()->height();
    const bool scrolled = m_topRow > 0 || m_topOffset > -topMargin;
    if (roomBelow && scrolled) {
        anchorAtEnd();
        collectVisibleRows();
    }
    syncScrollBar();
    m_documents.trim(int(m_visible.size() + m_inkOnly.size()));
}

void TranscriptView::anchorAtEnd()
{
    int room = viewport()->height();
    for (int row = m_heights.count() - 1; row >= 0; --row) {
        const int height = measure(row);
        if (height >= room) {
            m_topRow = row;
            m_topOffset = height - room;
            return;
        }
        room -= height;
    }
    m_topRow = 0;
    m_topOffset = -std::min(room, topMargin);
}

void TranscriptView::collectVisibleRows()
{
    m_visible.clear();
    m_inkOnly.clear();
    int y = -m_topOffset;
    int row = m_topRow;
    for (; row < m_heights.count() && y < viewport()->height(); ++row) {
        const int height = measure(row);
        if (height == 0)
            continue;
        m_visible.append({row, y, height});
        y += height;
    }
    collectRowsInkingTheView(m_topRow - 1, -m_topOffset, -1);
    collectRowsInkingTheView(row, y, 1);
    m_inkReach = 0;
    for (const QList<VisibleRow> *rows : {&m_visible, &m_inkOnly})
        for (const VisibleRow &visible : *rows)
            m_inkReach = std::max(m_inkReach, m_documents.glyphReach(visible.row));
}

// The rows outside the view whose glyphs still reach into it, from `row` on in `direction`; `edge`
// is where the row before them ends (or the row after begins).
void TranscriptView::collectRowsInkingTheView(int row, int edge, int direction)
{
    for (; row >= 0 && row < m_heights.count(); row += direction) {
        const int height = measure(row);
        if (height == 0)
            continue;
        const int reach = m_documents.glyphReach(row);
        const int top = direction < 0 ? edge - height : edge;
        if (top + height + reach <= 0 || top - reach >= viewport()->height())
            return;
        m_inkOnly.append({row, top, height});
        edge += direction * height;
    }
}

void TranscriptView::jumpTo(qint64 y)
{
    if (y - topMargin >= m_heights.total()) {
        anchorAtEnd();
        return;
    }
    if (y < topMargin) {
        m_topRow = 0;
        m_topOffset = int(y) - topMargin;
        return;
    }
    const RowHeights::Position position = m_heights.rowAt(y - topMargin);
    m_topRow = position.row;
    m_topOffset = position.offset;
}

void TranscriptView::moveTop(int pixels)
{
    // Walks row by row, measuring what it passes, so the rows on screen move by exactly `pixels`
    // even where the heights were only estimated.
    m_topOffset += pixels;
    while (m_topOffset < 0 && m_topRow > 0)
        m_topOffset += measure(--m_topRow);
    m_topOffset = std::max(m_topOffset, m_topRow == 0 ? -topMargin : 0);
    while (m_topRow < m_heights.count() && m_topOffset >= measure(m_topRow))
        m_topOffset -= m_heights.height(m_topRow++);
}

void TranscriptView::syncScrollBar()
{
    const QScopedValueRollback syncing(m_syncingScrollBar, true);
    QScrollBar *bar = verticalScrollBar();
    const int viewHeight = viewport()->height();
    bar->setRange(0, clampedToInt(topMargin + m_heights.total() - viewHeight));
    bar->setPageStep(viewHeight);
    bar->setSingleStep(fontMetrics().lineSpacing());
    m_scrollValue = clampedToInt(topMargin + m_heights.top(m_topRow) + m_topOffset);
    bar->setValue(m_scrollValue);
}

void TranscriptView::scrollContentsBy(int, int)
{
    if (m_syncingScrollBar)
        return;
    const int value = verticalScrollBar()->value();
    const int delta = value - m_scrollValue;
    if (verticalScrollBar()->isSliderDown() || std::abs(delta) >= viewport()->height())
        jumpTo(value);
    else
        moveTop(delta);
    relayout();
    viewport()->update();
}

// Events ----------------------------------------------------------------------------------------

void TranscriptView::paintEvent(QPaintEvent *event)
{
    QPainter painter(viewport());
    for (const QList<VisibleRow> *rows : {&m_inkOnly, &m_visible})
        for (const VisibleRow &visible : *rows)
            drawRow(painter, visible, event->region());
}

void TranscriptView::drawRow(QPainter &painter, const VisibleRow &visible, const QRegion &region) const
{
    const TranscriptDocument *document = m_documents.find(visible.row);
    const QRect area(sideMargin, visible.y, rowWidth(), visible.height);
    // The glyphs of a row reach into the side margins and the rows around it.
    const QRect inked(0, visible.y - m_inkReach, viewport()->width(), visible.height + 2 * m_inkReach);
    const QRect drawnHere = region.intersected(inked).boundingRect();
    if (document == nullptr || drawnHere.isEmpty())
        return;
    QAbstractTextDocumentLayout::PaintContext context;
    context.palette = palette();
    // The clip lets the layout skip the lines of a tall row that draw nothing here.
    context.clip = QRectF(drawnHere.adjusted(0, -m_inkReach, 0, m_inkReach)).translated(-area.topLeft());
    if (m_search.countIn(visible.row) > 0)
        context.selections = MatchMarks::marks(*document, m_search.text(), m_search.sensitivity(), QColor(255, 230, 80));
    if (const auto range = m_selection.rangeIn(visible.row)) {
        QTextCursor selected(const_cast<TranscriptDocument *>(document));
        const int end = range->to < 0 ? lastPosition(document) : std::min(range->to, lastPosition(document));
        selected.setPosition(std::min(range->from, lastPosition(document)));
        selected.setPosition(end, QTextCursor::KeepAnchor);
        QAbstractTextDocumentLayout::Selection selection;
        selection.cursor = selected;
        selection.format.setBackground(palette().brush(QPalette::Highlight));
        selection.format.setForeground(palette().brush(QPalette::HighlightedText));
        context.selections.append(selection);
    }
    painter.save();
    painter.translate(area.topLeft());
    document->documentLayout()->draw(&painter, context);
    painter.restore();
}

void TranscriptView::resizeEvent(QResizeEvent *event)
{
    placeBottomWidget();
    const QScrollBar *bar = verticalScrollBar();
    const bool atEnd = bar->value() >= bar->maximum();
    QAbstractScrollArea::resizeEvent(event);
    if (!isVisible())
        return;
    m_endWanted = m_endWanted || atEnd;
    relayout();
    viewport()->update();
}

void TranscriptView::showEvent(QShowEvent *event)
{
    QAbstractScrollArea::showEvent(event);
    relayout();
}

const TranscriptView::VisibleRow *TranscriptView::visibleRowAt(int y) const
{
    const auto row = std::find_if(m_visible.cbegin(), m_visible.cend(),
                                  [y](const VisibleRow &visible) { return y >= visible.y && y < visible.y + visible.height; });
    return row == m_visible.cend() ? nullptr : &*row;
}

RowSelection::Point TranscriptView::pointAt(const QPoint &viewportPosition) const
{
    if (m_visible.isEmpty())
        return {m_topRow, 0};
    // The page's top margin counts as the first row's top line.
    const int y = std::max(viewportPosition.y(), m_visible.first().y);
    const VisibleRow *visible = visibleRowAt(y);
    if (visible == nullptr) {
        const TranscriptDocument *last = m_documents.find(m_visible.last().row);
        return {m_visible.last().row, last != nullptr ? lastPosition(last) : 0};
    }
    const TranscriptDocument *document = m_documents.find(visible->row);
    if (document == nullptr)
        return {visible->row, 0};
    const QPointF inRow(viewportPosition.x() - sideMargin, y - visible->y);
    return {visible->row, std::max(0, document->documentLayout()->hitTest(inRow, Qt::FuzzyHit))};
}

QString TranscriptView::anchorAt(const QPoint &viewportPosition) const
{
    const VisibleRow *visible = visibleRowAt(viewportPosition.y());
    const TranscriptDocument *document = visible != nullptr ? m_documents.find(visible->row) : nullptr;
    if (document == nullptr)
        return {};
    return document->documentLayout()->anchorAt(QPointF(viewportPosition.x() - sideMargin, viewportPosition.y() - visible->y));
}

void TranscriptView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    m_focusedLink.reset();
    const QPoint position = event->position().toPoint();
    m_pressPosition = position;
    m_pressedLink = anchorAt(position);
    if (event->modifiers() & Qt::ShiftModifier)
        m_selection.extendTo(pointAt(position));
    else
        m_selection.start(pointAt(position));
    m_selecting = true;
    viewport()->update();
}

void TranscriptView::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint position = event->position().toPoint();
    viewport()->setCursor(anchorAt(position).isEmpty() ? Qt::IBeamCursor : Qt::PointingHandCursor);
    if (!m_selecting || !(event->buttons() & Qt::LeftButton))
        return;
    // Dragging past the top or bottom edge scrolls the page along.
    if (position.y() < 0 || position.y() >= viewport()->height()) {
        moveTop(position.y() < 0 ? position.y() : position.y() - viewport()->height() + 1);
        relayout();
    }
    const QPoint inside(position.x(), std::clamp(position.y(), 0, std::max(0, viewport()->height() - 1)));
    m_selection.extendTo(pointAt(inside));
    viewport()->update();
}

void TranscriptView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mouseReleaseEvent(event);
        return;
    }
    m_selecting = false;
    const QPoint position = event->position().toPoint();
    const bool clicked = (position - m_pressPosition).manhattanLength() < QApplication::styleHints()->startDragDistance();
    if (clicked && !m_pressedLink.isEmpty() && anchorAt(position) == m_pressedLink) {
        m_selection.clear();
        viewport()->update();
        openLink(m_pressedLink);
    } else if (!m_selection.isEmpty() && QGuiApplication::clipboard()->supportsSelection()) {
        ClipboardText::copy(selectedText(), QClipboard::Selection);
    }
    m_pressedLink.clear();
}

void TranscriptView::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const RowSelection::Point point = pointAt(event->position().toPoint());
    TranscriptDocument *document = m_documents.find(point.row);
    if (document == nullptr)
        return;
    QTextCursor word(document);
    word.setPosition(std::min(point.position, lastPosition(document)));
    word.select(QTextCursor::WordUnderCursor);
    m_selection.start({point.row, word.selectionStart()});
    m_selection.extendTo({point.row, word.selectionEnd()});
    m_selecting = false;
    viewport()->update();
}

void TranscriptView::keyPressEvent(QKeyEvent *event)
{
    const bool activates = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Space;
    if (activates && m_focusedLink) {
        openLink(m_focusedLink->link.href);
    } else if (event == QKeySequence::Copy) {
        copy();
    } else if (event == QKeySequence::SelectAll) {
        selectAll();
    } else if (event == QKeySequence::MoveToStartOfDocument || event->key() == Qt::Key_Home) {
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderToMinimum);
    } else if (event == QKeySequence::MoveToEndOfDocument || event->key() == Qt::Key_End) {
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderToMaximum);
    } else {
        QAbstractScrollArea::keyPressEvent(event);
    }
}

bool TranscriptView::focusNextPrevChild(bool next)
{
    if (hasFocus() && moveLinkFocus(next))
        return true;
    clearLinkFocus();
    return QAbstractScrollArea::focusNextPrevChild(next);
}

// The links of the rows on screen, in reading order; the one after (or before) the link the
// keyboard is on, or the first (or last) when it is on none. False past either end.
bool TranscriptView::moveLinkFocus(bool next)
{
    QList<FocusedLink> links;
    for (const VisibleRow &visible : std::as_const(m_visible)) {
        if (const TranscriptDocument *document = m_documents.find(visible.row)) {
            for (const RowLinks::Link &link : RowLinks::in(*document))
                links.append({visible.row, link});
        }
    }
    qsizetype current = -1;
    for (qsizetype i = 0; m_focusedLink && i < links.size(); ++i) {
        if (links.at(i).row == m_focusedLink->row && links.at(i).link.from == m_focusedLink->link.from)
            current = i;
    }
    const qsizetype wanted = current < 0 ? (next ? 0 : links.size() - 1) : current + (next ? 1 : -1);
    if (wanted < 0 || wanted >= links.size())
        return false;
    m_focusedLink = links.at(wanted);
    m_selection.start({m_focusedLink->row, m_focusedLink->link.from});
    m_selection.extendTo({m_focusedLink->row, m_focusedLink->link.to});
    viewport()->update();
    return true;
}

void TranscriptView::clearLinkFocus()
{
    if (!m_focusedLink)
        return;
    m_focusedLink.reset();
    m_selection.clear();
    viewport()->update();
}

void TranscriptView::contextMenuEvent(QContextMenuEvent *event)
{
    // The program's own menu replaces any menu of the view's; the key opens it over the view.
    const QPoint position = event->reason() == QContextMenuEvent::Keyboard
        ? viewport()->mapToGlobal(viewport()->rect().center())
        : event->globalPos();
    event->accept();
    emit contextMenuRequested(position);
}

// Finding --------------------------------------------------------------------------------------------

void TranscriptView::beginFind()
{
    m_findAnchor = m_topRow;
}

void TranscriptView::find(const QString &text, Qt::CaseSensitivity sensitivity)
{
    m_search.find(m_page, text, sensitivity, m_findAnchor);
    selectCurrentMatch();
}

void TranscriptView::findNext()
{
    m_search.next();
    selectCurrentMatch();
}

void TranscriptView::findPrevious()
{
    m_search.previous();
    selectCurrentMatch();
}

void TranscriptView::endFind()
{
    m_search.clear();
    viewport()->update();
}

// Typing on goes on from the match found, not from where finding began.
void TranscriptView::selectCurrentMatch()
{
    const std::optional<PageSearch::Match> match = m_search.current();
    viewport()->update();
    if (!match) {
        m_selection.clear();
        return;
    }
    m_findAnchor = match->row;
    m_focusedLink.reset();
    measure(match->row);
    TranscriptDocument *document = m_documents.find(match->row);
    const QTextCursor found = document == nullptr ? QTextCursor()
        : MatchMarks::occurrence(*document, m_search.text(), m_search.sensitivity(), match->occurrence);
    if (found.isNull()) {
        m_selection.clear();
        scrollToMatch(match->row, 0, 0);
        return;
    }
    m_selection.start({match->row, found.selectionStart()});
    m_selection.extendTo({match->row, found.selectionEnd()});
    const QTextBlock block = found.block();
    const QTextLine line = block.layout()->lineForTextPosition(found.selectionStart() - block.position());
    const qreal blockTop = document->documentLayout()->blockBoundingRect(block).top();
    scrollToMatch(match->row, int(blockTop + (line.isValid() ? line.y() : 0)),
                  int(line.isValid() ? line.height() : 0));
}

// A match on screen stays where it is; any other comes to a third of the way down the view.
void TranscriptView::scrollToMatch(int row, int y, int height)
{
    const auto shown = std::find_if(m_visible.cbegin(), m_visible.cend(),
                                    [row](const VisibleRow &visible) { return visible.row == row; });
    if (shown != m_visible.cend() && shown->y + y >= 0 && shown->y + y + height <= viewport()->height())
        return;
    m_endWanted = false;
    m_topRow = row;
    m_topOffset = y;
    moveTop(-viewport()->height() / 3);
    relayout();
}

void TranscriptView::setBottomWidget(QWidget *widget)
{
    m_bottomWidget = widget;
    widget->installEventFilter(this);
    placeBottomWidget();
}

bool TranscriptView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_bottomWidget && (event->type() == QEvent::Show || event->type() == QEvent::Hide))
        placeBottomWidget();
    return QAbstractScrollArea::eventFilter(watched, event);
}

// The widget takes the bottom of the view's frame under the rows, beside the scroll bar.
void TranscriptView::placeBottomWidget()
{
    const int height = m_bottomWidget && !m_bottomWidget->isHidden() ? m_bottomWidget->sizeHint().height() : 0;
    setViewportMargins(0, 0, 0, height);
    if (height > 0) {
        const QRect rows = viewport()->geometry();
        m_bottomWidget->setGeometry(rows.left(), rows.bottom() + 1, rows.width(), height);
    }
}

// Selection and links -----------------------------------------------------------------------------

void TranscriptView::selectAll()
{
    if (m_heights.count() == 0)
        return;
    m_selection.start({0, 0});
    m_selection.extendTo({m_heights.count() - 1, std::numeric_limits<int>::max()});
    viewport()->update();
}

QString TranscriptView::selectedTextOf(int row, RowSelection::Range range) const
{
    if (range.from == 0 && range.to < 0)
        return m_page.plainText(row);
    const TranscriptDocument *document = m_documents.find(row);
    if (document == nullptr)
        document = &m_documents.parseInScratch(m_page.fragment(row));
    if (!document->showsSomething())
        return {};
    QTextCursor selected(const_cast<TranscriptDocument *>(document));
    selected.setPosition(std::min(range.from, lastPosition(document)));
    selected.setPosition(range.to < 0 ? lastPosition(document) : std::min(range.to, lastPosition(document)),
                         QTextCursor::KeepAnchor);
    return plainText(selected.selectedText());
}

QString TranscriptView::selectedText() const
{
    QStringList lines;
    for (int row = m_selection.begin().row; row <= m_selection.end().row && row < m_page.fragmentCount(); ++row) {
        const auto range = m_selection.rangeIn(row);
        if (!range || !m_page.isRow(row) || m_heights.height(row) == 0)
            continue;
        lines.append(selectedTextOf(row, *range));
    }
    return lines.join(u'\n');
}

void TranscriptView::copy() const
{
    if (!m_selection.isEmpty())
        ClipboardText::copy(selectedText());
}

void TranscriptView::openLink(const QString &href) const
{
    const QUrl url = LinkPolicy::urlToOpen(href);
    if (!url.isEmpty())
        QDesktopServices::openUrl(url);
}
