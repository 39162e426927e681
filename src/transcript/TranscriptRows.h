#pragma once

#include <QString>

// The HTML of the rows the main window writes: each a one-row, one-cell table.
// User names and private-message text are HTML-escaped; public text goes through ConvertMarkup.
class TranscriptRows
{
public:
    // The local time of day with hours, minutes and seconds, as every row shows it.
    static QString timeStamp();

    static QString textRow(const QString &stamp, const QString &text);                     // AddText
    static QString chatRow(const QString &stamp, const QString &user, const QString &text); // AddChat
    static QString pmRow(const QString &stamp, const QString &user, const QString &text);   // AddChatPM
};
