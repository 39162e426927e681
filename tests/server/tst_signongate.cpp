// Connections not yet signed on: limits in all and per address, room made by the oldest once it
// has had its grace, and the times by which they must speak and sign on. Time is passed in.

#include "SignOnGate.h"

#include <QTest>

namespace {
const QHostAddress crowd(QStringLiteral("192.0.2.1"));
const QHostAddress other(QStringLiteral("192.0.2.2"));

ConnectionLimits smallLimits()
{
    ConnectionLimits limits;
    limits.maxPendingConnections = 4;
    limits.maxPendingPerAddress = 2;
    limits.pendingGraceMs = 1000;
    limits.firstMessageTimeoutMs = 10000;
    limits.signOnTimeoutMs = 60000;
    return limits;
}
}

class SignOnGateTest : public QObject
{
    Q_OBJECT

private slots:
    void perAddressLimit();
    void overallLimit();
    void timeOuts();
};

void SignOnGateTest::perAddressLimit()
{
    SignOnGate gate(smallLimits());
    QVERIFY(gate.admit(1, crowd, 0).admitted);
    QVERIFY(gate.admit(2, crowd, 0).admitted);
    // A crowd arriving together is refused, never cut short.
    const SignOnGate::Admission refused = gate.admit(3, crowd, 500);
    QVERIFY(!refused.admitted);
    QCOMPARE(refused.refusal, QStringLiteral("already 2 connections from this address not signed on"));
    QVERIFY(refused.evicted.isEmpty());
    // Another address is not held up by that crowd.
    QVERIFY(gate.admit(4, other, 500).admitted);
    // Past its grace the oldest of the address makes room.
    const SignOnGate::Admission later = gate.admit(5, crowd, 1000);
    QVERIFY(later.admitted);
    QCOMPARE(later.evicted, QList<ClientId>{1});
    QVERIFY(!gate.isWaiting(1));
    // Signed on: no longer counted.
    gate.remove(2);
    QVERIFY(gate.admit(6, crowd, 1000).admitted);
}

void SignOnGateTest::overallLimit()
{
    SignOnGate gate(smallLimits());
    const QHostAddress addresses[] = {QHostAddress(QStringLiteral("192.0.2.10")), QHostAddress(QStringLiteral("192.0.2.11")),
                                      QHostAddress(QStringLiteral("192.0.2.12")), QHostAddress(QStringLiteral("192.0.2.13")),
                                      QHostAddress(QStringLiteral("192.0.2.14"))};
    for (ClientId client = 1; client <= 4; ++client)
        QVERIFY(gate.admit(client, addresses[client - 1], qint64(client) * 100).admitted);
    const SignOnGate::Admission refused = gate.admit(5, addresses[4], 900);
    QVERIFY(!refused.admitted);
    QCOMPARE(refused.refusal, QStringLiteral("already 4 connections not signed on"));
    const SignOnGate::Admission admitted = gate.admit(6, addresses[4], 1100);
    QVERIFY(admitted.admitted);
    QCOMPARE(admitted.evicted, QList<ClientId>{1});
}

void SignOnGateTest::timeOuts()
{
    SignOnGate gate(smallLimits());
    QCOMPARE(gate.nextDeadlineMs(), -1);
    gate.admit(1, crowd, 0);
    gate.admit(2, other, 2000);
    QCOMPARE(gate.nextDeadlineMs(), 10000);
    QCOMPARE(gate.expired(9999), QList<ClientId>{});
    QCOMPARE(gate.expired(12000), (QList<ClientId>{1, 2}));
    // Having spoken (a name refused, say), a connection has until the sign-on time-out.
    gate.heardFrom(1);
    QCOMPARE(gate.expired(12000), QList<ClientId>{2});
    QCOMPARE(gate.expired(60000), (QList<ClientId>{1, 2}));
    gate.remove(2);
    QCOMPARE(gate.nextDeadlineMs(), 60000);
    gate.remove(1);
    QCOMPARE(gate.nextDeadlineMs(), -1);
    gate.heardFrom(1);
    QVERIFY(!gate.isWaiting(1));
}

QTEST_GUILESS_MAIN(SignOnGateTest)
#include "tst_signongate.moc"
