#pragma once

#include "ClusterEvent.h"

#include <QHash>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

// The other servers of a shared room as one server sees them: which of each one's events came,
// when it was last heard, and which users it holds, so that a server gone silent takes its users
// with it. An event sent again after a NATS server went down can overtake later ones: events wait
// here until those before them came, so the room hears each server's events once and in order.
class ClusterPeers
{
public:
    // How many events of one server wait for an earlier one at most; beyond it the earlier one
    // counts as lost.
    static constexpr qsizetype MaxWaiting = 10000;

    // The events of event.node that are now due, in its order: none for a repeat or while an
    // earlier one is missing.
    QList<ClusterEvent> arrange(const ClusterEvent &event, qint64 nowMs);
    // Events that waited longer than waitMs for an earlier one: the missing ones count as lost.
    QList<ClusterEvent> takeOverdue(qint64 nowMs, qint64 waitMs);
    // True when node was heard for the first time (or the first time since it fell silent).
    bool heard(const QString &node, qint64 nowMs);

    void addUser(const QString &node, const QString &name);
    void removeUser(const QString &name);

    // Forgets the servers not heard for silenceMs and returns the names of their users.
    QStringList takeUsersOfSilentNodes(qint64 nowMs, qint64 silenceMs);

    quint64 lostCount() const { return m_lost; }

private:
    struct Peer
    {
        // 0: nothing came yet from this server.
        quint64 lastSequence = 0;
        qint64 lastHeardMs = 0;
        QMap<quint64, ClusterEvent> waiting;
        qint64 waitingSinceMs = 0;
    };

    QList<ClusterEvent> release(Peer &peer, qint64 nowMs);
    void giveUpGap(Peer &peer);

    QHash<QString, Peer> m_peers;
    QHash<QString, QString> m_nodeOfUser;
    quint64 m_lost = 0;
};
