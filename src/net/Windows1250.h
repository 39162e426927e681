#pragma once

#include <QByteArray>
#include <QString>

// Text on the wire is Windows-1250 bytes (the code page of the users this protocol serves).
// The one place where text turns into those bytes and back.
class Windows1250
{
public:
    // A character as the user sees it (a grapheme cluster: a surrogate pair, an emoji sequence, a
    // flag, a letter with a combining mark) becomes one "?" when the code page cannot hold it. A
    // letter and mark that compose into a character of the code page become that character.
    static QByteArray encode(const QString &text);
    // Every byte sequence decodes, one character per byte. The five bytes the code page leaves
    // undefined (0x81, 0x83, 0x88, 0x90, 0x98) become the control characters of the same number,
    // so they survive a round trip.
    static QString decode(const QByteArray &bytes);
};
