#include "UnansweredServer.h"

#include "net/ChatConnection.h"

#include <QTcpSocket>

namespace {
constexpr int maxFillers = 16;
constexpr int hangingAfterMs = 300;
}

UnansweredServer::UnansweredServer(const QString &address)
{
    m_server.setListenBacklogSize(0);
    if (!m_server.listen(QHostAddress(address), ChatConnection::ChatPort))
        return;
    m_server.pauseAccepting();
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *socket = m_server.nextPendingConnection())
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { m_received += socket->readAll(); });
    });
    for (int i = 0; i < maxFillers && !m_silent; ++i) {
        auto *filler = new QTcpSocket(this);
        filler->connectToHost(QHostAddress(address), ChatConnection::ChatPort);
        m_silent = !filler->waitForConnected(hangingAfterMs);
        m_queueFillers << filler;
    }
}

UnansweredServer::~UnansweredServer()
{
    qDeleteAll(m_queueFillers);
}

bool UnansweredServer::isSilent() const
{
    return m_silent;
}

void UnansweredServer::answer()
{
    qDeleteAll(m_queueFillers);
    m_queueFillers.clear();
    m_server.resumeAccepting();
}

QByteArray UnansweredServer::received() const
{
    return m_received;
}
