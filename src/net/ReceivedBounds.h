#pragma once

#include "Framing.h"
#include "WireProtocol.h"

#include <QString>

// The most of one received message the client keeps. A framed message holds at most
// Framing::MaxMessageBytes (one character per byte on the wire); a server that does not frame can
// send any amount in one block, and what is kept of it becomes rows, list entries and notices that
// stay for the whole session.
//
// A name is cut to MaxNameCharacters, on whole characters, whichever message carries it, so that a
// name's join and its leave always agree: a framed message longer than the limit reaches the
// client in pieces, and of the messages that put names on the list or take them off, the first
// piece of "UserList " + name holds the fewest of the name's characters. That is what a name
// keeps. A text shown to the user (a message, the message of the day, the server's name) keeps
// MaxTextCharacters, as much as a framed message can hold, and then says how much was left out,
// so nothing a framed server sends is cut.
class ReceivedBounds
{
public:
    static constexpr qsizetype MaxNameCharacters = Framing::MaxMessageBytes - qsizetype(sizeof("UserList ") - 1);
    static constexpr qsizetype MaxTextCharacters = Framing::MaxMessageBytes;

    // The received message with every name and every shown text held to its bound.
    static WireProtocol::Received bounded(WireProtocol::Received received);

    static QString name(const QString &name);
    // The text, or its first MaxTextCharacters and " … (N characters left out)".
    static QString shownText(const QString &text);
};
