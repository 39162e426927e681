#pragma once

#include <QByteArray>

// The framing extension's bytes as docs/protocol.md writes them, kept apart from the server's own
// constants so that the tests pin them down.
namespace FramingWire {
inline const QByteArray offer("\0Framing 1\0", 11);
inline const QByteArray switchOver("\0Framed 1\0", 10);

inline QByteArray framed(const QByteArray &message)
{
    return message + '\0';
}
}
