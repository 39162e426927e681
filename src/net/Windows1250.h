#pragma once

#include <QByteArray>
#include <QString>

// Text on the wire is Windows-1250 bytes (the code page of the users this protocol serves).
// The one place where text turns into those bytes and back.
class Windows1250
{
public:
    // A character outside the code page becomes "?".
    static QByteArray encode(const QString &text);
    // Every byte sequence decodes; bytes the code page leaves undefined become U+FFFD.
    static QString decode(const QByteArray &bytes);
};
