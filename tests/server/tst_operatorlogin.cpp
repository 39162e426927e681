// Operator rights as a guesser and an administrator meet them: wrong passwords pause only where
// they came from, and a new operator password ends the rights given for the old one.

#include "InProcessServer.h"
#include "OperatorLoginGuard.h"
#include "support/TestClient.h"

#include <QTest>

namespace {
const QHostAddress serverAddress(QStringLiteral("127.0.0.185"));
const QHostAddress guesserAddress(QStringLiteral("127.0.0.186"));
const QHostAddress operatorAddress(QStringLiteral("127.0.0.187"));
const QString password = QStringLiteral("secret");
}

class OperatorLoginTest : public QObject
{
    Q_OBJECT

    InProcessServer m_server;

    void startServer()
    {
        ServerSettings settings = InProcessServer::settingsFor(serverAddress);
        settings.adminPassword = password;
        QVERIFY(m_server.start(settings));
    }

    TestClient *signedOn(const QString &name, const QHostAddress &from)
    {
        auto *client = m_server.add<TestClient>();
        client->bindTo(from);
        if (!client->signOn(serverAddress, m_server.port(), name))
            return nullptr;
        return client;
    }

    // Whether `boss` can kick `victim`: the kick's effect, or an answer from the victim to a message
    // sent after it, whichever comes.
    bool kicks(TestClient *boss, TestClient *victim)
    {
        boss->takeBlocks();
        boss->send(QStringLiteral("Prompt kick victim"));
        victim->send(QStringLiteral("Message victim:still here"));
        return boss->receive(1).value(0) == QLatin1String("Kicked victim");
    }

private slots:
    void cleanup() { m_server.stop(); }

    void guessesPauseWhereTheyCameFrom_data();
    void guessesPauseWhereTheyCameFrom();
    void addressTableIsBounded();
    void guesserCannotKeepTheOperatorOut();
    void newPasswordEndsOperatorRights_data();
    void newPasswordEndsOperatorRights();
};

void OperatorLoginTest::guessesPauseWhereTheyCameFrom_data()
{
    QTest::addColumn<QString>("loginAddress");
    QTest::addColumn<bool>("sameConnection");
    QTest::addColumn<bool>("checked");

    QTest::newRow("the guessing connection") << "192.0.2.1" << true << false;
    QTest::newRow("another connection from the guessing address") << "192.0.2.1" << false << false;
    QTest::newRow("another address") << "192.0.2.2" << false << true;
    QTest::newRow("the same address seen as IPv4 in IPv6") << "::ffff:192.0.2.1" << false << false;
    QTest::newRow("another IPv4 address seen in IPv6") << "::ffff:192.0.2.2" << false << true;
}

void OperatorLoginTest::guessesPauseWhereTheyCameFrom()
{
    QFETCH(QString, loginAddress);
    QFETCH(bool, sameConnection);
    QFETCH(bool, checked);

    qint64 now = 1000;
    OperatorLoginGuard guard([&now] { return now; });
    const QHostAddress guesser(QStringLiteral("192.0.2.1"));
    for (int attempt = 0; attempt < LoginThrottle::FreeFailures; ++attempt) {
        QVERIFY(guard.allows(1, guesser));
        guard.failed(1, guesser);
    }
    const ClientId loginClient = sameConnection ? 1 : 2;
    qint64 waitMs = -1;
    QCOMPARE(guard.allows(loginClient, QHostAddress(loginAddress), &waitMs), checked);
    QCOMPARE(waitMs, checked ? 0 : LoginThrottle::FirstPauseMs);

    // The pause ends on time, and a right password from the guessing address ends it at once.
    now += LoginThrottle::FirstPauseMs;
    QVERIFY(guard.allows(1, guesser));
    guard.failed(1, guesser);
    QVERIFY(!guard.allows(1, guesser));
    guard.succeeded(3, guesser);
    QVERIFY(guard.allows(3, guesser));
    QVERIFY(!guard.allows(1, guesser));
}

