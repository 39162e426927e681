#pragma once

#include <QHostAddress>
#include <QList>
#include <QString>

// A connection as the room knows it: a number the server gives it when it is accepted.
using ClientId = quint64;

// What the room asks of the server that carries its messages.
class RoomOutput
{
public:
    virtual ~RoomOutput() = default;

    // One message to each recipient, each as a send of its own, in the order the room asks.
    virtual void send(const QList<ClientId> &recipients, const QString &message) = 0;
    // The client's Join was accepted; its greeting follows. What the server puts before a greeting
    // here (the framing offer) is no concern of the room's.
    virtual void signedOn(ClientId client) { Q_UNUSED(client); }
    // Closes the connection once what was sent to it has gone out; it sends nothing more.
    virtual void closeWhenSent(ClientId client) = 0;
    // Where the connection comes from; a null address when that is unknown.
    virtual QHostAddress peerAddress(ClientId client) const
    {
        Q_UNUSED(client);
        return {};
    }
    // One line for the server's log about this connection.
    virtual void log(ClientId client, const QString &event) = 0;
};
