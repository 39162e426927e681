#pragma once

#include <QByteArray>

// The fixed byte strings of the framing extension (docs/protocol.md). NUL never occurs in text on
// this protocol, so it is free to mark where messages start and end.
namespace FramingBytes {
// Sent by the server once a connection's Join is accepted, as a message of its own.
inline QByteArray offer()
{
    return QByteArray("\0Framing 1\0", 11);
}
// Sent by each side to switch its own output: its leading NUL ends that direction's unframed data.
inline QByteArray switchOver()
{
    return QByteArray("\0Framed 1\0", 10);
}
inline constexpr char terminator = '\0';
}
