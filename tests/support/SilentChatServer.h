#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QTcpServer>

class QTcpSocket;

// An address whose server never answers: it listens on address:1290 but takes no connection, and
// its queue is kept full, so the system drops every new attempt and the client keeps retrying.
class SilentChatServer
{
public:
    explicit SilentChatServer(const QString &address);
    ~SilentChatServer();

    // True once an attempt was seen to hang.
    bool isSilent() const;
    // Starts answering: an attempt that is still retrying would now get through.
    void answer();
    // Bytes received on any connection taken since answer().
    QByteArray received() const;

private:
    QTcpServer m_server;
    QList<QTcpSocket *> m_queueFillers;
    QByteArray m_received;
    bool m_silent = false;
};
