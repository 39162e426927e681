#pragma once

#include <QByteArrayList>
#include <QHostAddress>
#include <QObject>
#include <QStringList>
#include <QTcpSocket>

// A chat client as the server sees one: sends each message as one block and keeps every block it
// receives apart, exactly as one read brought it. Waits run the event loop, so a server in the same
// process keeps working meanwhile.
class TestClient : public QObject
{
    Q_OBJECT

public:
    explicit TestClient(QObject *parent = nullptr);

    // The local address the next connection comes from (any, unless a test sets one).
    void bindTo(const QHostAddress &local);
    bool connectTo(const QHostAddress &address, quint16 port);
    // Writes one message and lets the server take it before anything else is sent, so two messages
    // never reach the server as one block.
    void send(const QString &message);
    void sendBytes(const QByteArray &bytes);
    void disconnectFromServer();

    // Waits until at least `count` blocks have arrived since the last take.
    bool waitForBlocks(int count, int timeoutMs = 10000);
    // The blocks received since the last take, decoded, and forgets them.
    QStringList takeBlocks();
    QByteArrayList takeRawBlocks();
    // Waits for `count` blocks and takes them; later blocks stay.
    QStringList receive(int count);
    bool waitForDisconnected(int timeoutMs = 10000);
    bool isConnected() const;

    // Connects and signs on as `name`, taking the greeting (Welcome, maybe Msgday, the user list).
    bool signOn(const QHostAddress &address, quint16 port, const QString &name);

private:
    QTcpSocket m_socket;
    QByteArrayList m_blocks;
};
