#include "PageSearch.h"

#include "TranscriptPage.h"

#include <algorithm>
#include <utility>

namespace {

void foldInto(QStringView text, QString &folded)
{
    folded.resize(text.size());
    QChar *out = folded.data();
    for (const QChar c : text) {
        const char16_t unit = c.unicode();
        *out++ = unit < 0x80 ? QChar(unit >= u'A' && unit <= u'Z' ? unit + 32 : unit) : QChar(QChar::toCaseFolded(unit));
    }
}

} // namespace

void PageSearch::find(const TranscriptPage &page, QString text, Qt::CaseSensitivity sensitivity, int anchorRow)
{
    // A text that holds the last one matches only where the last one did, also when the last one
    // ignored the case and this one does not.
    const bool narrows = isActive() && m_rowsRead <= page.fragmentCount()
        && (m_sensitivity == Qt::CaseInsensitive || sensitivity == Qt::CaseSensitive)
        && text.contains(m_text, m_sensitivity);
    const QList<RowMatches> candidates = narrows ? std::exchange(m_rows, {}) : QList<RowMatches>();
    const int readBefore = narrows ? m_rowsRead : 0;
    clear();
    m_text = std::move(text);
    m_sensitivity = sensitivity;
    foldInto(m_text, m_foldedText);
    if (!isActive())
        return;
    for (const RowMatches &candidate : candidates)
        readRow(page, candidate.row);
    m_rowsRead = readBefore;
    readNewRows(page);
    const auto after = std::lower_bound(m_rows.cbegin(), m_rows.cend(), anchorRow,
                                        [](const RowMatches &matches, int row) { return matches.row < row; });
    if (after != m_rows.cend())
        m_current = after->first;
    else if (m_count > 0)
        m_current = m_count - 1;
}

bool PageSearch::readNewRows(const TranscriptPage &page)
{
    const int before = m_count;
    for (; isActive() && m_rowsRead < page.fragmentCount(); ++m_rowsRead)
        readRow(page, m_rowsRead);
    return m_count > before;
}

void PageSearch::readRow(const TranscriptPage &page, int row)
{
    if (!page.isRow(row))
        return;
    const int occurrences = occurrencesIn(page.plainText(row));
    if (occurrences == 0)
        return;
    m_rows.append({row, m_count});
    m_count += occurrences;
}

int PageSearch::occurrencesIn(const QString &rowText)
{
    QStringView searched = rowText;
    QStringView wanted = m_text;
    if (m_sensitivity == Qt::CaseInsensitive) {
        foldInto(rowText, m_foldedRow);
        searched = m_foldedRow;
        wanted = m_foldedText;
    }
    int occurrences = 0;
    for (qsizetype at = searched.indexOf(wanted); at >= 0; at = searched.indexOf(wanted, at + wanted.size()))
        ++occurrences;
    return occurrences;
}

void PageSearch::clear()
{
    m_text.clear();
    m_rows.clear();
    m_count = 0;
    m_current = -1;
    m_rowsRead = 0;
}

qsizetype PageSearch::rowIndexOfNumber(int number) const
{
    const auto holding = std::upper_bound(m_rows.cbegin(), m_rows.cend(), number,
                                          [](int wanted, const RowMatches &matches) { return wanted < matches.first; });
    return holding - m_rows.cbegin() - 1;
}

std::optional<PageSearch::Match> PageSearch::current() const
{
    if (m_current < 0)
        return std::nullopt;
    const RowMatches &matches = m_rows.at(rowIndexOfNumber(m_current));
    return Match{matches.row, m_current - matches.first};
}

void PageSearch::next()
{
    if (m_count > 0)
        m_current = (m_current + 1) % m_count;
}

void PageSearch::previous()
{
    if (m_count > 0)
        m_current = (m_current <= 0 ? m_count : m_current) - 1;
}

int PageSearch::countIn(int row) const
{
    const auto found = std::lower_bound(m_rows.cbegin(), m_rows.cend(), row,
                                        [](const RowMatches &matches, int wanted) { return matches.row < wanted; });
    if (found == m_rows.cend() || found->row != row)
        return 0;
    const int end = found + 1 == m_rows.cend() ? m_count : (found + 1)->first;
    return end - found->first;
}
