#include "ClusterPeers.h"

bool ClusterPeers::accept(const QString &node, quint64 sequence, qint64 nowMs)
{
    Peer &peer = m_peers[node];
    peer.lastHeardMs = nowMs;
    if (sequence <= peer.lastSequence)
        return false;
    // A server heard for the first time may have sent before this one listened.
    if (peer.lastSequence > 0)
        m_lost += sequence - peer.lastSequence - 1;
    peer.lastSequence = sequence;
    return true;
}

void ClusterPeers::heard(const QString &node, qint64 nowMs)
{
    m_peers[node].lastHeardMs = nowMs;
}

void ClusterPeers::addUser(const QString &node, const QString &name)
{
    m_nodeOfUser.insert(name, node);
}

void ClusterPeers::removeUser(const QString &name)
{
    m_nodeOfUser.remove(name);
}

QStringList ClusterPeers::takeUsersOfSilentNodes(qint64 nowMs, qint64 silenceMs)
{
    QStringList names;
    for (auto peer = m_peers.begin(); peer != m_peers.end();) {
        if (nowMs - peer->lastHeardMs <= silenceMs) {
            ++peer;
            continue;
        }
        for (auto user = m_nodeOfUser.begin(); user != m_nodeOfUser.end();) {
            if (user.value() == peer.key()) {
                names += user.key();
                user = m_nodeOfUser.erase(user);
            } else {
                ++user;
            }
        }
        peer = m_peers.erase(peer);
    }
    return names;
}
