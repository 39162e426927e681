#include "TranscriptRows.h"

#include "UserWrittenText.h"

#include <algorithm>

#include <QDateTime>
#include <QList>
#include <QLocale>
#include <QTime>

namespace {

const QString tableStart = QStringLiteral("<table cellspacing='0' cellpadding='0'><tr>");
const QString tableEnd = QStringLiteral("</td></tr></table>");
const QString rule = QStringLiteral("<hr>");

QString row(const QString &cellTag, const QString &content)
{
    return tableStart + cellTag + content + tableEnd;
}

QString serverRow(const QString &cellTag, const QString &stamp, const QString &text)
{
    return row(cellTag, u'[' + stamp + QStringLiteral("] Server: ") + text);
}

const QString plainCell = QStringLiteral("<td>");
const QString messageCell = QStringLiteral("<td class='message'>");
const QString pmCell = QStringLiteral("<td class='pm'>");
const QString systemCell = QStringLiteral("<td class='system'>");
// The private-message rows of the system kind have always carried an extra blank in their cell tag.
const QString systemCellWithBlank = QStringLiteral("<td class='system' >");

const QString bannerStart = QStringLiteral("<div align='center'><span class='style1'>");
const QString bannerEnd = QStringLiteral("</span></div>") + rule;

// A user's name or private message as every row shows it: controls visible, escaped, and set apart
// from the rest of the row when it holds right-to-left text.
QString shownPlain(const QString &text)
{
    return UserWrittenText::isolated(UserWrittenText::withVisibleControls(text).toHtmlEscaped());
}

QString shownHtml(const QString &html)
{
    return UserWrittenText::isolated(UserWrittenText::withVisibleControlsInHtml(html));
}

QString banner(const QString &text)
{
    return bannerStart + text + bannerEnd;
}

// A time format split into field tokens (a run of one pattern letter such as "HH" or "mm") and the
// literal text between them (separators, blanks, quoted text).
struct FormatToken
{
    QString text;
    bool isField;
};

QList<FormatToken> tokenize(const QString &format)
{
    static const QString fieldLetters = QStringLiteral("hHmszaApPt");
    QList<FormatToken> tokens;
    bool quoted = false;
    for (const QChar c : format) {
        if (c == u'\'')
            quoted = !quoted;
        const bool isField = !quoted && c != u'\'' && fieldLetters.contains(c);
        const bool continues = !tokens.isEmpty() && tokens.last().isField == isField
            && (!isField || tokens.last().text.back() == c);
        if (continues)
            tokens.last().text += c;
        else
            tokens.append({QString(c), isField});
    }
    return tokens;
}

} // namespace

QString TranscriptRows::timeFormatWithSeconds(const QString &systemFormat)
{
    const QList<FormatToken> tokens = tokenize(systemFormat);
    const auto isSeconds = [](const FormatToken &token) { return token.isField && token.text.front() == u's'; };
    if (std::any_of(tokens.cbegin(), tokens.cend(), isSeconds))
        return systemFormat;
    const auto minutes = std::find_if(tokens.cbegin(), tokens.cend(),
                                      [](const FormatToken &token) { return token.isField && token.text.front() == u'm'; });
    if (minutes == tokens.cend())
        return QStringLiteral("HH:mm:ss");
    // The seconds take the separator that stands before the minutes ("HH.mm" -> "HH.mm.ss").
    QString separator = QStringLiteral(":");
    if (minutes != tokens.cbegin() && !std::prev(minutes)->isField && !std::prev(minutes)->text.contains(u'\''))
        separator = std::prev(minutes)->text;
    QString format;
    for (auto token = tokens.cbegin(); token != tokens.cend(); ++token) {
        format += token->text;
        if (token == minutes)
            format += separator + QStringLiteral("ss");
    }
    return format;
}

QString TranscriptRows::timeStamp()
{
    // Rows come in floods: the stamp is made again only when the second changes (asking the system
    // for its locale and the local time costs more than the rest of a row), and the system's format
    // is turned into one with seconds only when it changes.
    static qint64 stampedSecond = -1;
    static QString stamp;
    static QString systemFormat;
    static QString format;
    const qint64 second = QDateTime::currentSecsSinceEpoch();
    if (second == stampedSecond)
        return stamp;
    const QLocale locale = QLocale::system();
    const QString current = locale.timeFormat(QLocale::ShortFormat);
    if (format.isEmpty() || current != systemFormat) {
        systemFormat = current;
        format = timeFormatWithSeconds(current);
    }
    stampedSecond = second;
    stamp = locale.toString(QDateTime::fromSecsSinceEpoch(second).time(), format);
    return stamp;
}

