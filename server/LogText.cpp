#include "LogText.h"

namespace {
// Where to cut `text` to at most `maximum` characters without splitting a surrogate pair.
qsizetype cutAt(const QString &text, qsizetype maximum)
{
    if (text.size() <= maximum)
        return text.size();
    return text.at(maximum - 1).isHighSurrogate() ? maximum - 1 : maximum;
}

QString cutMark(const QString &text, qsizetype kept)
{
    if (kept == text.size())
        return {};
    return QStringLiteral("... (%1 more characters)").arg(text.size() - kept);
}

void appendEscaped(QString *result, QStringView text, bool quoting)
{
    for (const QChar character : text) {
        if (quoting && (character == QLatin1Char('"') || character == QLatin1Char('\\')))
            *result += QLatin1Char('\\') + character;
        else if (character.category() == QChar::Other_Control)
            *result += QStringLiteral("\\x%1").arg(character.unicode(), 2, 16, QLatin1Char('0'));
        else
            *result += character;
    }
}
}

QString LogText::quoted(const QString &text)
{
    const qsizetype kept = cutAt(text, MaxQuotedCharacters);
    QString result = QStringLiteral("\"");
    appendEscaped(&result, QStringView(text).first(kept), true);
    return result + QLatin1Char('"') + cutMark(text, kept);
}

QString LogText::line(const QString &text)
{
    const qsizetype kept = cutAt(text, MaxLineCharacters);
    QString result;
    appendEscaped(&result, QStringView(text).first(kept), false);
    return result + cutMark(text, kept);
}
