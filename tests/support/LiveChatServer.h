#pragma once

#include <QByteArray>
#include <QPointer>
#include <QString>
#include <QTcpServer>
#include <QTcpSocket>

// The server end of a chat test: listens on address:1290, takes the first client that connects,
// records every byte it sends, and writes blocks to it.
class LiveChatServer
{
public:
    explicit LiveChatServer(const QString &address);

    bool isListening() const;
    bool waitForClient(int timeoutMs = 5000);
    // Every byte the client has sent so far.
    QByteArray received() const;
    // Waits for bytes without running the event loop, as a test must inside the program's stop
    // action: true once exactly `expected` has arrived, false when more or other bytes came or
    // nothing more came within timeoutMs.
    bool receivedWithoutEventLoop(const QByteArray &expected, int timeoutMs = 1000);
    bool clientGone() const;

    // One write, then pauseMs with events running once it is all out, so the client takes it as a
    // block of its own. False when the client took too long to read it all.
    bool send(const QByteArray &block, int pauseMs = 50);
    // One write, pushed to the system at once without running events, so the client sees it as a
    // block of its own; safe to call from a timer while the client's test waits.
    void write(const QByteArray &bytes);
    // The server closes the connection.
    void dropClient();

private:
    QTcpServer m_server;
    QPointer<QTcpSocket> m_client;
    QByteArray m_received;
    bool m_clientGone = false;
};
