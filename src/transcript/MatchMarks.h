#pragma once

#include <QAbstractTextDocumentLayout>
#include <QList>
#include <QString>
#include <QTextCursor>

class QTextDocument;

// Where a searched text stands in a laid-out row, found in the row's own document so that the
// marks fall on the characters drawn. Matches do not overlap; pictures are no text.
class MatchMarks
{
public:
    // Every match, marked with background.
    static QList<QAbstractTextDocumentLayout::Selection> marks(const QTextDocument &row, const QString &text,
                                                               Qt::CaseSensitivity sensitivity, const QBrush &background);
    // The match with that number from 0; a null cursor when the row holds fewer.
    static QTextCursor occurrence(const QTextDocument &row, const QString &text, Qt::CaseSensitivity sensitivity,
                                  int number);
};
