#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

// The server end of a test: listens on address:1290 and takes the first client that connects.
class ChatPeer : public QObject
{
    Q_OBJECT
public:
    explicit ChatPeer(const QString &address);

    bool isListening() const;
    bool waitForClient(int timeoutMs = 5000);
    // Every byte the client has sent so far.
    QByteArray received() const;
    bool clientGone() const;

    // One write, pushed to the system at once, so the client sees it as a block of its own.
    void send(const QByteArray &bytes);
    void dropClient();

private:
    QTcpServer m_server;
    QPointer<QTcpSocket> m_client;
    QByteArray m_received;
    bool m_clientGone = false;
};
