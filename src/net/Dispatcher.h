#pragma once

#include "ChatFrontEnd.h"
#include "WireProtocol.h"

#include <QString>

// Turns one block from the server into its effects on the main window: rows, user list,
// notices, sounds, flashes and the answers sent back. Keeps nothing between blocks, so a
// block dispatched while another one waits in a yield or a box cannot disturb it.
class Dispatcher
{
public:
    explicit Dispatcher(ChatFrontEnd &frontEnd);

    // One received block, whole. Unknown command words and blocks without one do nothing. Its
    // names and texts are held to ReceivedBounds before any of them is used.
    void DataParsing(const QString &block);

    // The server closed the connection: the dropped-connection row, then an empty user list.
    void connectionDropped();

private:
    void onMessage(const WireProtocol::Received &received);
    void onPMMessage(const WireProtocol::Received &received);
    void onErrUsername(const WireProtocol::Received &received);
    void onPMError(const WireProtocol::Received &received);
    void onUserList(const WireProtocol::Received &received);
    void onJoined(const WireProtocol::Received &received);
    void onLeft(const WireProtocol::Received &received);
    void onKicked(const WireProtocol::Received &received);
    void onUKicked(const WireProtocol::Received &received);
    void onWelcome(const WireProtocol::Received &received);
    void onMsgday(const WireProtocol::Received &received);

    // Removes every entry equal to name that one pass over the list reaches (see the .cpp).
    void removeUser(const QString &name);

    ChatFrontEnd &m_frontEnd;
};
