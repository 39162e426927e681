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
    // One byte more than a block may hold, so an oversized block shows itself without the socket
    // ever buffering more than that.
    m_socket->setReadBufferSize(MaxBlockSize + 1);
    connect(m_socket, &QTcpSocket::readyRead, this, &ClientConnection::readBlock);
    connect(m_socket, &QTcpSocket::bytesWritten, this, &ClientConnection::messageLeft);
    connect(m_socket, &QTcpSocket::disconnected, this, [this] { finish(QString()); });
    connect(m_socket, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError error) {
        if (error != QAbstractSocket::RemoteHostClosedError)
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
        closeIfDone();
    } else if (event->timerId() == m_lingerTimer.timerId()) {
        m_lingerTimer.stop();
        fail(QStringLiteral("last messages not taken within %1 ms").arg(LingerMs));
    } else {
        QObject::timerEvent(event);
    }
}

void ClientConnection::readBlock()
{
    // Whatever one read brings is one block: the client sent it as one message.
    if (m_socket->bytesAvailable() > MaxBlockSize) {
        fail(QStringLiteral("received a block over %1 bytes").arg(MaxBlockSize));
        return;
    }
    const QByteArray block = m_socket->readAll();
    if (!m_closing && !block.isEmpty())
        emit blockReceived(block);
}

void ClientConnection::messageLeft()
{
    if (m_socket->bytesToWrite() > 0)
        return;
    // The gap runs even when nothing waits, so a message sent a moment later keeps its distance too.
    if (m_gapMs > 0)
        m_gapTimer.start(m_gapMs, Qt::PreciseTimer, this);
    else
        writeNext();
    closeIfDone();
}

void ClientConnection::writeNext()
{
    if (!isIdle() || m_queue.isEmpty())
        return;
    const QByteArray message = m_queue.dequeue();
    m_queuedBytes -= message.size();
    m_socket->write(message);
}

bool ClientConnection::isIdle() const
{
    return !m_gapTimer.isActive() && m_socket->bytesToWrite() == 0;
}

void ClientConnection::closeIfDone()
{
    if (m_closing && !m_finished && m_queue.isEmpty() && m_socket->bytesToWrite() == 0)
        m_socket->disconnectFromHost();
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
