#include "TranscriptRows.h"

#include <algorithm>

#include <QList>
#include <QLocale>
#include <QTime>

namespace {

QString row(const QString &cellTag, const QString &content)
{
    return QStringLiteral("<table cellspacing='0' cellpadding='0'><tr>") + cellTag + content
        + QStringLiteral("</td></tr></table>");
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
    // Rows come in floods; the system's format is turned into one with seconds only when it changes.
    static QString systemFormat;
    static QString format;
    const QLocale locale = QLocale::system();
    const QString current = locale.timeFormat(QLocale::ShortFormat);
    if (format.isEmpty() || current != systemFormat) {
        systemFormat = current;
        format = timeFormatWithSeconds(current);
    }
    return locale.toString(QTime::currentTime(), format);
}

QString TranscriptRows::textRow(const QString &stamp, const QString &text)
{
    return row(QStringLiteral("<td>"), u'[' + stamp + QStringLiteral("] Server: ") + text);
}

QString TranscriptRows::chatRow(const QString &stamp, const QString &user, const QString &text)
{
    return row(QStringLiteral("<td class='message'>"), u'[' + stamp + QStringLiteral("] ") + user.toHtmlEscaped()
                   + QStringLiteral(": ") + text);
}

QString TranscriptRows::pmRow(const QString &stamp, const QString &user, const QString &text)
{
    return row(QStringLiteral("<td class='pm'>"), u'[' + stamp + QStringLiteral("] ") + user.toHtmlEscaped()
                   + QStringLiteral(": ") + text.toHtmlEscaped());
}
