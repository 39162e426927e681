#include "ClientConnection.h"

#include "FramingBytes.h"

#include "net/DeadPeerDetection.h"

#include <QSslSocket>
#include <QTimerEvent>

#include <cerrno>
#include <cstring>
#include <linux/sockios.h>
#include <sys/ioctl.h>
#include <sys/socket.h>

namespace {
// One byte more than the socket may hold: every read empties the socket's buffer and asks for more,
// which is what lets the socket take from the kernel again. The server reads one socket at a time,
// so all connections share the buffer.
char readBuffer[ClientConnection::ReadBufferSize + 1];
}

ClientConnection::ClientConnection(QTcpSocket *socket, PacingSchedule *pacing, int gapMs, const ConnectionLimits &limits,
                                   QObject *parent)
    : QObject(parent)
    , m_socket(socket)
    , m_tlsSocket(qobject_cast<QSslSocket *>(socket))
    , m_peerAddress(socket->peerAddress())
    , m_pacing(pacing)
    , m_gapMs(gapMs)
    , m_limits(limits)
    , m_messageRate(limits.messageBurst, limits.messagesPerSecond, 0)
    , m_byteRate(limits.byteBurst, limits.bytesPerSecond, 0)
{
    m_socket->setParent(this);
    // Every message goes out as a segment of its own instead of waiting to join the next one.
    m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    m_socket->setSocketOption(QAbstractSocket::SendBufferSizeSocketOption, SendBufferSize);
    m_kernelSendBuffer = m_socket->socketOption(QAbstractSocket::SendBufferSizeSocketOption).toLongLong();
    m_socket->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, ReceiveBufferSize);
    // A client that vanished is closed within a minute, and its name is free again.
    DeadPeerDetection::enable(m_socket->socketDescriptor());
    // A TCP socket keeps a buffer of its own whatever the open mode, and without a bound it would
    // take everything the client sends while the server does not read.
    m_socket->setReadBufferSize(ReadBufferSize);
    connect(m_socket, &QTcpSocket::readyRead, this, &ClientConnection::serviceInput);
    // Only what the kernel could not take at once is written later.
    const auto leftLate = [this] {
        // Said from inside the flush of a write: the write itself goes on.
        if (m_flushingTls)
            return;
        m_lastProgressMs = nowMs();
        if (socketBacklog() == 0) {
            // The message left late, held back by the reader: its gap counts from now.
            m_writeSlotMs = nowMs();
            written();
        }
    };
    connect(m_socket, &QTcpSocket::bytesWritten, this, leftLate);
    // Encrypted bytes that the kernel could not take at once leave with this signal alone.
    if (m_tlsSocket)
        connect(m_tlsSocket, &QSslSocket::encryptedBytesWritten, this, leftLate);
    connect(m_socket, &QTcpSocket::disconnected, this, [this] { finish(QString()); });
    connect(m_socket, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError error) {
        if (error == QAbstractSocket::RemoteHostClosedError)
            finish(QString());
        else
            fail(m_socket->errorString());
    });
}

ClientConnection::~ClientConnection()
{
    cancelPacing();
}

void ClientConnection::send(const QByteArray &message)
{
    if (m_closing)
        return;
    m_output.push(message);
    queued();
}

void ClientConnection::send(const SharedText &text)
{
    if (m_closing)
        return;
    m_output.push(text);
    queued();
}

void ClientConnection::queued()
{
    checkQueueLimits();
    if (m_closing)
        return;
    // Framed messages queued in one pass of the event loop (a user list, a burst of sign-ons) go
    // out together.
    if (m_output.isFramed())
        scheduleFlush();
    else
        writeNext();
}

void ClientConnection::offerFraming()
{
    if (m_offered || m_closing)
        return;
    m_offered = true;
    m_input.offer();
    send(FramingBytes::offer());
}

void ClientConnection::closeWhenSent()
{
    if (m_closing)
        return;
    m_closing = true;
    m_lingerTimer.start(LingerMs, this);
    // Nothing is gained by waiting for an answer any longer.
    releaseGreeting();
    closeIfDone();
}

void ClientConnection::abort()
{
    m_closing = true;
    m_finished = true;
    cancelPacing();
    m_output.clear();
    m_socket->abort();
}

void ClientConnection::writeDue()
{
    m_scheduledMs = -1;
    writeNext();
}

bool ClientConnection::isClosing() const
{
    return m_closing;
}

bool ClientConnection::isFramed() const
{
    return m_output.isFramed();
}

QHostAddress ClientConnection::peerAddress() const
{
    return m_peerAddress;
}

qint64 ClientConnection::queuedBytes() const
{
    return m_output.queuedBytes() + socketBacklog();
}

qint64 ClientConnection::socketBacklog() const
{
    const qint64 encrypted = m_tlsSocket ? m_tlsSocket->encryptedBytesToWrite() : 0;
    return m_socket->bytesToWrite() + encrypted;
}

