#pragma once

#include <QTcpServer>

// Hands out accepted connections as sockets. Qt keeps a read and a write buffer for an accepted
// socket whatever its open mode; ClientConnection bounds the first and writes past the second
// straight to the kernel.
class ClientListener : public QTcpServer
{
    Q_OBJECT

public:
    using QTcpServer::QTcpServer;

protected:
    void incomingConnection(qintptr descriptor) override;
};
