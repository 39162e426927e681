#include "PrintedPages.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QPrinter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include <algorithm>

namespace {

// A printed rich-text page: text 2 cm from the paper's printable edge, the page's number under the
// text's right edge.
constexpr qreal marginCentimetres = 2;
// The layout reaches lines by their boxes; a line that only touches the part drawn is not drawn.
constexpr qreal touching = 0.5;

} // namespace

PrintedPages::PrintedPages(QPrinter *device)
    : m_device(device)
{
    // A device without margins of its own gets the small ones the rich-text engine gives it.
    if (device->pageLayout().margins(QPageLayout::Millimeter).isNull())
        device->setPageMargins(QMarginsF(2, 2, 2, 2), QPageLayout::Millimeter);
    if (!m_painter.begin(device))
        return;
    const qreal margin = marginCentimetres / 2.54 * device->logicalDpiY();
    m_body = QRectF(0, 0, device->width(), device->height()).adjusted(margin, margin, -margin, -margin);
    // Paper too small for any text would take pages without end.
    if (m_body.isEmpty())
        m_painter.end();
}

PrintedPages::~PrintedPages()
{
    if (!m_painter.isActive())
        return;
    finishPage();
    m_painter.end();
}

void PrintedPages::abort()
{
    if (!m_painter.isActive())
        return;
    // A printer drops the job; a file keeps the pages drawn so far.
    m_device->abort();
    m_painter.end();
}

void PrintedPages::append(QTextDocument &document)
{
    m_document = &document;
    m_drawnTo = 0;
    m_numberFont = document.defaultFont();
    document.documentLayout()->setPaintDevice(m_device);
    document.setTextWidth(m_body.width());
    m_lines = linesOf(document);
}

bool PrintedPages::drawPage()
{
    if (m_document == nullptr || !m_painter.isActive())
        return false;
    const qreal height = m_document->size().height();
    const qreal from = m_drawnTo;
    const qreal limit = from + m_body.height() - m_used;
    qreal to = limit >= height ? height : cutBefore(m_lines, from, limit);
    const bool wholeLines = to > from || m_used > 0;
    if (!wholeLines)
        to = limit; // one line taller than a page: cut where the page ends
    if (to > from) {
        draw(*m_document, from, to, wholeLines);
        m_used += to - from;
        m_drawnTo = to;
    }
    if (m_drawnTo >= height) {
        m_document = nullptr;
        m_lines.clear();
        return false;
    }
    nextPage();
    return true;
}

// Every line of the document (blocks without lines count as one), ordered from top to bottom.
QList<PrintedPages::Line> PrintedPages::linesOf(const QTextDocument &document)
{
    QList<Line> lines;
    const QAbstractTextDocumentLayout *layout = document.documentLayout();
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const QRectF area = layout->blockBoundingRect(block);
        const QTextLayout *text = block.layout();
        if (text->lineCount() == 0)
            lines.append({area.top(), area.bottom()});
        for (int i = 0; i < text->lineCount(); ++i) {
            const QTextLine line = text->lineAt(i);
            lines.append({area.top() + line.y(), area.top() + line.y() + line.height()});
        }
    }
    std::sort(lines.begin(), lines.end(), [](const Line &a, const Line &b) { return a.top < b.top; });
    return lines;
}

// Where the part of the document from `from` must end so that it ends at most at `limit` and no
// line is cut: the top of the first line that reaches beyond limit. `from` when that is the first.
qreal PrintedPages::cutBefore(const QList<Line> &lines, qreal from, qreal limit)
{
    qreal cut = limit;
    for (const Line &line : lines) {
        if (line.bottom > limit && line.top >= from) {
            cut = std::min(cut, line.top);
            break;
        }
    }
    return cut;
}

void PrintedPages::draw(QTextDocument &document, qreal from, qreal to, bool wholeLines)
{
    m_painter.save();
    m_painter.translate(m_body.left(), m_body.top() + m_used - from);
    // Where the part ends between lines, the lines drawn are those wholly within it, and the marks
    // over a first line's capitals or the descenders of a last line stand in the page's margin.
    // A line taller than a page is cut where the page ends.
    const QRectF part(0, from, m_body.width(), to - from);
    const qreal reach = wholeLines ? m_body.top() / 2 : 0;
    m_painter.setClipRect(part.adjusted(-reach, -reach, reach, reach));
    QAbstractTextDocumentLayout::PaintContext context;
    context.clip = wholeLines ? part.adjusted(0, touching, 0, -touching) : part;
    // Paper is white whatever the desktop's colours.
    context.palette.setColor(QPalette::Text, Qt::black);
    document.documentLayout()->draw(&m_painter, context);
    m_painter.restore();
}

void PrintedPages::finishPage()
{
    const QString number = QString::number(m_page);
    m_painter.save();
    m_painter.setClipping(false);
    m_painter.setFont(QFont(m_numberFont, m_device));
    const QFontMetricsF metrics(m_painter.font());
    const qreal pointsBelow = 5 * m_device->logicalDpiY() / 72.0;
    m_painter.drawText(QPointF(m_body.right() - metrics.horizontalAdvance(number),
                               m_body.bottom() + metrics.ascent() + pointsBelow),
                       number);
    m_painter.restore();
}

void PrintedPages::nextPage()
{
    finishPage();
    m_device->newPage();
    ++m_page;
    m_used = 0;
}
