#pragma once

#include <QList>
#include <QString>

#include <utility>

// The HTML of every row the transcript shows: the message rows are each a one-row, one-cell table,
// the banners a centred line over a rule. Plain strings only, so the protocol core can build its
// rows without a widget.
// User names and private-message text are HTML-escaped ("&", "<", ">" and the double quote, as
// QString::toHtmlEscaped does); public text arrives already converted by ConvertMarkup. What users
// wrote (names, message texts) shows its control characters as visible signs and is isolated where
// it holds right-to-left text (UserWrittenText), so it never rearranges the rest of the row. The
// server's own texts (its name, the message of the day) stay as sent.
class TranscriptRows
{
public:
    // The local time of day with hours, minutes and seconds, as every row shows it.
    static QString timeStamp();
    // The system's time format, given seconds after the minutes when it has none ("HH:mm" -> "HH:mm:ss").
    static QString timeFormatWithSeconds(const QString &systemFormat);

    // The openings and closings the rows below share (opening, closing), the commonest first, so a
    // store can keep each row without them.
    static QList<std::pair<QString, QString>> rowFrames();

    static QString textRow(const QString &stamp, const QString &text);                     // AddText
    // text: the message as ConvertMarkup returned it.
    static QString chatRow(const QString &stamp, const QString &user, const QString &text); // AddChat
    static QString pmRow(const QString &stamp, const QString &user, const QString &text);   // AddChatPM

    // A notice from the server or about the connection; text is HTML already.
    static QString systemRow(const QString &stamp, const QString &text);
    static QString joinedRow(const QString &stamp, const QString &user);
    static QString leftRow(const QString &stamp, const QString &user);
    static QString kickedRow(const QString &stamp, const QString &user);
    static QString youWereKickedRow(const QString &stamp, const QString &byUser);
    static QString droppedRow(const QString &stamp);
    // A message of the user's own that the dropped connection perhaps never delivered, with its
    // text as typed.
    static QString notDeliveredRow(const QString &stamp, const QString &text);
    static QString pmNotDeliveredRow(const QString &stamp, const QString &recipient, const QString &text);
    // No such recipient for a private message.
    static QString pmErrorRow(const QString &stamp, const QString &recipient);
    // The own name chosen as the recipient of a private message.
    static QString ownPmRefusalRow(const QString &stamp);
    static QString messageOfDayRow(const QString &message);
    // The banner the server sends when the sign-on succeeded.
    static QString serverWelcomeRow(const QString &serverName);
    // The banner under a freshly cleared page.
    static QString clearedPageWelcomeRow(const QString &userName);

    // The hints written with textRow when Enter cannot send the input line.
    static QString notConnectedHint();
    static QString emptyInputHint();
};
