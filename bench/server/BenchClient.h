#pragma once

#include "ClientInput.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QObject>
#include <QTcpSocket>
#include <QTimer>

class DeliveryStats;

// One chat user of the benchmark. It signs on, counts the users it hears of, then sends its public
// messages: one at a time, the next as soon as the server has sent the previous one back to it (so
// the server never receives two of its messages in one block), or at a steady rate. Every message
// carries its send time.
//
// Paced, it reads as today's client does: one read is one block. Framed, it answers the server's
// offer with its switch, and reads and sends framed messages from then on; it answers the offer of
// further extensions taking none (Windows-1250), or UTF-8 when FramedUtf8; FramedTls does as Framed
// inside TLS, with the server's TLS port. Irc talks to an IRC
// server instead, for figures side by side: NICK, USER and JOIN #room to sign on, PRIVMSG #room to
// send; an IRC server does not send a user's own messages back to it.
class BenchClient : public QObject
{
    Q_OBJECT

public:
    enum class Mode { Paced, Framed, FramedUtf8, FramedTls, Irc };

    BenchClient(int index, Mode mode, int messagesToSend, const QElapsedTimer *clock, DeliveryStats *stats,
                QObject *parent = nullptr);

    // Connects from `source` when it is given.
    void connectTo(const QHostAddress &address, quint16 port, const QHostAddress &source = QHostAddress());
    bool isConnected() const;
    // "UserList" and "Joined" messages received so far.
    int usersHeardOf() const;
    int mergedGreetingBlocks() const;
    bool isFramed() const;

    // Text every message carries after its number and send time; none by default.
    void setText(const QString &text);
    void startSending();
    // Sends its messages `perSecond` a second, the first after a random part of one interval.
    void startSendingAt(double perSecond);
    // False for IRC: the sender does not receive its own messages.
    bool receivesOwnMessages() const;
    qint64 messagesReceived() const;
    bool isDoneSending() const;

private:
    void readSocket();
    void readIrcLines();
    void takeIrcLine(const QByteArray &line);
    void takeFramed(const QByteArray &bytes);
    void takeBlock(const QByteArray &block);
    // True when the framed message was the offer or confirmation of extensions.
    bool takeExtensions(const QByteArray &message);
    void countUsers(const QByteArray &block);
    void takeMessages(const QByteArray &block);
    void sendNext();

    QByteArray m_name;
    QTimer m_sendTimer;
    // IRC: the start of a line whose end has not come yet.
    QByteArray m_partialLine;
    Mode m_mode;
    int m_messagesToSend;
    int m_sent = 0;
    const QElapsedTimer *m_clock;
    DeliveryStats *m_stats;
    QTcpSocket *m_socket;
    // Framed: what the server sends after its offer, cut into messages.
    ClientInput m_input;
    bool m_offered = false;
    int m_extensionMessages = 0;
    bool m_writesUtf8 = false;
    QString m_text;
    bool m_sending = false;
    bool m_sendsAtRate = false;
    int m_usersHeardOf = 0;
    int m_mergedGreetingBlocks = 0;
    qint64 m_messagesReceived = 0;
};
