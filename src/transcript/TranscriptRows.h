#pragma once

#include <QString>

// The HTML of the rows the main window writes: each a one-row, one-cell table.
// User names and private-message text are HTML-escaped ("&", "<", ">" and the double quote, as
// QString::toHtmlEscaped does); public text arrives already converted by ConvertMarkup.
class TranscriptRows
{
public:
    // The local time of day with hours, minutes and seconds, as every row shows it.
    static QString timeStamp();
    // The system's time format, given seconds after the minutes when it has none ("HH:mm" -> "HH:mm:ss").
    static QString timeFormatWithSeconds(const QString &systemFormat);

    static QString textRow(const QString &stamp, const QString &text);                     // AddText
    // text: the message as ConvertMarkup returned it.
    static QString chatRow(const QString &stamp, const QString &user, const QString &text); // AddChat
    static QString pmRow(const QString &stamp, const QString &user, const QString &text);   // AddChatPM
};
