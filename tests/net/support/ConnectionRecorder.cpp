#include "ConnectionRecorder.h"

#include "net/WireProtocol.h"

ConnectionRecorder::ConnectionRecorder(ChatConnection &connection, const QString &userName)
{
    QObject::connect(&connection, &ChatConnection::connected, [&connection, userName] {
        connection.send(WireProtocol::join(userName));
    });
    QObject::connect(&connection, &ChatConnection::blockReceived, [this](const QString &block) { events << block; });
    QObject::connect(&connection, &ChatConnection::blockDispatched, [this] { events << QStringLiteral("<dispatched>"); });
    QObject::connect(&connection, &ChatConnection::disconnectedByPeer, [this] { events << QStringLiteral("<dropped>"); });
}

QStringList ConnectionRecorder::blocks() const
{
    QStringList onlyBlocks = events;
    onlyBlocks.removeAll(QStringLiteral("<dispatched>"));
    return onlyBlocks;
}
