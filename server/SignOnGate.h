#pragma once

#include "ConnectionLimits.h"
#include "RoomOutput.h"

#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QMap>
#include <QString>

// The connections that have not signed on yet: how many there may be, in all and per address, and
// how long each may take. Silent or half-open connections thus never fill the server, and a crowd
// of them from one address never locks out the others. Bookkeeping only, with the time passed in;
// the server closes what it names.
class SignOnGate
{
public:
    struct Admission
    {
        bool admitted = false;
        // Why not, for the log.
        QString refusal;
        // Older waiting connections closed to make room; the caller closes them.
        QList<ClientId> evicted;
    };

    explicit SignOnGate(const ConnectionLimits &limits);

    Admission admit(ClientId client, const QHostAddress &address, qint64 nowMs);
    // The connection sent something: it now has until the sign-on time-out.
    void heardFrom(ClientId client);
    // Signed on or closed: no longer waiting.
    void remove(ClientId client);
    bool isWaiting(ClientId client) const;
    // The waiting connections whose time is up, oldest first.
    QList<ClientId> expired(qint64 nowMs) const;
    // When the next waiting connection's time is up; -1 when none waits.
    qint64 nextDeadlineMs() const;

private:
    struct Waiting
    {
        QHostAddress address;
        qint64 connectedMs = 0;
        qint64 deadlineMs = 0;
    };

    // Makes room in a full group by closing its oldest member, if that one has had its grace.
    bool makeRoom(const QHostAddress *address, qint64 nowMs, Admission *admission);

    ConnectionLimits m_limits;
    // Client numbers grow with each connection, so the map runs from the oldest to the newest.
    QMap<ClientId, Waiting> m_waiting;
    QHash<QHostAddress, int> m_perAddress;
};
