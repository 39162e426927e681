#include "ClientConnection.h"

#include <QTcpSocket>
#include <QTimerEvent>

ClientConnection::ClientConnection(QTcpSocket *socket, int gapMs, QObject *parent)
    : QObject(parent)
    , m_socket(socket)
    , m_gapMs(gapMs)
{
    m_socket->setParent(this);
    // Every message goes out as a segment of its own instead of waiting to join the next one.
    m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    m_socket->setSocketOption(QAbstractSocket::SendBufferSizeSocketOption, SendBufferSize);
    m_socket->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, ReceiveBufferSize);
    connect(m_socket, &QTcpSocket::readyRead, this, &ClientConnection::readBlock);
    // Only the rest of a message the kernel could not take at once is written later.
    connect(m_socket, &QTcpSocket::bytesWritten, this, [this] {
        if (m_socket->bytesToWrite() == 0)
            messageLeft();
    });
    connect(m_socket, &QTcpSocket::disconnected, this, [this] { finish(QString()); });
    connect(m_socket, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError error) {
        if (error == QAbstractSocket::RemoteHostClosedError)
            finish(QString());
        else
            fail(m_socket->errorString());
    });
}

void ClientConnection::send(const QByteArray &message)
{
    if (m_closing)
        return;
    m_queue.enqueue(message);
    m_queuedBytes += message.size();
    if (queuedBytes() > MaxQueuedBytes) {
        fail(QStringLiteral("more than %1 bytes waiting to be sent").arg(MaxQueuedBytes));
        return;
    }
    writeNext();
}

void ClientConnection::closeWhenSent()
{
    if (m_closing)
        return;
    m_closing = true;
    m_lingerTimer.start(LingerMs, this);
    closeIfDone();
}

void ClientConnection::abort()
{
    m_closing = true;
    m_finished = true;
    m_queue.clear();
    m_queuedBytes = 0;
    m_socket->abort();
}

bool ClientConnection::isClosing() const
{
    return m_closing;
}

qint64 ClientConnection::queuedBytes() const
{
    return m_queuedBytes + m_socket->bytesToWrite();
}

void ClientConnection::timerEvent(QTimerEvent *event)
{
    if (event->timerId() == m_gapTimer.timerId()) {
        m_gapTimer.stop();
        writeNext();
    } else if (event->timerId() == m_lingerTimer.timerId()) {
        m_lingerTimer.stop();
        fail(QStringLiteral("last messages not taken within %1 ms").arg(LingerMs));
    } else {
        QObject::timerEvent(event);
    }
}

void ClientConnection::readBlock()
{
    // Whatever one read brings is one block: the client sent it as one message. One byte more
    // than a block may hold shows an oversized block without ever reading more than that; the
    // server reads one socket at a time, so all connections share the buffer.
    static char buffer[MaxBlockSize + 1];
    const qint64 length = m_socket->read(buffer, sizeof buffer);
    if (length < 0 || m_socket->state() == QAbstractSocket::UnconnectedState) {
        // An unbuffered socket learns of the client's close here, and says so with no signal.
        finish(QString());
        return;
    }
    if (length > MaxBlockSize) {
        fail(QStringLiteral("received a block over %1 bytes").arg(MaxBlockSize));
        return;
    }
    if (length <= 0 || m_closing)
        return;
    if (!m_heardFrom) {
        m_heardFrom = true;
        m_gapTimer.start(SignOnSettleMs, Qt::PreciseTimer, this);
    }
    emit blockReceived(QByteArray(buffer, length));
}

void ClientConnection::messageLeft()
{
    // The gap runs even when nothing waits, so a message sent a moment later keeps its distance
    // too; with no gap it still passes through the event loop, never recursing message by message.
    m_gapTimer.start(m_gapMs, Qt::PreciseTimer, this);
    closeIfDone();
}

void ClientConnection::writeNext()
{
    if (m_gapTimer.isActive() || m_socket->bytesToWrite() > 0 || m_queue.isEmpty() || m_finished)
        return;
    const QByteArray message = m_queue.dequeue();
    m_queuedBytes -= message.size();
    // A queue that once held a long backlog (the user list of a big room, say) would keep its
    // capacity for as long as the connection lives.
    if (m_queue.isEmpty() && m_queue.capacity() > IdleQueueCapacity) {
        m_queue = QQueue<QByteArray>();
        emit backlogSent();
    }
    if (m_socket->write(message) < 0) {
        fail(m_socket->errorString());
        return;
    }
    if (m_socket->bytesToWrite() == 0)
        messageLeft();
}

void ClientConnection::closeIfDone()
{
    if (!m_closing || m_finished || !m_queue.isEmpty() || m_socket->bytesToWrite() > 0)
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
    m_queue.clear();
    m_queuedBytes = 0;
    finish(reason);
    m_socket->abort();
}

void ClientConnection::finish(const QString &reason)
{
    if (m_finished)
        return;
    m_finished = true;
    m_gapTimer.stop();
    m_lingerTimer.stop();
    // Queued, so that whoever sent or received when the connection ended is never re-entered.
    QMetaObject::invokeMethod(this, [this, reason] { emit finished(reason); }, Qt::QueuedConnection);
}
