#include "ChatPeer.h"

#include "net/ChatConnection.h"

#include <QTest>

ChatPeer::ChatPeer(const QString &address)
{
    m_server.listen(QHostAddress(address), ChatConnection::ChatPort);
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        QTcpSocket *socket = m_server.nextPendingConnection();
        if (m_client) {
            socket->abort();
            return;
        }
        m_client = socket;
        connect(socket, &QTcpSocket::readyRead, this, [this] { m_received += m_client->readAll(); });
        connect(socket, &QTcpSocket::disconnected, this, [this] { m_clientGone = true; });
    });
}

bool ChatPeer::isListening() const
{
    return m_server.isListening();
}

bool ChatPeer::waitForClient(int timeoutMs)
{
    return QTest::qWaitFor([this] { return !m_client.isNull(); }, timeoutMs);
}

QByteArray ChatPeer::received() const
{
    return m_received;
}

bool ChatPeer::clientGone() const
{
    return m_clientGone;
}

void ChatPeer::send(const QByteArray &bytes)
{
    if (!m_client)
        return;
    m_client->write(bytes);
    m_client->flush();
}

void ChatPeer::dropClient()
{
    if (m_client)
        m_client->disconnectFromHost();
}
