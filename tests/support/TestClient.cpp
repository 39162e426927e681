#include "TestClient.h"

#include "net/Windows1250.h"

#include "EventLoopWait.h"

namespace {
// Long enough for a server in this or another process to read one block; the server then handles
// it before a later block can arrive.
constexpr int SettleMs = 15;
}

TestClient::TestClient(QObject *parent)
    : QObject(parent)
{
    connect(&m_socket, &QTcpSocket::readyRead, this, [this] { m_blocks += m_socket.readAll(); });
}

void TestClient::bindTo(const QHostAddress &local)
{
    m_socket.bind(local);
}

bool TestClient::connectTo(const QHostAddress &address, quint16 port)
{
    m_socket.connectToHost(address, port);
    // waitForConnected() would block the event loop that an in-process server needs.
    const bool settled = EventLoopWait::until([this] {
        return m_socket.state() != QAbstractSocket::ConnectingState
            && m_socket.state() != QAbstractSocket::HostLookupState;
    }, 10000);
    // Without this the kernel holds a small message back while an earlier one is unacknowledged,
    // and two of them reach the server as one block.
    m_socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    // Room for the largest block in one send, so a block the tests mean as one arrives as one.
    m_socket.setSocketOption(QAbstractSocket::SendBufferSizeSocketOption, 256 * 1024);
    return settled && m_socket.state() == QAbstractSocket::ConnectedState;
}

void TestClient::send(const QString &message)
{
    sendBytes(Windows1250::encode(message));
}

void TestClient::sendBytes(const QByteArray &bytes)
{
    m_socket.write(bytes);
    m_socket.flush();
    if (EventLoopWait::until([this] { return m_socket.bytesToWrite() == 0; }, 10000))
        EventLoopWait::during(SettleMs);
}

void TestClient::disconnectFromServer()
{
    m_socket.disconnectFromHost();
}

bool TestClient::waitForBlocks(int count, int timeoutMs)
{
    return EventLoopWait::until([this, count] { return m_blocks.size() >= count; }, timeoutMs);
}

QStringList TestClient::takeBlocks()
{
    QStringList blocks;
    for (const QByteArray &block : std::exchange(m_blocks, {}))
        blocks += Windows1250::decode(block);
    return blocks;
}

QByteArrayList TestClient::takeRawBlocks()
{
    return std::exchange(m_blocks, {});
}

QStringList TestClient::receive(int count)
{
    waitForBlocks(count);
    QStringList blocks;
    for (const QByteArray &block : m_blocks.mid(0, count))
        blocks += Windows1250::decode(block);
    m_blocks.remove(0, blocks.size());
    return blocks;
}

bool TestClient::waitForDisconnected(int timeoutMs)
{
    return EventLoopWait::until([this] { return m_socket.state() == QAbstractSocket::UnconnectedState; },
                           timeoutMs);
}

bool TestClient::isConnected() const
{
    return m_socket.state() == QAbstractSocket::ConnectedState;
}

bool TestClient::signOn(const QHostAddress &address, quint16 port, const QString &name)
{
    if (!connectTo(address, port))
        return false;
    send(QStringLiteral("Join ") + name);
    // The greeting ends with the new user's own UserList.
    const QString ownEntry = QStringLiteral("UserList ") + name;
    const bool greeted = EventLoopWait::until([&] {
        return !m_blocks.isEmpty() && Windows1250::decode(m_blocks.constLast()) == ownEntry;
    }, 10000);
    if (!greeted)
        return false;
    m_blocks.clear();
    return true;
}
