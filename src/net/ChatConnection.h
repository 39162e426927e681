#pragma once

#include "ReceiveQueue.h"
#include "ServerStreamReader.h"

#include <QObject>
#include <QString>

class QTcpSocket;

// The one TCP connection to the chat server.
//
// The protocol has no framing, so every read of the socket is one block, until the server offers
// the framing extension (docs/protocol.md): then the connection answers with its switch, frames
// what it sends from there on, and once the server's switch has come hands out every message on
// its own. Blocks are handed out one at a time, in arrival order, from a queued call: never from
// inside the socket's readyRead (the socket announces no bytes that arrive while that handler
// runs, so a handler that lets events run there would find later blocks merged), and never inside
// the handling of an earlier block that is still running (it may wait in a yield or a modal box).
// A drop by the server is handed out the same way, after the blocks that came before it, and is
// never forgotten, not even by connecting anew.
//
// What waits to be handed out is bounded: once ReceiveQueue::MaxBytes wait, the socket is no
// longer read (its own buffer is bounded too), TCP slows the server down, and reading goes on as
// the queue drains. Nothing is dropped.
class ChatConnection : public QObject
{
    Q_OBJECT
public:
    static constexpr quint16 ChatPort = 1290;

    explicit ChatConnection(QObject *parent = nullptr);
    ~ChatConnection() override;

    // Ends any earlier connection or attempt, forgets blocks not yet handed out, and starts
    // connecting to address (host name or dotted address) on the chat port. Returns at once.
    void connectToServer(const QString &address);
    bool isConnected() const;
    // The local end's address in dotted form; "" while not connected.
    QString localAddress() const;
    // True once the server agreed to UTF-8 on this connection: text then goes both ways whole.
    bool carriesUnicode() const;

    // Sends text as Windows-1250 bytes in one write, framed once the server has offered framing.
    // Returns false, sending nothing, while not connected.
    bool send(const QString &text);
    // Closes the connection once what was sent has gone out. No disconnectedByPeer follows.
    void close();
    // Drops the connection or a still-pending attempt at once; an attempt can no longer complete.
    void abortPending();
    // For the exit paths: while connected, sends "Leave " + userName, waits at most one second
    // for the bytes to reach the system, then closes.
    void leaveAndFlush(const QString &userName);

    // Bytes received and not yet handed out, as the queue counts them.
    qsizetype waitingBytes() const;

signals:
    void connected();
    // One block as the server sent it, decoded.
    void blockReceived(const QString &block);
    // After each block's handlers have returned, e.g. to refresh the user count.
    void blockDispatched();
    // The server closed the connection.
    void disconnectedByPeer();

private:
    void onReadyRead();
    void onDisconnected();
    void takeBytesThatFit();
    void readBytes(const QByteArray &bytes);
    void sendSwitch();
    void pullArrivedBytes();
    void scheduleDelivery();
    void deliverNext();

    QTcpSocket *m_socket;
    ServerStreamReader m_reader;
    ReceiveQueue m_queue;
    bool m_framedOutput = false;
    bool m_closedByUs = false;
    bool m_deliveryScheduled = false;
    bool m_delivering = false;
};
