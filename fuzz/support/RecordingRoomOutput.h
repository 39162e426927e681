#pragma once

#include "RoomOutput.h"

#include <QList>
#include <QSet>
#include <QString>

// The server side of a room in the fuzz target: no sockets, only what the room asked for. Checks on
// every send that the room writes to nobody twice and to no connection it has already closed.
class RecordingRoomOutput : public RoomOutput
{
public:
    struct Sent
    {
        QList<ClientId> recipients;
        QString message;
    };

    QList<Sent> sent;
    // Connections the room closed; the server delivers nothing more to them.
    QSet<ClientId> closed;

    void send(const QList<ClientId> &recipients, const QString &message) override;
    void closeWhenSent(ClientId client) override;
    void log(ClientId client, const QString &event) override;
};
