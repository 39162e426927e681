// Peers that vanish without closing, as when a network goes away: packets to and from them are
// dropped, so neither a reset nor an acknowledgement ever comes. Each side must find the other gone
// within a minute, whether it is quiet or has data on its way. The test runs in a network namespace
// of its own (it needs root), where policy routes drop the packets of the vanished addresses.

#include "InProcessServer.h"
#include "support/EventLoopWait.h"
#include "support/LiveChatServer.h"
#include "support/TestClient.h"

#include "net/ChatConnection.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTest>

#include <sched.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

namespace {
// What the test promises a user: a vanished peer is noticed within this long.
constexpr int FoundWithinMs = 60000;

bool runIp(const QStringList &arguments, QString *error)
{
    QProcess ip;
    ip.start(QStringLiteral("ip"), arguments);
    if (ip.waitForFinished(10000) && ip.exitStatus() == QProcess::NormalExit && ip.exitCode() == 0)
        return true;
    *error = QStringLiteral("ip %1: %2 %3")
                 .arg(arguments.join(QLatin1Char(' ')), ip.errorString(), QString::fromLocal8Bit(ip.readAllStandardError()));
    return false;
}

// Nothing reaches `address` and nothing leaves it any more, without a word to either end. Routes
// for loopback addresses come from the local table, so that is looked up after the drop rules.
bool silence(const QHostAddress &address, QString *error)
{
    return runIp({QStringLiteral("rule"), QStringLiteral("add"), QStringLiteral("pref"), QStringLiteral("10"),
                  QStringLiteral("to"), address.toString(), QStringLiteral("blackhole")},
                 error)
        && runIp({QStringLiteral("rule"), QStringLiteral("add"), QStringLiteral("pref"), QStringLiteral("11"),
                  QStringLiteral("from"), address.toString(), QStringLiteral("blackhole")},
                 error);
}

// The figures a reader of the test output wants: how long each side took.
void reportFound(const char *what, qint64 foundMs)
{
    if (foundMs < 0)
        qInfo("%s: not found within %d s", what, FoundWithinMs / 1000);
    else
        qInfo("%s: found after %.1f s", what, double(foundMs) / 1000);
}
} // namespace

class DeadPeersTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void vanishedPeersAreFoundWithinAMinute();
};

void DeadPeersTest::initTestCase()
{
    if (::geteuid() != 0)
        QSKIP("making a network namespace that drops packets needs root");
    // Only this thread moves; the sockets and the ip commands all start from it.
    if (::unshare(CLONE_NEWNET) != 0)
        QSKIP(qPrintable(QStringLiteral("cannot make a network namespace: ") + QString::fromLocal8Bit(std::strerror(errno))));
    QString error;
    if (!runIp({QStringLiteral("link"), QStringLiteral("set"), QStringLiteral("lo"), QStringLiteral("up")}, &error)
        || !runIp({QStringLiteral("rule"), QStringLiteral("add"), QStringLiteral("pref"), QStringLiteral("100"),
                   QStringLiteral("lookup"), QStringLiteral("local")},
                  &error)
        || !runIp({QStringLiteral("rule"), QStringLiteral("del"), QStringLiteral("pref"), QStringLiteral("0")}, &error))
        QSKIP(qPrintable(QStringLiteral("cannot set up the network namespace's routes: ") + error));
}

void DeadPeersTest::vanishedPeersAreFoundWithinAMinute()
{
    // Server side: a user who vanished is told to the room as gone, and the name is free again.
    struct RoomCase
    {
        const char *what;
        QHostAddress server;
        QHostAddress vanishing;
        QHostAddress observer;
        bool serverSends;
        InProcessServer room;
        TestClient *watcher = nullptr;
        qint64 foundMs = -1;
    };
    RoomCase rooms[] = {
        {"server, quiet connection", QHostAddress(QStringLiteral("127.0.0.185")), QHostAddress(QStringLiteral("127.0.0.189")),
         QHostAddress(QStringLiteral("127.0.0.210")), false},
        {"server, sending to the user", QHostAddress(QStringLiteral("127.0.0.186")),
         QHostAddress(QStringLiteral("127.0.0.211")), QHostAddress(QStringLiteral("127.0.0.212")), true},
    };
    for (RoomCase &room : rooms) {
        QVERIFY(room.room.start(InProcessServer::settingsFor(room.server)));
        auto *gone = room.room.add<TestClient>();
        gone->bindTo(room.vanishing);
        QVERIFY(gone->signOn(room.server, room.room.port(), QStringLiteral("gone")));
        room.watcher = room.room.add<TestClient>();
        room.watcher->bindTo(room.observer);
        QVERIFY(room.watcher->signOn(room.server, room.room.port(), QStringLiteral("watcher")));
    }

    // Client side: the connection reports a drop.
    struct ClientCase
    {
        const char *what;
        QString server;
        bool clientSends;
        std::unique_ptr<LiveChatServer> peer;
        std::unique_ptr<ChatConnection> connection;
        qint64 foundMs = -1;
    };
    ClientCase clients[] = {
        {"client, quiet connection", QStringLiteral("127.0.0.187"), false},
        {"client, sending to the server", QStringLiteral("127.0.0.188"), true},
    };
    for (ClientCase &client : clients) {
        client.peer = std::make_unique<LiveChatServer>(client.server);
        QVERIFY(client.peer->isListening());
        client.connection = std::make_unique<ChatConnection>();
        client.connection->connectToServer(client.server);
        QVERIFY(client.peer->waitForClient());
        QVERIFY(EventLoopWait::until([&] { return client.connection->isConnected(); }, 5000));
    }

    QElapsedTimer sinceSilence;
    sinceSilence.start();
    QString error;
    for (const RoomCase &room : rooms)
        QVERIFY2(silence(room.vanishing, &error), qPrintable(error));
    for (const ClientCase &client : clients)
        QVERIFY2(silence(QHostAddress(client.server), &error), qPrintable(error));
    for (ClientCase &client : clients) {
        QObject::connect(client.connection.get(), &ChatConnection::disconnectedByPeer, client.connection.get(),
                         [&client, &sinceSilence] { client.foundMs = sinceSilence.elapsed(); });
        if (client.clientSends)
            QVERIFY(client.connection->send(QStringLiteral("Message me:anyone there?")));
    }
    for (RoomCase &room : rooms) {
        if (room.serverSends)
            room.watcher->send(QStringLiteral("Message watcher:for everyone"));
    }

    const auto allFound = [&] {
        bool all = true;
        for (RoomCase &room : rooms) {
            if (room.foundMs < 0 && room.watcher->takeBlocks().contains(QStringLiteral("Left gone")))
                room.foundMs = sinceSilence.elapsed();
            all = all && room.foundMs >= 0;
        }
        for (const ClientCase &client : clients)
            all = all && client.foundMs >= 0;
        return all;
    };
    EventLoopWait::until(allFound, FoundWithinMs);

    for (const RoomCase &room : rooms)
        reportFound(room.what, room.foundMs);
    for (const ClientCase &client : clients)
        reportFound(client.what, client.foundMs);
    for (RoomCase &room : rooms) {
        QVERIFY2(room.foundMs >= 0, room.what);
        TestClient again;
        again.bindTo(room.observer);
        QVERIFY2(again.signOn(room.server, room.room.port(), QStringLiteral("gone")), room.what);
    }
    for (const ClientCase &client : clients)
        QVERIFY2(client.foundMs >= 0, client.what);
}

QTEST_GUILESS_MAIN(DeadPeersTest)
#include "tst_deadpeers.moc"
