#include "ChatConnection.h"

#include "Framing.h"
#include "Windows1250.h"
#include "WireProtocol.h"

#include <QDeadlineTimer>
#include <QHostAddress>
#include <QPointer>
#include <QTcpSocket>

namespace {
constexpr int leaveFlushLimitMs = 1000;
// The socket's own buffer: what it holds while the queue is full. Unframed, a read ends a block,
// so it is large enough that a read rarely ends anywhere but where the system's data did.
constexpr qint64 socketBufferBytes = 4 * 1024 * 1024;
constexpr qint64 framedReadBytes = 16 * 1024;
} // namespace

ChatConnection::ChatConnection(QObject *parent)
    : QObject(parent)
    , m_socket(new QTcpSocket(this))
{
    m_socket->setReadBufferSize(socketBufferBytes);
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
    m_queue.forgetBlocks();
    m_reader = ServerStreamReader();
    m_framedOutput = false;
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

bool ChatConnection::carriesUnicode() const
{
    return false;
}

bool ChatConnection::send(const QString &text)
{
    if (!isConnected())
        return false;
    const QByteArray bytes = Windows1250::encode(text);
    m_socket->write(m_framedOutput ? Framing::frame(bytes) : bytes);
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

qsizetype ChatConnection::waitingBytes() const
{
    return m_queue.byteCount();
}

void ChatConnection::onReadyRead()
{
    // Bytes without room in the queue stay in the socket; its bounded buffer then holds the
    // server back.
    takeBytesThatFit();
}

void ChatConnection::onDisconnected()
{
    if (m_closedByUs)
        return;
    // What the server sent just before it closed comes before the drop, however much waits.
    while (m_socket->bytesAvailable() > 0)
        readBytes(m_socket->readAll());
    QList<ServerStreamReader::Block> blocks;
    m_reader.finish(blocks);
    for (const ServerStreamReader::Block &block : std::as_const(blocks))
        m_queue.appendBlock(block);
    m_queue.appendDrop();
    scheduleDelivery();
}

void ChatConnection::takeBytesThatFit()
{
    if (!m_reader.isFramed()) {
        // Unframed, a read is a block: all of what waits, or none of it.
        const qint64 waiting = m_socket->bytesAvailable();
        if (waiting > 0 && (m_queue.isEmpty() || m_queue.byteCount() + waiting <= ReceiveQueue::MaxBytes))
            readBytes(m_socket->readAll());
        return;
    }
    // Framed, where a read ends does not matter: small reads keep the queue within its bound,
    // however many messages each one holds. The last one reads all that is left, which is what
    // lets a socket whose buffer was full read on.
    while (!m_queue.isFull() && m_socket->bytesAvailable() > 0) {
        const bool more = m_socket->bytesAvailable() > framedReadBytes;
        readBytes(more ? m_socket->read(framedReadBytes) : m_socket->readAll());
    }
}

void ChatConnection::readBytes(const QByteArray &bytes)
{
    QList<ServerStreamReader::Block> blocks;
    m_reader.read(bytes, blocks);
    if (m_reader.takeOffer())
        sendSwitch();
    for (const ServerStreamReader::Block &block : std::as_const(blocks))
        m_queue.appendBlock(block);
    if (!m_queue.isEmpty())
        scheduleDelivery();
}

void ChatConnection::sendSwitch()
{
    // One send, so the server sees where our unframed messages end.
    m_socket->write(Framing::switchOver().toByteArray());
    m_socket->flush();
    m_framedOutput = true;
}

void ChatConnection::pullArrivedBytes()
{
    // Unframed, a block ends where a read ended. When the system already holds more, the read may
    // have cut a message: reading it now lets its rest join the block while it still waits.
    qsizetype waiting = -1;
    while (!m_reader.isFramed() && m_queue.count() == 1 && m_queue.endsWithUnframedBlock() && !m_queue.isFull()
           && m_queue.byteCount() != waiting && m_socket->state() == QAbstractSocket::ConnectedState) {
        waiting = m_queue.byteCount();
        m_socket->waitForReadyRead(0);
    }
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
    // Bytes the socket took while the queue was full announce themselves no more.
    takeBytesThatFit();
    pullArrivedBytes();
    if (m_queue.isEmpty())
        return;

    const QPointer<ChatConnection> alive(this);
    m_delivering = true;
    const ReceiveQueue::Entry entry = m_queue.takeNext();
    if (entry.kind == ReceiveQueue::Entry::Block) {
        emit blockReceived(Windows1250::decode(entry.bytes));
        if (!alive)
            return;
        emit blockDispatched();
    } else {
        emit disconnectedByPeer();
    }
    if (!alive)
        return;
    m_delivering = false;
    takeBytesThatFit();
    if (!m_queue.isEmpty())
        scheduleDelivery();
}
