#include "RowDocuments.h"

#include "SingleCellRow.h"
#include "TranscriptPage.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocumentFragment>

#include <algorithm>
#include <vector>

void RowDocuments::setStyle(const QString &styleSheet, const QFont &font)
{
    m_styleSheet = styleSheet;
    m_font = font;
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
        document->setRowHtml(SingleCellRow::asBlock(fragment));
        document->setTextWidth(m_width);
        kept = m_rows.emplace(row, Entry{std::move(document), 0}).first;
    }
    kept->second.lastUse = ++m_uses;
    return kept->second.document.get();
}

TranscriptDocument *RowDocuments::find(int row) const
{
    const auto kept = m_rows.find(row);
    return kept == m_rows.cend() ? nullptr : kept->second.document.get();
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

// A printer takes pixel sizes as its own dots (a twelfth of a millimetre at 1200 dpi); the page's
// pixels are screen pixels, 96 to the inch, so they become points (72 to the inch).
void givePixelSizesInPoints(QTextDocument &document)
{
    QList<std::pair<QTextCursor, QTextCharFormat>> changes;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto piece = block.begin(); !piece.atEnd(); ++piece) {
            QTextCharFormat format = piece.fragment().charFormat();
            if (!format.hasProperty(QTextFormat::FontPixelSize))
                continue;
            const qreal points = format.intProperty(QTextFormat::FontPixelSize) * 72.0 / 96.0;
            format.clearProperty(QTextFormat::FontPixelSize);
            format.setFontPointSize(points);
            QTextCursor range(&document);
            range.setPosition(piece.fragment().position());
            range.setPosition(piece.fragment().position() + piece.fragment().length(), QTextCursor::KeepAnchor);
            changes.append({range, format});
        }
    }
    for (auto &[range, format] : changes)
        range.setCharFormat(format);
}

} // namespace

const TranscriptDocument &RowDocuments::parseInScratch(const QString &fragment)
{
    if (!m_scratch)
        m_scratch = std::make_unique<TranscriptDocument>(m_images, m_styleSheet, m_font);
    m_scratch->setHtml(SingleCellRow::asBlock(fragment));
    return *m_scratch;
}

std::unique_ptr<TranscriptDocument> RowDocuments::pageDocument(const TranscriptPage &page)
{
    auto whole = std::make_unique<TranscriptDocument>(m_images, m_styleSheet, m_font);
    QTextCursor end(whole.get());
    bool first = true;
    bool longWord = false;
    for (int i = 0; i < page.fragmentCount(); ++i) {
        if (!page.isRow(i))
            continue;
        longWord = longWord || TranscriptDocument::hasLongWord(page.fragment(i));
        const TranscriptDocument &row = parseInScratch(page.fragment(i));
        if (!row.showsSomething())
            continue;
        if (!first)
            end.insertBlock();
        first = false;
        // Pasting a fragment merges its first block into the one at the cursor, which keeps the
        // cursor's block format: give that block the row's own (alignment, rule).
        const int rowStart = end.position();
        end.insertFragment(QTextDocumentFragment(&row));
        QTextCursor(whole->findBlock(rowStart)).setBlockFormat(row.firstBlock().blockFormat());
    }
    whole->setBreakAnywhere(longWord);
    givePixelSizesInPoints(*whole);
    return whole;
}
