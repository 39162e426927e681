#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

// The other servers of a shared room as one server sees them: what each sent last, when it was
// last heard, and which users it holds, so that a server gone silent takes its users with it.
class ClusterPeers
{
public:
    // False when `sequence` from `node` came before (a repeat, dropped). A gap counts as lost.
    bool accept(const QString &node, quint64 sequence, qint64 nowMs);
    void heard(const QString &node, qint64 nowMs);

    void addUser(const QString &node, const QString &name);
    void removeUser(const QString &name);

    // Forgets the servers not heard for silenceMs and returns the names of their users.
    QStringList takeUsersOfSilentNodes(qint64 nowMs, qint64 silenceMs);

    quint64 lostCount() const { return m_lost; }

private:
    struct Peer
    {
        quint64 lastSequence = 0;
        qint64 lastHeardMs = 0;
    };

    QHash<QString, Peer> m_peers;
    QHash<QString, QString> m_nodeOfUser;
    quint64 m_lost = 0;
};
