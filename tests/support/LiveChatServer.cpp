#include "LiveChatServer.h"

#include "net/ChatConnection.h"

#include <QDeadlineTimer>
#include <QTest>

LiveChatServer::LiveChatServer(const QString &address)
{
    m_server.listen(QHostAddress(address), ChatConnection::ChatPort);
    QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] {
        while (QTcpSocket *socket = m_server.nextPendingConnection()) {
            if (m_client) {
                socket->abort();
                socket->deleteLater();
                continue;
            }
            m_client = socket;
            // Blocks go out as written, not held back to wait for the client's acknowledgement.
            socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
            QObject::connect(socket, &QTcpSocket::readyRead, &m_server, [this, socket] { m_received += socket->readAll(); });
            QObject::connect(socket, &QTcpSocket::disconnected, &m_server, [this] { m_clientGone = true; });
        }
    });
}

bool LiveChatServer::isListening() const
{
    return m_server.isListening();
}

bool LiveChatServer::waitForClient(int timeoutMs)
{
    return QTest::qWaitFor([this] { return !m_client.isNull(); }, timeoutMs);
}

QByteArray LiveChatServer::received() const
{
    return m_received;
}

bool LiveChatServer::receivedWithoutEventLoop(const QByteArray &expected, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (m_client && expected.startsWith(m_received) && m_received != expected && !deadline.hasExpired()) {
        if (!m_client->waitForReadyRead(int(deadline.remainingTime())))
            break;
        m_received += m_client->readAll();
    }
    return m_received == expected;
}

bool LiveChatServer::clientGone() const
{
    return m_clientGone;
}

bool LiveChatServer::send(const QByteArray &block, int pauseMs)
{
    if (!m_client)
        return false;
    write(block);
    // A large block goes out as the client reads; what follows must not join its tail.
    const bool allOut = QTest::qWaitFor([this] { return !m_client || m_client->bytesToWrite() == 0; }, 30000);
    QTest::qWait(pauseMs);
    return allOut;
}

void LiveChatServer::write(const QByteArray &bytes)
{
    if (!m_client)
        return;
    m_client->write(bytes);
    m_client->flush();
}

void LiveChatServer::dropClient()
{
    if (m_client)
        m_client->disconnectFromHost();
}
