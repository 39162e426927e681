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
    keepEarlier(text, sensitivity);
    m_current = -1;
    foldInto(text, m_foldedText);
    const bool repeated = !m_earlier.isEmpty() && m_earlier.constLast().text == text
        && m_earlier.constLast().sensitivity == sensitivity;
    if (repeated) {
        m_result = m_earlier.takeLast();
    } else {
        m_result = Result{std::move(text), sensitivity, {}, 0, 0};
        if (isActive() && !m_earlier.isEmpty())
            narrowFrom(page, m_earlier.constLast());
    }
    readNewRows(page);
    makeCurrentNear(anchorRow);
}

// A text that holds an earlier one matches only where that one did, also when that one ignored
// the case and this one does not.
bool PageSearch::narrowsTo(const Result &earlier, const QString &text, Qt::CaseSensitivity sensitivity)
{
    return (earlier.sensitivity == Qt::CaseInsensitive || sensitivity == Qt::CaseSensitive)
        && text.contains(earlier.text, earlier.sensitivity);
}

// The current search joins the earlier ones; those the new text does not grow out of go, and so do
// the oldest while they hold more rows than the bound.
void PageSearch::keepEarlier(const QString &text, Qt::CaseSensitivity sensitivity)
{
    if (isActive())
        m_earlier.append(std::exchange(m_result, {}));
    while (!m_earlier.isEmpty() && !narrowsTo(m_earlier.constLast(), text, sensitivity))
        m_earlier.removeLast();
    qsizetype rows = 0;
    for (const Result &earlier : std::as_const(m_earlier))
        rows += earlier.rows.size();
    while (rows > earlierRowsBound) {
        rows -= m_earlier.constFirst().rows.size();
        m_earlier.removeFirst();
    }
}

void PageSearch::narrowFrom(const TranscriptPage &page, const Result &earlier)
{
    for (const RowMatches &candidate : earlier.rows)
        readRow(page, candidate.row);
    m_result.rowsRead = earlier.rowsRead;
}

void PageSearch::makeCurrentNear(int anchorRow)
{
    const QList<RowMatches> &rows = m_result.rows;
    const auto after = std::lower_bound(rows.cbegin(), rows.cend(), anchorRow,
                                        [](const RowMatches &matches, int row) { return matches.row < row; });
    if (after != rows.cend())
        m_current = after->first;
    else if (m_result.count > 0)
        m_current = m_result.count - 1;
}

bool PageSearch::readNewRows(const TranscriptPage &page)
{
    const int before = m_result.count;
    for (; isActive() && m_result.rowsRead < page.fragmentCount(); ++m_result.rowsRead)
        readRow(page, m_result.rowsRead);
    return m_result.count > before;
}

void PageSearch::pageCleared(const TranscriptPage &page)
{
    const QString text = m_result.text;
    const Qt::CaseSensitivity sensitivity = m_result.sensitivity;
    clear();
    find(page, text, sensitivity, 0);
}

void PageSearch::readRow(const TranscriptPage &page, int row)
{
    if (!page.isRow(row))
        return;
    const int occurrences = occurrencesIn(page.plainText(row));
    if (occurrences == 0)
        return;
    m_result.rows.append({row, m_result.count});
    m_result.count += occurrences;
}

int PageSearch::occurrencesIn(const QString &rowText)
{
    QStringView searched = rowText;
    QStringView wanted = m_result.text;
    if (m_result.sensitivity == Qt::CaseInsensitive) {
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
    m_result = {};
    m_earlier.clear();
    m_current = -1;
}

qsizetype PageSearch::rowIndexOfNumber(int number) const
{
    const auto holding = std::upper_bound(m_result.rows.cbegin(), m_result.rows.cend(), number,
                                          [](int wanted, const RowMatches &matches) { return wanted < matches.first; });
    return holding - m_result.rows.cbegin() - 1;
}

std::optional<PageSearch::Match> PageSearch::current() const
{
    if (m_current < 0)
        return std::nullopt;
    const RowMatches &matches = m_result.rows.at(rowIndexOfNumber(m_current));
    return Match{matches.row, m_current - matches.first};
}

void PageSearch::next()
{
    if (m_result.count > 0)
        m_current = (m_current + 1) % m_result.count;
}

void PageSearch::previous()
{
    if (m_result.count > 0)
        m_current = (m_current <= 0 ? m_result.count : m_current) - 1;
}

int PageSearch::countIn(int row) const
{
    const auto found = std::lower_bound(m_result.rows.cbegin(), m_result.rows.cend(), row,
                                        [](const RowMatches &matches, int wanted) { return matches.row < wanted; });
    if (found == m_result.rows.cend() || found->row != row)
        return 0;
    const int end = found + 1 == m_result.rows.cend() ? m_result.count : (found + 1)->first;
    return end - found->first;
}
