#include "ClusterPeers.h"

QList<ClusterEvent> ClusterPeers::arrange(const ClusterEvent &event, qint64 nowMs)
{
    Peer &peer = m_peers[event.node];
    peer.lastHeardMs = nowMs;
    // A server heard for the first time may have sent before this one listened.
    if (peer.lastSequence == 0 && peer.waiting.isEmpty())
        peer.lastSequence = event.sequence - 1;
    if (event.sequence <= peer.lastSequence || peer.waiting.contains(event.sequence))
        return {};
    if (peer.waiting.isEmpty())
        peer.waitingSinceMs = nowMs;
    peer.waiting.insert(event.sequence, event);
    if (peer.waiting.size() > MaxWaiting)
        giveUpGap(peer);
    return release(peer, nowMs);
}

QList<ClusterEvent> ClusterPeers::takeOverdue(qint64 nowMs, qint64 waitMs)
{
    QList<ClusterEvent> due;
    for (Peer &peer : m_peers) {
        if (peer.waiting.isEmpty() || nowMs - peer.waitingSinceMs <= waitMs)
            continue;
        giveUpGap(peer);
        due += release(peer, nowMs);
    }
    return due;
}

QList<ClusterEvent> ClusterPeers::release(Peer &peer, qint64 nowMs)
{
    QList<ClusterEvent> due;
    while (!peer.waiting.isEmpty() && peer.waiting.firstKey() == peer.lastSequence + 1) {
        due += peer.waiting.take(peer.waiting.firstKey());
        ++peer.lastSequence;
    }
    // What still waits does so from now, behind the gap that just closed.
    if (!due.isEmpty())
        peer.waitingSinceMs = nowMs;
    return due;
}

void ClusterPeers::giveUpGap(Peer &peer)
{
    m_lost += peer.waiting.firstKey() - peer.lastSequence - 1;
    peer.lastSequence = peer.waiting.firstKey() - 1;
}

bool ClusterPeers::heard(const QString &node, qint64 nowMs)
{
    const bool first = !m_peers.contains(node);
    m_peers[node].lastHeardMs = nowMs;
    return first;
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
