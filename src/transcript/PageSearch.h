#pragma once

#include <QList>
#include <QString>

#include <optional>

class TranscriptPage;

// Finds a text in the rows of a page, in the text each row shows as the page keeps it (no copy of
// the page is made), and walks the matches. The searches a text grew out of are kept: a search for
// a text that holds an earlier one (the user typed on) reads only the rows that one matched and the
// rows written since, and deleting back to an earlier text reads only the rows written since.
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

    // The row numbers the kept earlier searches may hold in all: a bound on their memory.
    static constexpr qsizetype earlierRowsBound = 1000000;

    // Finds text (an empty text finds nothing) and makes current the first match in `anchorRow` or
    // after it, else the last one before it. The text is taken by value: the search's own text()
    // may be given to search again.
    void find(const TranscriptPage &page, QString text, Qt::CaseSensitivity sensitivity, int anchorRow);
    // Reads the rows written since the last search; true when that found more matches.
    bool readNewRows(const TranscriptPage &page);
    // The page was emptied: the same text is searched for in what is written from now on.
    void pageCleared(const TranscriptPage &page);
    // Forgets the search (finding ended).
    void clear();

    bool isActive() const { return !m_result.text.isEmpty(); }
    const QString &text() const { return m_result.text; }
    Qt::CaseSensitivity sensitivity() const { return m_result.sensitivity; }
    int count() const { return m_result.count; }
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
    struct Result
    {
        QString text;
        Qt::CaseSensitivity sensitivity = Qt::CaseInsensitive;
        QList<RowMatches> rows;
        int count = 0;
        int rowsRead = 0; // the page's fragments read so far
    };

    static bool narrowsTo(const Result &earlier, const QString &text, Qt::CaseSensitivity sensitivity);
    void keepEarlier(const QString &text, Qt::CaseSensitivity sensitivity);
    // Reads the rows an earlier search matched; the rows written since are read after.
    void narrowFrom(const TranscriptPage &page, const Result &earlier);
    void readRow(const TranscriptPage &page, int row);
    int occurrencesIn(const QString &rowText);
    qsizetype rowIndexOfNumber(int number) const;
    void makeCurrentNear(int anchorRow);

    Result m_result;
    int m_current = -1;
    // The searches the current one grew out of, shortest text first; each text holds the one before.
    QList<Result> m_earlier;
    // Without regard to case, the folded text is found in each row folded into the buffer: folding
    // costs less than comparing every character without regard to case.
    QString m_foldedText;
    QString m_foldedRow;
};
