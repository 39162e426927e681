#include "net/ChatConnection.h"
#include "net/Windows1250.h"
#include "net/WireProtocol.h"
#include "support/ConnectionRecorder.h"
#include "support/LiveChatServer.h"
#include "support/SilentChatServer.h"

#include <QEventLoop>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

namespace {

constexpr int waitMs = 5000;

using Consumer = ConnectionRecorder;

} // namespace

class tst_ChatConnection : public QObject
{
    Q_OBJECT
private slots:
    void signOnSendsExactlyJoin();
    void blocksArriveOnePerBlockInOrder();
    void blockDuringNestedLoopWaitsItsTurn();
    void refusedConnection();
    void unansweredAttempt_data();
    void unansweredAttempt();
    void endOfConnection_data();
    void endOfConnection();
    void leaveAndFlush_data();
    void leaveAndFlush();
    void windows1250OnTheWire();
    void sendWhileNotConnected();
    void reconnectForgetsUndeliveredBlocks();
    void dropDuringHeldDispatchIsNeverForgotten_data();
    void dropDuringHeldDispatchIsNeverForgotten();
};

void tst_ChatConnection::signOnSendsExactlyJoin()
{
    LiveChatServer peer("127.0.0.2");
    QVERIFY(peer.isListening());
    ChatConnection connection;
    Consumer consumer(connection, "ann lee");

    connection.connectToServer("127.0.0.2");

    QVERIFY(peer.waitForClient());
    QTRY_COMPARE_WITH_TIMEOUT(peer.received(), QByteArray("Join ann lee"), waitMs);
    QVERIFY(connection.isConnected());
    QCOMPARE(connection.localAddress(), QHostAddress(connection.localAddress()).toString());
    QVERIFY(QHostAddress(connection.localAddress()).protocol() == QAbstractSocket::IPv4Protocol);
}

void tst_ChatConnection::blocksArriveOnePerBlockInOrder()
{
    LiveChatServer peer("127.0.0.3");
    ChatConnection connection;
    Consumer consumer(connection);
    connection.connectToServer("127.0.0.3");
    QVERIFY(peer.waitForClient());

    const QStringList sent{"Welcome Korvani", "UserList ann", "UserList bob", "Message bob:hi", "Left bob"};
    for (const QString &block : sent) {
        peer.write(block.toLatin1());
        QTest::qWait(30);
    }

    QStringList expected;
    for (const QString &block : sent)
        expected << block << "<dispatched>";
    QTRY_COMPARE_WITH_TIMEOUT(consumer.events, expected, waitMs);
}

void tst_ChatConnection::blockDuringNestedLoopWaitsItsTurn()
{
    // The handler of the first block sits in a modal box: a nested event loop during which two
    // more blocks arrive. They must come afterwards, each on its own, in order.
    LiveChatServer peer("127.0.0.4");
    ChatConnection connection;
    connection.connectToServer("127.0.0.4");
    QVERIFY(peer.waitForClient());

    QStringList events;
    int depth = 0;
    QObject::connect(&connection, &ChatConnection::blockReceived, [&](const QString &block) {
        events << QStringLiteral("%1 at depth %2").arg(block).arg(depth);
        if (block != "ErrUsername ann")
            return;
        ++depth;
        QTimer::singleShot(50, [&peer] { peer.write("Joined bob"); });
        QTimer::singleShot(150, [&peer] { peer.write("Joined cy"); });
        QEventLoop modalBox;
        QTimer::singleShot(400, &modalBox, &QEventLoop::quit);
        modalBox.exec();
        --depth;
    });
    QObject::connect(&connection, &ChatConnection::blockDispatched, [&] { events << "dispatched"; });

    peer.write("ErrUsername ann");

    QTRY_COMPARE_WITH_TIMEOUT(events,
                              QStringList({"ErrUsername ann at depth 0", "dispatched", "Joined bob at depth 0",
                                           "dispatched", "Joined cy at depth 0", "dispatched"}),
                              waitMs);
}

