#pragma once

#include "ClientExtensions.h"
#include "ReceiveQueue.h"
#include "ServerAddress.h"
#include "ServerStreamReader.h"

#include <QList>
#include <QObject>
#include <QSslError>
#include <QString>

class CertificateCheck;
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
//
// An address written tls://host[:port] makes a private connection: the same protocol inside TLS.
// It counts as made (connected()) once the handshake is done; a certificate that is not trusted
// as it is goes to the CertificateCheck, and without its yes the attempt ends as a failed one.
//
// Once framed both ways, the server may offer further extensions (docs/protocol.md): the connection
// answers taking those it knows, writes UTF-8 from its answer on, and reads the server's text as
// UTF-8 from the server's confirmation on. The offer and the confirmation are never handed out.
class ChatConnection : public QObject
{
    Q_OBJECT
public:
    static constexpr quint16 ChatPort = 1290;

    explicit ChatConnection(QObject *parent = nullptr);
    ~ChatConnection() override;

    // Ends any earlier connection or attempt, forgets blocks not yet handed out, and starts
    // connecting to address (host name or dotted address) on the chat port, or with TLS to a
    // tls:// address. Returns at once.
    void connectToServer(const QString &address);
    // Asked about certificates not trusted as they are; none refuses them. Not owned.
    void setCertificateCheck(CertificateCheck *check);
    bool isConnected() const;
    // Connected with TLS, the handshake done.
    bool isPrivate() const;
    // The local end's address in dotted form; "" while not connected.
    QString localAddress() const;
    // True from the server's confirmation of UTF-8 on: text in any script reaches the server and
    // the other users as it was written.
    bool carriesUnicode() const;

    // Sends text in one write, framed once the server has offered framing: Windows-1250 bytes, or
    // UTF-8 once the connection has taken that extension.
    // Returns false, sending nothing, while not connected.
    bool send(const QString &text);
    // Closes the connection once what was sent has gone out. No disconnectedByPeer follows.
    void close();
    // Drops the connection or a still-pending attempt at once; an attempt can no longer complete.
    void abortPending();
    // For the exit paths: while connected, sends "Leave " + userName, waits at most one second
    // for the bytes to reach the system, then closes.
    void leaveAndFlush(const QString &userName);

    // Bytes this connection has sent so far, and how many of them the server's machine has
    // acknowledged as far as was last seen (once the connection is gone, what was seen before).
    qint64 sentBytes() const { return m_sentBytes; }
    qint64 acknowledgedBytes();

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
    void useSocket(bool tls);
    void onSslErrors(const QList<QSslError> &errors);
    void onReadyRead();
    void onDisconnected();
    void takeBytesThatFit();
    void readBytes(const QByteArray &bytes);
    void sendSwitch();
    // True when the block was the offer or the confirmation of extensions, or a later one, which
    // are followed or ignored here and never handed out. The offer is answered at once, as it is
    // read, not when its turn to be handed out comes: the server holds the greeting until then.
    bool takeExtensions(const ServerStreamReader::Block &block);
    void write(const QByteArray &bytes);
    void pullArrivedBytes();
    void scheduleDelivery();
    void deliverNext();

    QTcpSocket *m_socket = nullptr;
    ServerAddress m_address;
    CertificateCheck *m_certificateCheck = nullptr;
    ServerStreamReader m_reader;
    ReceiveQueue m_queue;
    qint64 m_sentBytes = 0;
    qint64 m_acknowledgedBytes = 0;
    bool m_framedOutput = false;
    ClientExtensions m_extensions;
    bool m_closedByUs = false;
    bool m_deliveryScheduled = false;
    bool m_delivering = false;
};
