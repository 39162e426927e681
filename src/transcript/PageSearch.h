#pragma once

#include <QList>
#include <QString>

#include <optional>

class TranscriptPage;

// Finds a text in the rows of a page, in the text each row shows as the page keeps it (no copy of
// the page is made), and walks the matches. A search whose text holds the last one (the user typed
// on) reads only the rows the last one matched and those written since; any other reads every row.
// Matches within a row do not overlap.
class PageSearch
{
public:
    struct Match
    {
        int row;
        int occurrence; // the how-manieth in its row, from 0
        bool operator==(const Match &) const = default;
    };

    // Finds text (an empty text finds nothing) and makes current the first match in `anchorRow` or
    // after it, else the last one before it.
    // The text is taken by value: the search's own text() may be given to search again.
    void find(const TranscriptPage &page, QString text, Qt::CaseSensitivity sensitivity, int anchorRow);
    // Reads the rows written since the last search; true when that found more matches.
    bool readNewRows(const TranscriptPage &page);
    // Forgets the search (the page was emptied, or finding ended).
    void clear();

    bool isActive() const { return !m_text.isEmpty(); }
    const QString &text() const { return m_text; }
    Qt::CaseSensitivity sensitivity() const { return m_sensitivity; }
    int count() const { return m_count; }
    // The current match's number from 1, 0 when there is none.
    int currentNumber() const { return m_current + 1; }
    std::optional<Match> current() const;
    // The next (previous) match becomes current, round past the last (first) one.
    void next();
    void previous();
    // How many matches the row holds.
    int countIn(int row) const;

private:
    struct RowMatches
    {
        int row;
        int first; // the number of its first match
    };

    void readRow(const TranscriptPage &page, int row);
    int occurrencesIn(const QString &rowText);
    qsizetype rowIndexOfNumber(int number) const;

    QString m_text;
    Qt::CaseSensitivity m_sensitivity = Qt::CaseInsensitive;
    // Without regard to case, the folded text is found in each row folded into the buffer: folding
    // costs less than comparing every character without regard to case.
    QString m_foldedText;
    QString m_foldedRow;
    QList<RowMatches> m_rows;
    int m_count = 0;
    int m_current = -1;
    int m_rowsRead = 0;
};