void tst_ChatConnection::refusedConnection()
{
    // Nothing listens on this address.
    ChatConnection connection;
    Consumer consumer(connection);
    QSignalSpy connected(&connection, &ChatConnection::connected);

    connection.connectToServer("127.0.0.5");
    QTest::qWait(300);

    QVERIFY(!connection.isConnected());
    QCOMPARE(connected.count(), 0);
    QCOMPARE(connection.localAddress(), QString());
    QVERIFY(consumer.events.isEmpty());
    connection.abortPending();
    QVERIFY(!connection.isConnected());
}

void tst_ChatConnection::unansweredAttempt_data()
{
    QTest::addColumn<bool>("abort");
    QTest::addColumn<bool>("signsOnLater");

    // The first row shows that the attempt really was only waiting.
    QTest::newRow("left alone, it signs on once the server answers") << false << true;
    QTest::newRow("aborted, it never signs on") << true << false;
}

void tst_ChatConnection::unansweredAttempt()
{
    QFETCH(bool, abort);
    QFETCH(bool, signsOnLater);
    SilentChatServer server("127.0.0.6");
    QVERIFY(server.isSilent());
    ChatConnection connection;
    Consumer consumer(connection);
    QSignalSpy connected(&connection, &ChatConnection::connected);

    connection.connectToServer("127.0.0.6");
    QTest::qWait(300);
    QVERIFY(!connection.isConnected());
    if (abort)
        connection.abortPending();
    server.answer();

    if (signsOnLater) {
        QTRY_COMPARE_WITH_TIMEOUT(server.received(), QByteArray("Join ann"), waitMs);
    } else {
        QTest::qWait(2500); // past the system's first retry of the attempt
        QCOMPARE(connected.count(), 0);
        QCOMPARE(server.received(), QByteArray());
    }
}

void tst_ChatConnection::endOfConnection_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QStringList>("events");

    QTest::newRow("server drops") << "peer" << QStringList{"<dropped>"};
    QTest::newRow("server sends, then drops") << "peer after block" << QStringList{"Left bob", "<dispatched>", "<dropped>"};
    QTest::newRow("we close") << "close" << QStringList{};
    QTest::newRow("we abort") << "abort" << QStringList{};
}

void tst_ChatConnection::endOfConnection()
{
    QFETCH(QString, how);
    QFETCH(QStringList, events);
    LiveChatServer peer("127.0.0.7");
    ChatConnection connection;
    Consumer consumer(connection);
    connection.connectToServer("127.0.0.7");
    QVERIFY(peer.waitForClient());
    QTRY_VERIFY_WITH_TIMEOUT(connection.isConnected(), waitMs);

    if (how == "peer after block")
        peer.write("Left bob");
    if (how.startsWith("peer"))
        peer.dropClient();
    else if (how == "close")
        connection.close();
    else
        connection.abortPending();

    QTRY_VERIFY_WITH_TIMEOUT(peer.clientGone(), waitMs);
    QTRY_VERIFY_WITH_TIMEOUT(!connection.isConnected(), waitMs);
    QTest::qWait(100);
    QCOMPARE(consumer.events, events);
}

void tst_ChatConnection::leaveAndFlush_data()
{
    QTest::addColumn<QByteArray>("unreadFromServer");

    QTest::newRow("quiet server") << QByteArray();
    // Bytes we never read when closing must not cost the server our "Leave".
    QTest::newRow("server still talking") << QByteArray("Message bob:are you there?");
}

void tst_ChatConnection::leaveAndFlush()
{
    QFETCH(QByteArray, unreadFromServer);
    LiveChatServer peer("127.0.0.8");
    ChatConnection connection;
    Consumer consumer(connection);
    connection.connectToServer("127.0.0.8");
    QVERIFY(peer.waitForClient());
    QTRY_COMPARE_WITH_TIMEOUT(peer.received(), QByteArray("Join ann"), waitMs);

    if (!unreadFromServer.isEmpty())
        peer.write(unreadFromServer);
    connection.leaveAndFlush("ann");

    QVERIFY(!connection.isConnected());
    QTRY_VERIFY_WITH_TIMEOUT(peer.clientGone(), waitMs);
    QCOMPARE(peer.received(), QByteArray("Join annLeave ann"));
    QVERIFY(!consumer.events.contains("<dropped>"));
}

