#pragma once

#include <QByteArray>
#include <QString>

// How the text of one direction of a connection becomes bytes: Windows-1250, as every peer knows it,
// or UTF-8 once both ends have agreed to it (docs/protocol.md).
class WireText
{
public:
    enum class Encoding { Windows1250, Utf8 };

    static QByteArray encode(const QString &text, Encoding encoding);
    // Every byte sequence decodes: UTF-8 that is not valid becomes U+FFFD, never passed on as it came.
    static QString decode(const QByteArray &bytes, Encoding encoding);
};