qint64 ClientConnection::waitingBytes() const
{
    const qint64 queued = queuedBytes();
    // The kernel is asked only when its share could make the difference to a limit.
    if (queued + m_kernelSendBuffer <= m_limits.stalledQueueBytes)
        return queued;
    return queued + unacknowledgedBytes();
}

qint64 ClientConnection::unacknowledgedBytes() const
{
    int bytes = 0;
    if (::ioctl(int(m_socket->socketDescriptor()), SIOCOUTQ, &bytes) != 0)
        return 0;
    return bytes;
}

qint64 ClientConnection::nowMs() const
{
    return m_pacing->nowMs();
}

void ClientConnection::timerEvent(QTimerEvent *event)
{
    if (event->timerId() == m_resumeTimer.timerId()) {
        m_resumeTimer.stop();
        serviceInput();
    } else if (event->timerId() == m_extensionTimer.timerId()) {
        releaseGreeting();
    } else if (event->timerId() == m_stallTimer.timerId()) {
        checkStall();
    } else if (event->timerId() == m_lingerTimer.timerId()) {
        m_lingerTimer.stop();
        fail(QStringLiteral("last messages not taken within %1 ms").arg(LingerMs));
    } else {
        QObject::timerEvent(event);
    }
}

void ClientConnection::serviceInput()
{
    while (!m_closing) {
        const qint64 now = nowMs();
        const qint64 waitMs = std::max(m_messageRate.waitMs(now), m_byteRate.waitMs(now));
        if (waitMs > 0) {
            // The socket stays unread meanwhile: its buffers fill and TCP holds the client back.
            m_resumeTimer.start(int(waitMs), this);
            return;
        }
        QByteArray message;
        const bool taken = m_input.takeMessage(&message);
        if (m_input.isBroken()) {
            fail(m_input.error());
            return;
        }
        followClientSwitch();
        if (!taken) {
            // Only when what was read is used up: the input never holds more than one read.
            if (!readSocket())
                return;
            continue;
        }
        m_messageRate.take(1, now);
        if (!takeExtensionAnswer(message))
            emit messageReceived(WireText::decode(message, m_extensions.encoding()));
    }
    dropInput();
}

bool ClientConnection::readSocket()
{
    const qint64 length = m_socket->read(readBuffer, sizeof readBuffer);
    if (length < 0 || m_socket->state() == QAbstractSocket::UnconnectedState) {
        // The socket may learn of the client's close here, and then says so with no signal.
        finish(QString());
        return false;
    }
    if (length == 0)
        return false;
    // Bytes count as they are read, whatever they hold: a stream of empty frames costs its rate too.
    m_byteRate.take(double(length), nowMs());
    if (!m_input.append(QByteArray(readBuffer, length))) {
        fail(m_input.error());
        return false;
    }
    return true;
}

void ClientConnection::followClientSwitch()
{
    if (!m_input.isFramed() || m_output.isFramed())
        return;
    m_output.switchToFramed(m_extensions.offer());
    m_extensionTimer.start(ExtensionAnswerMs, this);
    cancelPacing();
    writeNext();
}

bool ClientConnection::takeExtensionAnswer(const QByteArray &message)
{
    if (!m_extensions.takeAnswer(message))
        return false;
    m_extensionTimer.stop();
    m_output.confirm(m_extensions.confirmation(), m_extensions.encoding());
    checkQueueLimits();
    writeNext();
    return true;
}

void ClientConnection::releaseGreeting()
{
    m_extensionTimer.stop();
    if (!m_output.isHeld())
        return;
    m_output.release();
    writeNext();
}

void ClientConnection::dropInput()
{
    // A closing connection still reads what comes, so its close is seen and never turns into a
    // reset that could cost the client its last messages. One read at a time: a client that keeps
    // sending cannot hold the server here.
    if (m_finished)
        return;
    const qint64 length = m_socket->read(readBuffer, sizeof readBuffer);
    if (length < 0 || m_socket->state() == QAbstractSocket::UnconnectedState)
        finish(QString());
}

void ClientConnection::checkQueueLimits()
{
    const qint64 queued = waitingBytes();
    if (queued > m_limits.maxQueuedBytes) {
        fail(QStringLiteral("more than %1 bytes waiting to be sent").arg(m_limits.maxQueuedBytes));
        return;
    }
    if (queued > m_limits.stalledQueueBytes && !m_stallTimer.isActive()) {
        // The reader's time without progress counts from here at the earliest.
        m_lastProgressMs = std::max(m_lastProgressMs, nowMs());
        m_stallTimer.start(m_limits.stallTimeoutMs, this);
    }
}

void ClientConnection::checkStall()
{
    m_stallTimer.stop();
    const qint64 waiting = waitingBytes();
    if (waiting <= m_limits.stalledQueueBytes)
        return;
    const qint64 quietMs = nowMs() - m_lastProgressMs;
    if (quietMs >= m_limits.stallTimeoutMs) {
        fail(QStringLiteral("took nothing of %1 waiting bytes for %2 ms").arg(waiting).arg(quietMs));
        return;
    }
    m_stallTimer.start(int(m_limits.stallTimeoutMs - quietMs), this);
}

