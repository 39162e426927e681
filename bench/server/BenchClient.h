#pragma once

#include <QElapsedTimer>
#include <QHostAddress>
#include <QObject>
#include <QTcpSocket>

class DeliveryStats;

// One chat user of the benchmark. It signs on, counts the users it hears of, then sends its public
// messages one at a time: the next as soon as the server has sent the previous one back to it, so
// the server never receives two of its messages in one block. Every message carries its send time.
class BenchClient : public QObject
{
    Q_OBJECT

public:
    BenchClient(int index, int messagesToSend, const QElapsedTimer *clock, DeliveryStats *stats,
                QObject *parent = nullptr);

    void connectTo(const QHostAddress &address, quint16 port);
    bool isConnected() const;
    // "UserList" and "Joined" messages received so far.
    int usersHeardOf() const;
    int mergedGreetingBlocks() const;

    void startSending();
    qint64 messagesReceived() const;
    bool isDoneSending() const;

private:
    void readBlock();
    void countUsers(const QByteArray &block);
    void takeMessages(const QByteArray &block);
    void sendNext();

    QByteArray m_name;
    int m_messagesToSend;
    int m_sent = 0;
    const QElapsedTimer *m_clock;
    DeliveryStats *m_stats;
    QTcpSocket m_socket;
    bool m_sending = false;
    int m_usersHeardOf = 0;
    int m_mergedGreetingBlocks = 0;
    qint64 m_messagesReceived = 0;
};
