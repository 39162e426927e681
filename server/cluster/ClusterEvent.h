#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// One thing a server of a shared room tells the others, as it travels through NATS. Each server
// numbers what it sends from 1, so a receiver sees whether it got each one once and in order.
struct ClusterEvent
{
    enum class Kind { Hello, Roster, Joined, Left, Kicked, Message, PrivateMessage, Motd };

    QString node;
    quint64 sequence = 0;
    Kind kind = Kind::Hello;
    // Joined, Left: the name. Kicked: name, operator. Message: name, text. PrivateMessage: sender,
    // recipient, text. Motd: the text. Roster: every name of the sending server.
    QStringList fields;

    QByteArray encode() const;
    // False for anything another server of the room would not send.
    static bool decode(const QByteArray &data, ClusterEvent *event);
};