void ClientConnection::scheduleFlush()
{
    if (m_flushScheduled)
        return;
    m_flushScheduled = true;
    QMetaObject::invokeMethod(this, [this] {
        m_flushScheduled = false;
        writeNext();
    }, Qt::QueuedConnection);
}

bool ClientConnection::waitForGap()
{
    if (nowMs() >= m_nextWriteMs)
        return false;
    scheduleWrite();
    return true;
}

void ClientConnection::scheduleWrite()
{
    if (m_scheduledMs >= 0)
        return;
    m_waitedForGap = true;
    m_scheduledMs = m_nextWriteMs;
    m_pacing->schedule(this, m_scheduledMs);
}

void ClientConnection::cancelPacing()
{
    if (m_scheduledMs < 0)
        return;
    m_pacing->cancel(this, std::exchange(m_scheduledMs, -1));
}

void ClientConnection::writeNext()
{
    if (m_finished || socketBacklog() > 0 || !m_output.hasWrite())
        return;
    if (!m_output.isFramed()) {
        if (waitForGap())
            return;
        cancelPacing();
        // A message that waited for its gap keeps to the schedule: a pass that came late does not
        // push every later message back. One that found the gap over counts from now.
        m_writeSlotMs = std::exchange(m_waitedForGap, false) ? m_nextWriteMs : nowMs();
    }
    do {
        const QByteArray bytes = m_output.takeWrite();
        m_offerLeaving = m_offered && !m_output.isFramed() && bytes == FramingBytes::offer();
        if (m_output.releaseBacklog())
            emit backlogSent();
        if (!writeToSocket(bytes))
            return;
    } while (m_output.isFramed() && socketBacklog() == 0 && m_output.hasWrite());
    if (socketBacklog() == 0)
        written();
}

bool ClientConnection::writeToSocket(const QByteArray &bytes)
{
    // Straight to the kernel while nothing waits in the socket's own buffer: QTcpSocket would copy
    // every message into a buffer of its own, watch the socket for room and write it in a later pass
    // of the event loop, with a signal when it has. Only what the kernel cannot take now goes there.
    // With TLS every byte goes through the socket, which encrypts it.
    qsizetype sent = 0;
    if (!m_tlsSocket && m_socket->bytesToWrite() == 0) {
        const ssize_t length = ::send(int(m_socket->socketDescriptor()), bytes.constData(), size_t(bytes.size()),
                                      MSG_NOSIGNAL | MSG_DONTWAIT);
        if (length < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
            // A client that is gone is no fault to log.
            fail(errno == EPIPE || errno == ECONNRESET ? QString() : QString::fromLocal8Bit(std::strerror(errno)));
            return false;
        }
        sent = std::max<qsizetype>(length, 0);
    }
    if (sent < bytes.size() && m_socket->write(bytes.constData() + sent, bytes.size() - sent) < 0) {
        fail(m_socket->errorString());
        return false;
    }
    if (m_tlsSocket && m_tlsSocket->isEncrypted()) {
        // Encrypted and handed to the kernel now, as a plain write is, instead of in later passes
        // of the event loop: a framed batch then goes on at once, and costs no passes of its own.
        m_flushingTls = true;
        m_tlsSocket->flush();
        m_flushingTls = false;
    }
    return true;
}

void ClientConnection::written()
{
    m_lastProgressMs = nowMs();
    if (m_output.isFramed()) {
        writeNext();
    } else {
        // The gap runs even when nothing waits, so a message sent a moment later keeps its
        // distance too. A late pass is made up for by at most the schedule's grain, so two
        // messages never go closer than that much less than the gap.
        const int gapMs = std::exchange(m_offerLeaving, false) ? OfferAnswerMs : m_gapMs;
        m_nextWriteMs = std::max(m_writeSlotMs + gapMs, nowMs() + gapMs - PacingSchedule::GrainMs);
        // Through the schedule even with no gap, never recursing message by message.
        if (!m_output.isEmpty())
            scheduleWrite();
    }
    closeIfDone();
}

void ClientConnection::closeIfDone()
{
    if (!m_closing || m_finished || !m_output.isEmpty() || socketBacklog() > 0)
        return;
    m_socket->disconnectFromHost();
    if (m_socket->state() == QAbstractSocket::UnconnectedState)
        finish(QString());
}

void ClientConnection::fail(const QString &reason)
{
    if (m_finished)
        return;
    m_closing = true;
    m_output.clear();
    finish(reason);
    m_socket->abort();
}

void ClientConnection::finish(const QString &reason)
{
    if (m_finished)
        return;
    m_finished = true;
    cancelPacing();
    m_lingerTimer.stop();
    m_resumeTimer.stop();
    m_extensionTimer.stop();
    m_stallTimer.stop();
    // Queued, so that whoever sent or received when the connection ended is never re-entered.
    QMetaObject::invokeMethod(this, [this, reason] { emit finished(reason); }, Qt::QueuedConnection);
}