void OperatorLoginTest::addressTableIsBounded()
{
    qint64 now = 0;
    OperatorLoginGuard guard([&now] { return now; });
    // IPv6 counts by /64: these are one guesser.
    for (int host = 1; host <= LoginThrottle::FreeFailures; ++host)
        guard.failed(ClientId(host), QHostAddress(QStringLiteral("2001:db8::%1").arg(host)));
    QVERIFY(!guard.allows(99, QHostAddress(QStringLiteral("2001:db8::ffff"))));
    QVERIFY(guard.allows(99, QHostAddress(QStringLiteral("2001:db8:0:1::1"))));

    // Ten times as many guessing addresses as the table holds, every one of them pausing.
    for (quint32 address = 1; address <= 10 * OperatorLoginGuard::MaxAddresses; ++address) {
        ++now;
        for (int attempt = 0; attempt < LoginThrottle::FreeFailures; ++attempt)
            guard.failed(ClientId(address), QHostAddress(0x0A000000 + address));
        guard.forget(ClientId(address));
        QVERIFY(guard.addressCount() <= OperatorLoginGuard::MaxAddresses);
    }
    // The latest guesser is still remembered.
    QVERIFY(!guard.allows(0, QHostAddress(quint32(0x0A000000 + 10 * OperatorLoginGuard::MaxAddresses))));
}

void OperatorLoginTest::guesserCannotKeepTheOperatorOut()
{
    startServer();
    TestClient *guesser = signedOn(QStringLiteral("guesser"), guesserAddress);
    TestClient *accomplice = signedOn(QStringLiteral("accomplice"), guesserAddress);
    TestClient *boss = signedOn(QStringLiteral("boss"), operatorAddress);
    TestClient *victim = signedOn(QStringLiteral("victim"), operatorAddress);
    QVERIFY(guesser && accomplice && boss && victim);

    for (int attempt = 0; attempt < 2 * LoginThrottle::FreeFailures; ++attempt)
        guesser->send(QStringLiteral("Prompt login wrong%1").arg(attempt));
    // Within the first pause: the guessing address is refused unchecked, whatever the connection.
    guesser->send(QStringLiteral("Prompt login ") + password);
    accomplice->send(QStringLiteral("Prompt login ") + password);
    QVERIFY(m_server.logHas(QStringLiteral("refused operator login of \"guesser\" unchecked")));
    QVERIFY(m_server.logHas(QStringLiteral("refused operator login of \"accomplice\" unchecked")));

    boss->send(QStringLiteral("Prompt login ") + password);
    QVERIFY(m_server.logHas(QStringLiteral("\"boss\" is an operator")));
    QVERIFY(kicks(boss, victim));
}

void OperatorLoginTest::newPasswordEndsOperatorRights_data()
{
    QTest::addColumn<QString>("newPassword");
    QTest::addColumn<QString>("newName");
    QTest::addColumn<bool>("stillOperator");

    QTest::newRow("password removed") << QString() << "Test" << false;
    QTest::newRow("password changed") << "other" << "Test" << false;
    QTest::newRow("only the name changed") << password << "Renamed" << true;
}

void OperatorLoginTest::newPasswordEndsOperatorRights()
{
    QFETCH(QString, newPassword);
    QFETCH(QString, newName);
    QFETCH(bool, stillOperator);

    startServer();
    TestClient *boss = signedOn(QStringLiteral("boss"), operatorAddress);
    TestClient *victim = signedOn(QStringLiteral("victim"), operatorAddress);
    QVERIFY(boss && victim);
    boss->send(QStringLiteral("Prompt login ") + password);
    QVERIFY(m_server.logHas(QStringLiteral("\"boss\" is an operator")));

    ServerSettings reloaded = InProcessServer::settingsFor(serverAddress);
    reloaded.name = newName;
    reloaded.adminPassword = newPassword;
    m_server.server().changeRoomSettings(reloaded);
    QCOMPARE(m_server.logHas(QStringLiteral("\"boss\" is no longer an operator")), !stillOperator);
    QCOMPARE(kicks(boss, victim), stillOperator);
}

QTEST_GUILESS_MAIN(OperatorLoginTest)
#include "tst_operatorlogin.moc"
