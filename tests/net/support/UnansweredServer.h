#pragma once

#include <QList>
#include <QObject>
#include <QTcpServer>

class QTcpSocket;

// A server on address:1290 that lets connection attempts hang: it accepts nothing and its
// listen queue is full, so the system drops every new attempt and the client keeps retrying.
class UnansweredServer : public QObject
{
    Q_OBJECT
public:
    explicit UnansweredServer(const QString &address);
    ~UnansweredServer() override;

    // True once an attempt was seen to hang.
    bool isSilent() const;
    // Starts answering: the queue empties, and an attempt that is still retrying gets through.
    void answer();
    // Bytes received on every connection accepted since answer().
    QByteArray received() const;

private:
    QTcpServer m_server;
    QList<QTcpSocket *> m_queueFillers;
    QByteArray m_received;
    bool m_silent = false;
};
