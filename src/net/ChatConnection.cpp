#include "ChatConnection.h"

#include "Windows1250.h"
#include "WireProtocol.h"

#include <QDeadlineTimer>
#include <QHostAddress>
#include <QPointer>
#include <QTcpSocket>

namespace {
constexpr int leaveFlushLimitMs = 1000;
}

ChatConnection::ChatConnection(QObject *parent)
    : QObject(parent)
    , m_socket(new QTcpSocket(this))
{
    // The protocol has no framing: without no-delay the kernel holds a short message back while
    // an earlier one is unacknowledged, and the server then reads two messages as one.
    connect(m_socket, &QTcpSocket::connected, this,
            [this] { m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1); });
    connect(m_socket, &QTcpSocket::connected, this, &ChatConnection::connected);
    connect(m_socket, &QTcpSocket::readyRead, this, &ChatConnection::onReadyRead);
    connect(m_socket, &QTcpSocket::disconnected, this, &ChatConnection::onDisconnected);
}

ChatConnection::~ChatConnection()
{
    // The socket is a child and goes with us; it must not report its own end to a half-destroyed
    // object.
    m_socket->disconnect(this);
}

void ChatConnection::connectToServer(const QString &address)
{
    abortPending();
    forgetPending();
    m_closedByUs = false;
    m_socket->connectToHost(address, ChatPort);
}

bool ChatConnection::isConnected() const
{
    return m_socket->state() == QAbstractSocket::ConnectedState;
}

QString ChatConnection::localAddress() const
{
    if (!isConnected())
        return QString();
    const QHostAddress address = m_socket->localAddress();
    bool isIPv4 = false;
    const quint32 ipv4 = address.toIPv4Address(&isIPv4);
    return isIPv4 ? QHostAddress(ipv4).toString() : address.toString();
}

bool ChatConnection::send(const QString &text)
{
    if (!isConnected())
        return false;
    m_socket->write(Windows1250::encode(text));
    m_socket->flush();
    return true;
}

void ChatConnection::close()
{
    m_closedByUs = true;
    m_socket->close();
}

void ChatConnection::abortPending()
{
    // close() leaves a pending connect running; only abort() cancels it.
    m_closedByUs = true;
    m_socket->abort();
}

void ChatConnection::leaveAndFlush(const QString &userName)
{
    if (!send(WireProtocol::leave(userName)))
        return;
    const QDeadlineTimer deadline(leaveFlushLimitMs);
    while (m_socket->bytesToWrite() > 0 && !deadline.hasExpired()) {
        if (!m_socket->waitForBytesWritten(int(deadline.remainingTime())))
            break;
    }
    close();
}

void ChatConnection::onReadyRead()
{
    takeWaitingBytes();
}

void ChatConnection::onDisconnected()
{
    if (m_closedByUs)
        return;
    // What the server sent just before it closed comes before the drop.
    takeWaitingBytes();
    m_dropPending = true;
    scheduleDelivery();
}

void ChatConnection::takeWaitingBytes()
{
    const QByteArray bytes = m_socket->readAll();
    if (bytes.isEmpty())
        return;
    m_blocks.enqueue(Windows1250::decode(bytes));
    scheduleDelivery();
}

void ChatConnection::scheduleDelivery()
{
    if (m_deliveryScheduled)
        return;
    m_deliveryScheduled = true;
    QMetaObject::invokeMethod(this, &ChatConnection::deliverNext, Qt::QueuedConnection);
}

void ChatConnection::deliverNext()
{
    m_deliveryScheduled = false;
    // Called again by the running delivery once its handlers have returned.
    if (m_delivering)
        return;
    if (m_blocks.isEmpty() && !m_dropPending)
        return;

    const QPointer<ChatConnection> alive(this);
    m_delivering = true;
    if (!m_blocks.isEmpty()) {
        emit blockReceived(m_blocks.dequeue());
        if (!alive)
            return;
        emit blockDispatched();
    } else {
        m_dropPending = false;
        emit disconnectedByPeer();
    }
    if (!alive)
        return;
    m_delivering = false;
    if (!m_blocks.isEmpty() || m_dropPending)
        scheduleDelivery();
}

void ChatConnection::forgetPending()
{
    m_blocks.clear();
    m_dropPending = false;
}
