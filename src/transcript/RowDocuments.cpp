#include "RowDocuments.h"

#include "ColourEmoji.h"
#include "LinkPolicy.h"
#include "SingleCellRow.h"
#include "TranscriptPage.h"

#include <QTextBlock>
#include <QTextCursor>

#include <algorithm>
#include <vector>

void RowDocuments::setStyle(const QString &styleSheet)
{
    m_styleSheet = styleSheet;
    m_builder = std::make_unique<RowBuilder>(styleSheet, m_font);
    m_rows.clear();
    m_spare.clear();
    m_scratch.reset();
}

void RowDocuments::setWidth(qreal width)
{
    if (width == m_width)
        return;
    m_width = width;
    for (auto &[row, entry] : m_rows)
        entry.document->setTextWidth(width);
}

TranscriptDocument *RowDocuments::layout(int row, const QString &fragment)
{
    auto kept = m_rows.find(row);
    if (kept == m_rows.end()) {
        std::unique_ptr<TranscriptDocument> document = newDocument();
        document->setRowHtml(SingleCellRow::asBlock(fragment), *m_builder);
        document->setTextWidth(m_width);
        const int reach = m_glyphReach.of(*document);
        kept = m_rows.emplace(row, Entry{std::move(document), 0, reach}).first;
    }
    kept->second.lastUse = ++m_uses;
    return kept->second.document.get();
}

TranscriptDocument *RowDocuments::find(int row) const
{
    const auto kept = m_rows.find(row);
    return kept == m_rows.cend() ? nullptr : kept->second.document.get();
}

int RowDocuments::glyphReach(int row) const
{
    const auto kept = m_rows.find(row);
    return kept == m_rows.cend() ? 0 : kept->second.glyphReach;
}

void RowDocuments::trim(int keep)
{
    const size_t limit = size_t(std::max(cachedRows, keep));
    if (m_rows.size() <= limit)
        return;
    std::vector<std::pair<quint64, int>> byAge;
    byAge.reserve(m_rows.size());
    for (const auto &[row, entry] : m_rows)
        byAge.emplace_back(entry.lastUse, row);
    std::sort(byAge.begin(), byAge.end());
    for (size_t i = 0; i < byAge.size() - limit; ++i)
        forget(byAge[i].second);
}

void RowDocuments::forget(int row)
{
    const auto kept = m_rows.find(row);
    if (kept == m_rows.end())
        return;
    drop(std::move(kept->second.document));
    m_rows.erase(kept);
}

void RowDocuments::clear()
{
    m_rows.clear();
}

std::unique_ptr<TranscriptDocument> RowDocuments::newDocument()
{
    if (m_spare.empty())
        return std::make_unique<TranscriptDocument>(m_images, m_styleSheet, m_font);
    std::unique_ptr<TranscriptDocument> document = std::move(m_spare.back());
    m_spare.pop_back();
    return document;
}

void RowDocuments::drop(std::unique_ptr<TranscriptDocument> document)
{
    if (m_spare.size() < spareDocuments)
        m_spare.push_back(std::move(document));
}

namespace {

// Readies the page for a printer. A printer takes pixel sizes as its own dots (a twelfth of a
// millimetre at 1200 dpi); the page's pixels are screen pixels, 96 to the inch, so they become
// points. A PDF keeps links: they point where a click in the view would open, or nowhere.
qreal pointsOf(int screenPixels)
{
    return screenPixels * 72.0 / 96.0;
}

void suitForPrinting(QTextDocument &document)
{
    QFont font = ColourEmoji::withoutFallback(document.defaultFont());
    if (font.pixelSize() > 0)
        font.setPointSizeF(pointsOf(font.pixelSize()));
    document.setDefaultFont(font);
    struct Change
    {
        int position;
        int length;
        QTextCharFormat format;
    };
    QList<Change> changes;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto piece = block.begin(); !piece.atEnd(); ++piece) {
            const QTextCharFormat shown = piece.fragment().charFormat();
            QTextCharFormat format = ColourEmoji::withoutFallback(shown);
            if (format.hasProperty(QTextFormat::FontPixelSize)) {
                const qreal points = pointsOf(format.intProperty(QTextFormat::FontPixelSize));
                format.clearProperty(QTextFormat::FontPixelSize);
                format.setFontPointSize(points);
            }
            if (format.isAnchor()) {
                const QUrl url = LinkPolicy::urlToOpen(format.anchorHref());
                if (url.isEmpty())
                    format.clearProperty(QTextFormat::AnchorHref);
                else
                    format.setAnchorHref(url.toString());
                format.setAnchor(!url.isEmpty());
            }
            if (format != shown)
                changes.append({piece.fragment().position(), piece.fragment().length(), format});
        }
    }
    // One cursor for all: the document adjusts every live cursor on each change.
    QTextCursor range(&document);
    for (const Change &change : changes) {
        range.setPosition(change.position);
        range.setPosition(change.position + change.length, QTextCursor::KeepAnchor);
        range.setCharFormat(change.format);
    }
}

// What stands between <body ...> and </body> in a document the rich-text engine wrote.
QStringView bodyOf(const QString &html)
{
    const qsizetype bodyTag = html.indexOf(QStringLiteral("<body"));
    const qsizetype start = bodyTag < 0 ? -1 : html.indexOf(u'>', bodyTag);
    const qsizetype end = html.lastIndexOf(QStringLiteral("</body>"));
    if (start < 0 || end < start)
        return {};
    return QStringView(html).mid(start + 1, end - start - 1);
}

} // namespace

const TranscriptDocument &RowDocuments::parseInScratch(const QString &fragment)
{
    if (!m_scratch)
        m_scratch = std::make_unique<TranscriptDocument>(m_images, m_styleSheet, m_font);
    m_scratch->setRowHtml(SingleCellRow::asBlock(fragment), *m_builder);
    return *m_scratch;
}

std::unique_ptr<TranscriptDocument> RowDocuments::printDocument(const TranscriptPage &page, int from, int to)
{
    // Each row is parsed on its own and written out again by the rich-text engine, balanced and
    // with its classes resolved, so nothing a row leaves open reaches the next; the rows are then
    // parsed once. (Pasting row after row into one document costs time that grows with the square
    // of the rows.)
    QString body;
    bool longWord = false;
    for (int i = from; i < to; ++i) {
        if (!page.isRow(i))
            continue;
        const QString fragment = page.fragment(i);
        longWord = longWord || TranscriptDocument::hasLongWord(fragment);
        const TranscriptDocument &row = parseInScratch(fragment);
        if (row.showsSomething())
            body += bodyOf(row.toHtml());
    }
    auto whole = std::make_unique<TranscriptDocument>(m_images, m_styleSheet, m_font);
    whole->setBreakAnywhere(longWord);
    whole->setHtml(body);
    suitForPrinting(*whole);
    return whole;
}