QList<std::pair<QString, QString>> TranscriptRows::rowFrames()
{
    QList<std::pair<QString, QString>> frames;
    for (const QString &cell : {messageCell, systemCell, pmCell, plainCell, systemCellWithBlank})
        frames.append({tableStart + cell, tableEnd});
    frames.append({tableStart + systemCell, tableEnd + rule});
    frames.append({bannerStart, bannerEnd});
    return frames;
}

QString TranscriptRows::textRow(const QString &stamp, const QString &text)
{
    return row(plainCell, u'[' + stamp + QStringLiteral("] Server: ") + text);
}

QString TranscriptRows::chatRow(const QString &stamp, const QString &user, const QString &text)
{
    return row(messageCell, u'[' + stamp + QStringLiteral("] ") + shownPlain(user) + QStringLiteral(": ") + shownHtml(text));
}

QString TranscriptRows::pmRow(const QString &stamp, const QString &user, const QString &text)
{
    return row(pmCell, u'[' + stamp + QStringLiteral("] ") + shownPlain(user) + QStringLiteral(": ") + shownPlain(text));
}

QString TranscriptRows::systemRow(const QString &stamp, const QString &text)
{
    return serverRow(systemCell, stamp, text);
}

QString TranscriptRows::joinedRow(const QString &stamp, const QString &user)
{
    return systemRow(stamp, shownPlain(user) + QStringLiteral(" has joined to Chat!!!"));
}

QString TranscriptRows::leftRow(const QString &stamp, const QString &user)
{
    return systemRow(stamp, shownPlain(user) + QStringLiteral(" has logoff from the Chat!!!"));
}

QString TranscriptRows::kickedRow(const QString &stamp, const QString &user)
{
    return systemRow(stamp, shownPlain(user) + QStringLiteral(" has Kick from the Chat!!!"));
}

QString TranscriptRows::youWereKickedRow(const QString &stamp, const QString &byUser)
{
    return systemRow(stamp, QStringLiteral("you has been kick by  ") + shownPlain(byUser));
}

QString TranscriptRows::droppedRow(const QString &stamp)
{
    return systemRow(stamp, QStringLiteral(" The connection was unexpectedly droped!!"));
}

QString TranscriptRows::notDeliveredRow(const QString &stamp, const QString &text)
{
    return systemRow(stamp, QStringLiteral("Perhaps not delivered before the connection dropped: ")
                                + text.toHtmlEscaped());
}

QString TranscriptRows::pmNotDeliveredRow(const QString &stamp, const QString &recipient, const QString &text)
{
    return systemRow(stamp, QStringLiteral("Private message to ") + recipient.toHtmlEscaped()
                                + QStringLiteral(" perhaps not delivered before the connection dropped: ")
                                + text.toHtmlEscaped());
}

QString TranscriptRows::pmErrorRow(const QString &stamp, const QString &recipient)
{
    return serverRow(systemCellWithBlank, stamp,
                     shownPlain(recipient) + QStringLiteral("  doesn't exist, or has left!!!"));
}

QString TranscriptRows::ownPmRefusalRow(const QString &stamp)
{
    return serverRow(systemCellWithBlank, stamp, QStringLiteral("You can't PM yourself!"));
}

QString TranscriptRows::messageOfDayRow(const QString &message)
{
    return row(systemCell, QStringLiteral("<b>Message of Day:</b> ") + message) + rule;
}

QString TranscriptRows::serverWelcomeRow(const QString &serverName)
{
    return banner(QStringLiteral("Welcome to ") + serverName + QStringLiteral(" Server"));
}

QString TranscriptRows::clearedPageWelcomeRow(const QString &userName)
{
    return banner(QStringLiteral("Welcome to Korvani ") + shownPlain(userName));
}

QString TranscriptRows::notConnectedHint()
{
    return QStringLiteral("  ~// You must be connected to some to send text");
}

QString TranscriptRows::emptyInputHint()
{
    return QStringLiteral("  ~// You must enter text to send it");
}
