#include "SignOnGate.h"

SignOnGate::SignOnGate(const ConnectionLimits &limits)
    : m_limits(limits)
{
}

SignOnGate::Admission SignOnGate::admit(ClientId client, const QHostAddress &address, qint64 nowMs)
{
    Admission admission;
    if (m_perAddress.value(address) >= m_limits.maxPendingPerAddress && !makeRoom(&address, nowMs, &admission)) {
        admission.refusal = QStringLiteral("already %1 connections from this address not signed on")
                                .arg(m_limits.maxPendingPerAddress);
        return admission;
    }
    if (m_waiting.size() >= m_limits.maxPendingConnections && !makeRoom(nullptr, nowMs, &admission)) {
        admission.refusal = QStringLiteral("already %1 connections not signed on").arg(m_limits.maxPendingConnections);
        return admission;
    }
    m_waiting.insert(client, Waiting{address, nowMs, nowMs + m_limits.firstMessageTimeoutMs});
    ++m_perAddress[address];
    admission.admitted = true;
    return admission;
}

void SignOnGate::heardFrom(ClientId client)
{
    const auto found = m_waiting.find(client);
    if (found != m_waiting.end())
        found->deadlineMs = found->connectedMs + m_limits.signOnTimeoutMs;
}

void SignOnGate::remove(ClientId client)
{
    const auto found = m_waiting.find(client);
    if (found == m_waiting.end())
        return;
    const auto count = m_perAddress.find(found->address);
    if (--count.value() == 0)
        m_perAddress.erase(count);
    m_waiting.erase(found);
}

bool SignOnGate::isWaiting(ClientId client) const
{
    return m_waiting.contains(client);
}

QList<ClientId> SignOnGate::expired(qint64 nowMs) const
{
    QList<ClientId> clients;
    for (auto it = m_waiting.cbegin(); it != m_waiting.cend(); ++it) {
        if (it->deadlineMs <= nowMs)
            clients += it.key();
    }
    return clients;
}

qint64 SignOnGate::nextDeadlineMs() const
{
    qint64 next = -1;
    for (const Waiting &waiting : m_waiting) {
        if (next < 0 || waiting.deadlineMs < next)
            next = waiting.deadlineMs;
    }
    return next;
}

bool SignOnGate::makeRoom(const QHostAddress *address, qint64 nowMs, Admission *admission)
{
    for (auto it = m_waiting.cbegin(); it != m_waiting.cend(); ++it) {
        if (address && it->address != *address)
            continue;
        if (nowMs - it->connectedMs < m_limits.pendingGraceMs)
            return false;
        const ClientId oldest = it.key();
        admission->evicted += oldest;
        remove(oldest);
        return true;
    }
    return false;
}
