#pragma once

#include <QSslConfiguration>
#include <QTcpServer>

// Hands out accepted connections as sockets. Qt keeps a read and a write buffer for an accepted
// socket whatever its open mode; ClientConnection bounds the first and writes past the second
// straight to the kernel.
//
// A listener with TLS hands out QSslSockets whose handshake has begun: the connection counts from
// its accept, so a client that never completes the handshake waits under the same limits as one
// that never signs on.
class ClientListener : public QTcpServer
{
    Q_OBJECT

public:
    using QTcpServer::QTcpServer;

    // Connections accepted from now on use TLS with this configuration.
    void setTlsConfiguration(const QSslConfiguration &configuration);

protected:
    void incomingConnection(qintptr descriptor) override;

private:
    QSslConfiguration m_tls;
    bool m_usesTls = false;
};
