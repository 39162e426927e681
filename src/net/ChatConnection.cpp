#include "ChatConnection.h"

#include "CertificateCheck.h"
#include "DeadPeerDetection.h"
#include "Framing.h"
#include "WireProtocol.h"

#include <QDeadlineTimer>
#include <QHostAddress>
#include <QPointer>
#include <QSslSocket>

#include <linux/sockios.h>
#include <sys/ioctl.h>

namespace {
constexpr int leaveFlushLimitMs = 1000;
// The socket's own buffer: what it holds while the queue is full. Unframed, a read ends a block,
// so it is large enough that a read rarely ends anywhere but where the system's data did.
constexpr qint64 socketBufferBytes = 4 * 1024 * 1024;
constexpr qint64 framedReadBytes = 16 * 1024;
} // namespace

ChatConnection::ChatConnection(QObject *parent)
    : QObject(parent)
{
    useSocket(false);
}

// A plain connection keeps its plain socket: only a tls:// address uses TLS's.
void ChatConnection::useSocket(bool tls)
{
    if (m_socket && (qobject_cast<QSslSocket *>(m_socket) != nullptr) == tls)
        return;
    if (m_socket) {
        m_socket->disconnect(this);
        m_socket->deleteLater();
    }
    auto *secure = tls ? new QSslSocket(this) : nullptr;
    m_socket = tls ? secure : new QTcpSocket(this);
    m_socket->setReadBufferSize(socketBufferBytes);
    // The protocol has no framing: without no-delay the kernel holds a short message back while
    // an earlier one is unacknowledged, and the server then reads two messages as one. Keep-alive
    // makes a server that vanished show as a dropped connection within a minute.
    connect(m_socket, &QTcpSocket::connected, this, [this] {
        m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        DeadPeerDetection::enable(m_socket->socketDescriptor());
    });
    if (secure) {
        connect(secure, &QSslSocket::encrypted, this, &ChatConnection::connected);
        connect(secure, &QSslSocket::sslErrors, this, &ChatConnection::onSslErrors);
    } else {
        connect(m_socket, &QTcpSocket::connected, this, &ChatConnection::connected);
    }
    connect(m_socket, &QTcpSocket::readyRead, this, &ChatConnection::onReadyRead);
    connect(m_socket, &QTcpSocket::disconnected, this, &ChatConnection::onDisconnected);
}

void ChatConnection::setCertificateCheck(CertificateCheck *check)
{
    m_certificateCheck = check;
}

void ChatConnection::onSslErrors(const QList<QSslError> &errors)
{
    auto *secure = qobject_cast<QSslSocket *>(m_socket);
    if (m_certificateCheck && m_certificateCheck->accepts(m_address.endpoint(), errors, secure->peerCertificate())) {
        secure->ignoreSslErrors();
        return;
    }
    // Refused: the attempt ends as one that failed, with no drop to tell.
    m_closedByUs = true;
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
    m_extensions = ClientExtensions();
    m_closedByUs = false;
    m_sentBytes = 0;
    m_acknowledgedBytes = 0;
    m_address = ServerAddress::parse(address, ChatPort);
    useSocket(m_address.tls);
    if (auto *secure = qobject_cast<QSslSocket *>(m_socket))
        secure->connectToHostEncrypted(m_address.host, m_address.port);
    else
        m_socket->connectToHost(m_address.host, m_address.port);
}

bool ChatConnection::isConnected() const
{
    return m_socket->state() == QAbstractSocket::ConnectedState;
}

bool ChatConnection::isPrivate() const
{
    const auto *secure = qobject_cast<const QSslSocket *>(m_socket);
    return secure && isConnected() && secure->isEncrypted();
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
    return m_extensions.inputEncoding() == WireText::Encoding::Utf8;
}

bool ChatConnection::send(const QString &text)
{
    if (!isConnected())
        return false;
    const QByteArray bytes = WireText::encode(text, m_extensions.outputEncoding());
    write(m_framedOutput ? Framing::frame(bytes) : bytes);
    return true;
}

qint64 ChatConnection::acknowledgedBytes()
{
    // What the kernel still holds for the server is what the server's machine has not acknowledged.
    int unacknowledged = 0;
    if (isConnected() && ::ioctl(int(m_socket->socketDescriptor()), SIOCOUTQ, &unacknowledged) == 0)
        m_acknowledgedBytes = m_sentBytes - m_socket->bytesToWrite() - unacknowledged;
    return m_acknowledgedBytes;
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
    const auto *secure = qobject_cast<const QSslSocket *>(m_socket);
    const auto unsent = [&] { return m_socket->bytesToWrite() + (secure ? secure->encryptedBytesToWrite() : 0); };
    while (unsent() > 0 && !deadline.hasExpired()) {
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
    for (const ServerStreamReader::Block &block : std::as_const(blocks)) {
        if (!takeExtensions(block))
            m_queue.appendBlock(block, m_extensions.inputEncoding());
    }
    if (!m_queue.isEmpty())
        scheduleDelivery();
}

bool ChatConnection::takeExtensions(const ServerStreamReader::Block &block)
{
    // Only a connection framed both ways agrees to them: an unframed block is no marker.
    if (!block.framed || !m_extensions.take(block.bytes))
        return false;
    const QByteArray answer = m_extensions.takeAnswer();
    if (!answer.isEmpty())
        write(Framing::frame(answer));
    return true;
}

void ChatConnection::sendSwitch()
{
    // One send, so the server sees where our unframed messages end.
    write(Framing::switchOver().toByteArray());
    m_framedOutput = true;
}

void ChatConnection::write(const QByteArray &bytes)
{
    m_socket->write(bytes);
    m_socket->flush();
    m_sentBytes += bytes.size();
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
        emit blockReceived(WireText::decode(entry.bytes, entry.encoding));
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
