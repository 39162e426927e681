#include "UserWrittenText.h"

#include <QStringView>

namespace {

char16_t visibleSign(char16_t c)
{
    if (c == u'\t' || c == u'\r' || c == u'\n')
        return c;
    if (c < 0x20 || (c >= 0x7F && c <= 0x9F) || UserWrittenText::isBidirectionalControl(c))
        return QChar::ReplacementCharacter;
    return c;
}

// The longest reference that can name a character: "&#x10FFFF;" or "&#1114111;".
constexpr qsizetype longestReference = 10;

struct Reference
{
    char32_t character = 0;
    qsizetype length = 0; // 0: no reference starts here
};

// The character reference at `at` (which holds "&"), as the page reads it: a decimal or hexadecimal
// number with or without its ";", or one of the two named marks.
Reference referenceAt(QStringView html, qsizetype at)
{
    const QStringView rest = html.mid(at, longestReference + 1);
    if (rest.startsWith(u"&lrm;") || rest.startsWith(u"&rlm;"))
        return {rest.at(1) == u'l' ? char32_t(0x200E) : char32_t(0x200F), 5};
    if (!rest.startsWith(u"&#"))
        return {};
    const bool hex = rest.size() > 2 && (rest.at(2) == u'x' || rest.at(2) == u'X');
    qsizetype end = hex ? 3 : 2;
    const auto isDigit = [hex](QChar c) {
        return (c >= u'0' && c <= u'9') || (hex && ((c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F')));
    };
    while (end < rest.size() && isDigit(rest.at(end)))
        ++end;
    const qsizetype digits = end - (hex ? 3 : 2);
    if (digits == 0)
        return {};
    bool ok = false;
    const uint code = rest.mid(hex ? 3 : 2, digits).toUInt(&ok, hex ? 16 : 10);
    if (!ok || code > 0xFFFF)
        return {};
    if (end < rest.size() && rest.at(end) == u';')
        ++end;
    return {char32_t(code), end};
}

bool takesPartInRightToLeft(char32_t c)
{
    switch (QChar::direction(c)) {
    case QChar::DirR:
    case QChar::DirAL:
    case QChar::DirAN:
        return true;
    default:
        return false;
    }
}

bool holdsRightToLeft(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text.at(i).unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            c = QChar::surrogateToUcs4(char16_t(c), text.at(++i).unicode());
        if (takesPartInRightToLeft(c))
            return true;
    }
    return false;
}

} // namespace

bool UserWrittenText::isBidirectionalControl(char16_t c)
{
    return c == 0x061C || c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

QString UserWrittenText::withVisibleControls(const QString &text)
{
    QString visible = text;
    for (qsizetype i = 0; i < visible.size(); ++i) {
        const char16_t c = visible.at(i).unicode();
        const char16_t sign = visibleSign(c);
        if (sign != c)
            visible[i] = QChar(sign);
    }
    return visible;
}

QString UserWrittenText::withVisibleControlsInHtml(const QString &html)
{
    const QString visible = withVisibleControls(html);
    if (!visible.contains(u'&'))
        return visible;
    QString result;
    result.reserve(visible.size());
    qsizetype done = 0;
    for (qsizetype at = visible.indexOf(u'&'); at >= 0; at = visible.indexOf(u'&', at + 1)) {
        const Reference reference = referenceAt(visible, at);
        if (reference.length == 0 || reference.character == 0)
            continue;
        const char16_t sign = visibleSign(char16_t(reference.character));
        if (sign == reference.character)
            continue;
        result += QStringView(visible).mid(done, at - done);
        result += QChar(sign);
        done = at + reference.length;
        at = done - 1;
    }
    result += QStringView(visible).mid(done);
    return result;
}

QString UserWrittenText::isolated(const QString &text)
{
    // A numeric character reference may spell a right-to-left letter.
    if (!holdsRightToLeft(text) && !text.contains(QStringLiteral("&#")))
        return text;
    return QChar(IsolateStart) + text + QChar(IsolateEnd);
}

QString UserWrittenText::withoutIsolates(QString text)
{
    text.remove(QChar(IsolateStart));
    text.remove(QChar(IsolateEnd));
    return text;
}
