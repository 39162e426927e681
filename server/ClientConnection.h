#pragma once

#include <QBasicTimer>
#include <QByteArray>
#include <QObject>
#include <QQueue>

class QTcpSocket;

// One client's socket. The protocol has no framing, so this class keeps messages apart on the
// wire: each message is written on its own, the next only after the previous one has left the
// socket and a short gap has passed, and one read is one received block. It also holds the limits
// that keep one client from costing the others memory or time, and closes itself when a limit is
// passed or the socket fails.
class ClientConnection : public QObject
{
    Q_OBJECT

public:
    // A longer block closes the connection.
    static constexpr qint64 MaxBlockSize = 64 * 1024;
    // More unsent bytes than this close the connection: the client is not reading.
    static constexpr qint64 MaxQueuedBytes = 1024 * 1024;
    // Kernel send buffer asked for: the largest message fits whole, so it leaves in one send even
    // on a fresh connection whose buffer would otherwise start small.
    static constexpr int SendBufferSize = 2 * MaxBlockSize;
    // Kernel receive buffer asked for: its window lets a whole oversized block arrive before the
    // server reads, so the block shows as too long instead of as pieces of a message.
    static constexpr int ReceiveBufferSize = 4 * MaxBlockSize;
    // How long a connection being closed may take to let its last messages go out.
    static constexpr int LingerMs = 5000;
    // Pause before the answer to a connection's first message (its sign-on): the client has just
    // connected and is opening its chat window, and greeting messages reaching it meanwhile would
    // be read as one block.
    static constexpr int SignOnSettleMs = 150;
    // Queue capacity an idle connection may keep.
    static constexpr qsizetype IdleQueueCapacity = 16;

    // Takes ownership of `socket`, which must be connected and opened unbuffered.
    ClientConnection(QTcpSocket *socket, int gapMs, QObject *parent = nullptr);

    void send(const QByteArray &message);
    // Sends what is queued, then closes; further input and sends are dropped.
    void closeWhenSent();
    // Closes at once, dropping what is queued; no finished() follows.
    void abort();

    // True once closeWhenSent() or abort() was called or a limit was passed.
    bool isClosing() const;

signals:
    void blockReceived(const QByteArray &block);
    // A backlog of more than IdleQueueCapacity messages has gone out: the memory it held is free.
    void backlogSent();
    // Emitted once, from the event loop, when the connection is over. `reason` is empty when the
    // client or the room ended it, and says why when the connection closed it for a limit or error.
    void finished(const QString &reason);

protected:
    void timerEvent(QTimerEvent *event) override;

private:
    // Messages not yet handed to the kernel.
    qint64 queuedBytes() const;
    void readBlock();
    void messageLeft();
    void writeNext();
    void closeIfDone();
    void fail(const QString &reason);
    void finish(const QString &reason);

    QTcpSocket *m_socket;
    int m_gapMs;
    QQueue<QByteArray> m_queue;
    qint64 m_queuedBytes = 0;
    // Runs from the moment a message has left until the next one may go.
    QBasicTimer m_gapTimer;
    QBasicTimer m_lingerTimer;
    bool m_closing = false;
    bool m_finished = false;
    bool m_heardFrom = false;
};
