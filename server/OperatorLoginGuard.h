#pragma once

#include "LoginThrottle.h"
#include "RoomOutput.h"

#include <QHash>
#include <QHostAddress>

#include <functional>

// Slows down guessing the operator password where the guesses come from, not for the whole room:
// each connection and each address has a LoginThrottle of its own, and an attempt is checked only
// when neither of them is pausing. Guesses from one address cost the same over however many
// connections they come, while a login from another address is checked at once, so a guesser
// cannot keep the operator out. An IPv6 address counts with its whole /64 network, which one
// machine usually holds. The table of addresses is bounded: when it is full, addresses whose
// pause is over are forgotten first, then the half that failed longest ago.
class OperatorLoginGuard
{
public:
    static constexpr qsizetype MaxAddresses = 4096;

    // clock: as LoginThrottle's.
    explicit OperatorLoginGuard(std::function<qint64()> clock = {});

    // Whether an attempt by `client` from `address` is checked now; otherwise the milliseconds
    // still to wait in *waitMs.
    bool allows(ClientId client, const QHostAddress &address, qint64 *waitMs = nullptr) const;
    void failed(ClientId client, const QHostAddress &address);
    void succeeded(ClientId client, const QHostAddress &address);
    // The connection is gone; its address keeps its count.
    void forget(ClientId client);

    qsizetype addressCount() const;

private:
    static QHostAddress guessingNetwork(const QHostAddress &address);
    LoginThrottle &addressThrottle(const QHostAddress &network);
    void makeRoomForAddress();

    std::function<qint64()> m_clock;
    QHash<ClientId, LoginThrottle> m_connections;
    QHash<QHostAddress, LoginThrottle> m_addresses;
};
