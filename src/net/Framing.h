#pragma once

#include <QByteArray>
#include <QByteArrayView>

// The bytes of the framing extension (docs/protocol.md). Text never carries a NUL, so a NUL can
// end each message once both ends of a direction have agreed to it.
class Framing
{
public:
    static constexpr char End = '\0';
    // A framed message longer than this before its NUL is handed out in pieces of this size.
    static constexpr qsizetype MaxMessageBytes = 64 * 1024;

    // What the server sends after its greeting, and the answer that switches a direction.
    static QByteArrayView offer() { return QByteArrayView("\0Framing 1\0", 11); }
    static QByteArrayView switchOver() { return QByteArrayView("\0Framed 1\0", 10); }

    // One message as a framed sender writes it: its bytes without any NUL, then the NUL.
    static QByteArray frame(QByteArray message)
    {
        message.removeIf([](char byte) { return byte == End; });
        message.append(End);
        return message;
    }
};