void tst_ChatConnection::windows1250OnTheWire()
{
    LiveChatServer peer("127.0.0.9");
    ChatConnection connection;
    Consumer consumer(connection, QString::fromUtf8("Žofie Čechová"));
    connection.connectToServer("127.0.0.9");
    QVERIFY(peer.waitForClient());

    QTRY_COMPARE_WITH_TIMEOUT(peer.received(), QByteArray("Join \x8e" "ofie \xc8" "echov\xe1"), waitMs);

    peer.write("Message \x8e" "ofie:\x9a" "\xe8" "au \x80");
    QTRY_COMPARE_WITH_TIMEOUT(consumer.blocks(), QStringList{QString::fromUtf8("Message Žofie:ščau €")}, waitMs);
}

void tst_ChatConnection::sendWhileNotConnected()
{
    ChatConnection connection;
    QVERIFY(!connection.send("Message ann:lost"));
    connection.leaveAndFlush("ann");
    connection.close();
    QVERIFY(!connection.isConnected());
}

void tst_ChatConnection::reconnectForgetsUndeliveredBlocks()
{
    // Blocks of an old connection that wait behind a running handler must not reach the user
    // list of the next one.
    LiveChatServer peer("127.0.0.10");
    ChatConnection connection;
    connection.connectToServer("127.0.0.10");
    QVERIFY(peer.waitForClient());

    QStringList blocks;
    QObject::connect(&connection, &ChatConnection::blockReceived, [&](const QString &block) {
        blocks << block;
        if (block != "ErrUsername ann")
            return;
        QTimer::singleShot(50, [&peer] { peer.write("UserList old"); });
        QEventLoop modalBox;
        QTimer::singleShot(300, &modalBox, &QEventLoop::quit);
        modalBox.exec();
        connection.connectToServer("127.0.0.5"); // nobody there
    });

    peer.write("ErrUsername ann");
    QTRY_COMPARE_WITH_TIMEOUT(blocks, QStringList{"ErrUsername ann"}, waitMs);
    QTest::qWait(200);
    QCOMPARE(blocks, QStringList{"ErrUsername ann"});
}

void tst_ChatConnection::dropDuringHeldDispatchIsNeverForgotten_data()
{
    QTest::addColumn<bool>("connectAnew");

    QTest::newRow("box closes, nothing else") << false;
    // Only the old server's blocks go; the drop row and the new server's blocks come in order.
    QTest::newRow("user connects anew while the box is open") << true;
}

void tst_ChatConnection::dropDuringHeldDispatchIsNeverForgotten()
{
    QFETCH(bool, connectAnew);
    LiveChatServer oldServer("127.0.0.120");
    LiveChatServer newServer("127.0.0.121");
    ChatConnection connection;
    Consumer consumer(connection);
    connection.connectToServer("127.0.0.120");
    QVERIFY(oldServer.waitForClient());

    QObject::connect(&connection, &ChatConnection::blockReceived, [&](const QString &block) {
        if (block != "ErrUsername ann")
            return;
        QEventLoop modalBox;
        QTimer::singleShot(50, [&] { oldServer.write("UserList old"); });
        QTimer::singleShot(100, [&] { oldServer.dropClient(); });
        QTimer::singleShot(300, [&] {
            if (connectAnew)
                connection.connectToServer("127.0.0.121");
        });
        QTimer::singleShot(700, [&] { newServer.write("Welcome New"); });
        QTimer::singleShot(1000, &modalBox, &QEventLoop::quit);
        modalBox.exec();
    });

    oldServer.write("ErrUsername ann");

    const QStringList expected = connectAnew
        ? QStringList{"ErrUsername ann", "<dropped>", "Welcome New"}
        : QStringList{"ErrUsername ann", "UserList old", "<dropped>"};
    QTRY_COMPARE_WITH_TIMEOUT(consumer.blocks(), expected, waitMs);
    QTest::qWait(100);
    QCOMPARE(consumer.blocks(), expected);
}

QTEST_GUILESS_MAIN(tst_ChatConnection)
#include "tst_chatconnection.moc"
