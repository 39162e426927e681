#include "MatchMarks.h"

#include <QTextDocument>

namespace {

QTextDocument::FindFlags flagsFor(Qt::CaseSensitivity sensitivity)
{
    return sensitivity == Qt::CaseSensitive ? QTextDocument::FindCaseSensitively : QTextDocument::FindFlags();
}

QTextCursor nextMatch(const QTextDocument &row, const QString &text, Qt::CaseSensitivity sensitivity,
                      const QTextCursor &after)
{
    return row.find(text, after, flagsFor(sensitivity));
}

} // namespace

QList<QAbstractTextDocumentLayout::Selection> MatchMarks::marks(const QTextDocument &row, const QString &text,
                                                                Qt::CaseSensitivity sensitivity, const QBrush &background)
{
    QList<QAbstractTextDocumentLayout::Selection> marks;
    for (QTextCursor match = nextMatch(row, text, sensitivity, QTextCursor(const_cast<QTextDocument *>(&row)));
         !match.isNull(); match = nextMatch(row, text, sensitivity, match)) {
        QAbstractTextDocumentLayout::Selection mark;
        mark.cursor = match;
        mark.format.setBackground(background);
        marks.append(mark);
    }
    return marks;
}

QTextCursor MatchMarks::occurrence(const QTextDocument &row, const QString &text, Qt::CaseSensitivity sensitivity,
                                   int number)
{
    QTextCursor match(const_cast<QTextDocument *>(&row));
    for (int i = 0; i <= number && !match.isNull(); ++i)
        match = nextMatch(row, text, sensitivity, match);
    return match;
}
