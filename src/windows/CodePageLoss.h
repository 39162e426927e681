#pragma once

#include <QList>
#include <QString>

// What a connection in Windows-1250 loses of a text: every character the code page cannot hold (a
// surrogate pair is one character) goes out as "?".
class CodePageLoss
{
public:
    struct Run
    {
        qsizetype position; // in UTF-16 units, as a text cursor counts
        qsizetype length;
    };

    static bool isLost(QStringView character);
    // The runs of lost characters, neighbours merged, the first maxRuns of them.
    static QList<Run> lostRuns(const QString &text, qsizetype maxRuns);
    // The lost characters once each, in the order they first occur, the first maxCharacters of them.
    static QString lostCharacters(const QString &text, qsizetype maxCharacters);
    // text as the other end shows it, with U+FFFD where a character was lost: a "?" that stands for
    // a lost character cannot be read as one the user typed.
    static QString withLossMarked(const QString &text);
};
