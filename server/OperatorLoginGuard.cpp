#include "OperatorLoginGuard.h"

#include <QDeadlineTimer>
#include <QList>

#include <algorithm>
#include <utility>

namespace {
qint64 steadyMilliseconds()
{
    return QDeadlineTimer::current().deadline();
}

bool allowsNow(const LoginThrottle *throttle, qint64 *waitMs)
{
    qint64 wait = 0;
    const bool allowed = !throttle || throttle->allows(&wait);
    *waitMs = std::max(*waitMs, wait);
    return allowed;
}
} // namespace

OperatorLoginGuard::OperatorLoginGuard(std::function<qint64()> clock)
    : m_clock(clock ? std::move(clock) : steadyMilliseconds)
{
}

bool OperatorLoginGuard::allows(ClientId client, const QHostAddress &address, qint64 *waitMs) const
{
    qint64 wait = 0;
    const auto connection = m_connections.constFind(client);
    const auto network = m_addresses.constFind(guessingNetwork(address));
    const bool connectionAllows = allowsNow(connection == m_connections.constEnd() ? nullptr : &*connection, &wait);
    const bool addressAllows = allowsNow(network == m_addresses.constEnd() ? nullptr : &*network, &wait);
    if (waitMs)
        *waitMs = wait;
    return connectionAllows && addressAllows;
}

void OperatorLoginGuard::failed(ClientId client, const QHostAddress &address)
{
    auto connection = m_connections.find(client);
    if (connection == m_connections.end())
        connection = m_connections.insert(client, LoginThrottle(m_clock));
    connection->failed();
    addressThrottle(guessingNetwork(address)).failed();
}

void OperatorLoginGuard::succeeded(ClientId client, const QHostAddress &address)
{
    m_connections.remove(client);
    m_addresses.remove(guessingNetwork(address));
}

void OperatorLoginGuard::forget(ClientId client)
{
    m_connections.remove(client);
}

qsizetype OperatorLoginGuard::addressCount() const
{
    return m_addresses.size();
}

QHostAddress OperatorLoginGuard::guessingNetwork(const QHostAddress &address)
{
    bool isIPv4 = false;
    const quint32 ipv4 = address.toIPv4Address(&isIPv4);
    if (isIPv4)
        return QHostAddress(ipv4);
    if (address.protocol() != QAbstractSocket::IPv6Protocol)
        return address;
    Q_IPV6ADDR bytes = address.toIPv6Address();
    std::fill(std::begin(bytes.c) + 8, std::end(bytes.c), quint8(0));
    return QHostAddress(bytes);
}

LoginThrottle &OperatorLoginGuard::addressThrottle(const QHostAddress &network)
{
    auto found = m_addresses.find(network);
    if (found != m_addresses.end())
        return *found;
    if (m_addresses.size() >= MaxAddresses)
        makeRoomForAddress();
    return *m_addresses.insert(network, LoginThrottle(m_clock));
}

void OperatorLoginGuard::makeRoomForAddress()
{
    m_addresses.removeIf([](const auto &entry) { return entry.value().allows(); });
    if (m_addresses.size() < MaxAddresses)
        return;
    // Every address is pausing: the half that failed longest ago goes, so that a stream of new
    // addresses costs linear time, not a search of the table for each one.
    QList<qint64> failures;
    failures.reserve(m_addresses.size());
    for (const LoginThrottle &throttle : std::as_const(m_addresses))
        failures += throttle.lastFailureMs();
    const auto middle = failures.begin() + failures.size() / 2;
    std::nth_element(failures.begin(), middle, failures.end());
    const qint64 cut = *middle;
    m_addresses.removeIf([cut](const auto &entry) { return entry.value().lastFailureMs() <= cut; });
}
