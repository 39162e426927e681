#include "LogText.h"

#include <QByteArrayView>

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

QString byteEscape(uchar byte)
{
    return QStringLiteral("\\x%1").arg(byte, 2, 16, QLatin1Char('0'));
}

// Length of the well-formed UTF-8 sequence that starts `bytes`; 0 when it starts with none.
qsizetype utf8SequenceLength(QByteArrayView bytes)
{
    const uchar lead = uchar(bytes.front());
    const qsizetype length = lead < 0x80 ? 1
        : lead >= 0xC2 && lead <= 0xDF   ? 2
        : lead >= 0xE0 && lead <= 0xEF   ? 3
        : lead >= 0xF0 && lead <= 0xF4   ? 4
                                         : 0;
    if (length == 0 || length > bytes.size())
        return 0;
    // Bad continuation bytes, overlong forms, surrogates and code points past U+10FFFF decode to
    // the replacement character, which is well-formed only as its own three bytes.
    const QByteArrayView sequence = bytes.first(length);
    const bool replaced = QString::fromUtf8(sequence).contains(QChar::ReplacementCharacter);
    return replaced && sequence != QByteArrayView("\xEF\xBF\xBD") ? 0 : length;
}

void appendEscaped(QString *result, QStringView text, bool quoting)
{
    for (const QChar character : text) {
        if (quoting && (character == QLatin1Char('"') || character == QLatin1Char('\\')))
            *result += QLatin1Char('\\') + character;
        else if (character.category() == QChar::Other_Control)
            *result += byteEscape(uchar(character.unicode()));
        else
            *result += character;
    }
}
}

QString LogText::quoted(const QString &text, qsizetype maximum)
{
    const qsizetype kept = cutAt(text, maximum);
    QString result = QStringLiteral("\"");
    appendEscaped(&result, QStringView(text).first(kept), true);
    return result + QLatin1Char('"') + cutMark(text, kept);
}

QString LogText::quotedBytes(const QByteArray &bytes)
{
    const QByteArrayView kept = QByteArrayView(bytes).first(std::min(bytes.size(), MaxQuotedCharacters));
    QString result = QStringLiteral("\"");
    for (qsizetype at = 0; at < kept.size();) {
        const qsizetype length = utf8SequenceLength(kept.sliced(at));
        if (length == 0) {
            result += byteEscape(uchar(kept.at(at)));
            ++at;
            continue;
        }
        appendEscaped(&result, QString::fromUtf8(kept.sliced(at, length)), true);
        at += length;
    }
    result += QLatin1Char('"');
    if (kept.size() < bytes.size())
        result += QStringLiteral("... (%1 more bytes)").arg(bytes.size() - kept.size());
    return result;
}

QString LogText::line(const QString &text)
{
    const qsizetype kept = cutAt(text, MaxLineCharacters);
    QString result;
    appendEscaped(&result, QStringView(text).first(kept), false);
    return result + cutMark(text, kept);
}
