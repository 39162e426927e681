#pragma once

#include <QTcpServer>

// Hands out accepted connections as unbuffered sockets: a message is written straight to the
// kernel when it fits, and a read takes straight from the kernel. A buffered socket keeps buffer
// blocks of its own for as long as it lives, which would multiply by every idle connection.
class ClientListener : public QTcpServer
{
    Q_OBJECT

public:
    using QTcpServer::QTcpServer;

protected:
    void incomingConnection(qintptr descriptor) override;
};
