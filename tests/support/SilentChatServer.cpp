#include "SilentChatServer.h"

#include "net/ChatConnection.h"

#include <QTcpSocket>

namespace {
constexpr int maxQueueFillers = 16;
constexpr int hangingAfterMs = 300;
}

SilentChatServer::SilentChatServer(const QString &address)
{
    m_server.setListenBacklogSize(0);
    if (!m_server.listen(QHostAddress(address), ChatConnection::ChatPort))
        return;
    m_server.pauseAccepting();
    QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] {
        while (QTcpSocket *socket = m_server.nextPendingConnection())
            QObject::connect(socket, &QTcpSocket::readyRead, &m_server, [this, socket] { m_received += socket->readAll(); });
    });
    for (int i = 0; i < maxQueueFillers && !m_silent; ++i) {
        auto *filler = new QTcpSocket;
        filler->connectToHost(QHostAddress(address), ChatConnection::ChatPort);
        m_silent = !filler->waitForConnected(hangingAfterMs);
        m_queueFillers << filler;
    }
}

SilentChatServer::~SilentChatServer()
{
    qDeleteAll(m_queueFillers);
}

bool SilentChatServer::isSilent() const
{
    return m_silent;
}

void SilentChatServer::answer()
{
    qDeleteAll(m_queueFillers);
    m_queueFillers.clear();
    m_server.resumeAccepting();
}

QByteArray SilentChatServer::received() const
{
    return m_received;
}
