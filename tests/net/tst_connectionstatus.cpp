#include "net/ChatConnection.h"
#include "net/ConnectionStatus.h"
#include "net/WireProtocol.h"
#include "support/FakeStatusView.h"
#include "support/LiveChatServer.h"
#include "support/SilentChatServer.h"

#include <QSignalSpy>
#include <QTest>

namespace {
constexpr int waitMs = 5000;
const QString notConnectedBox = QStringLiteral("box You are not connected on Server!!|Client");
}

class tst_ConnectionStatus : public QObject
{
    Q_OBJECT
private slots:
    void connectedShowsStatusAndAddress();
    void lostConnectionSendsBackToSignon_data();
    void lostConnectionSendsBackToSignon();
    void oneBoxAtATime();
    void pendingAttemptIsGivenUp();
};

void tst_ConnectionStatus::connectedShowsStatusAndAddress()
{
    LiveChatServer peer("127.0.0.11");
    ChatConnection connection;
    FakeStatusView view;
    ConnectionStatus status(connection, view);
    connection.connectToServer("127.0.0.11");
    QVERIFY(peer.waitForClient());
    QTRY_VERIFY_WITH_TIMEOUT(connection.isConnected(), waitMs);

    status.check();
    status.check();

    const QString panels = "panels You are connected on Server|Your Ip is: " + connection.localAddress();
    QCOMPARE(view.log, QStringList({panels, panels}));
    QVERIFY(!QHostAddress(connection.localAddress()).isNull());
}

void tst_ConnectionStatus::lostConnectionSendsBackToSignon_data()
{
    QTest::addColumn<QString>("how");

    QTest::newRow("never connected") << "never";
    QTest::newRow("refused") << "refused";
    QTest::newRow("dropped by the server") << "dropped";
    QTest::newRow("closed by us") << "closed";
}

void tst_ConnectionStatus::lostConnectionSendsBackToSignon()
{
    QFETCH(QString, how);
    LiveChatServer peer("127.0.0.13");
    ChatConnection connection;
    FakeStatusView view;
    ConnectionStatus status(connection, view);
    if (how == "refused") {
        connection.connectToServer("127.0.0.14"); // nobody there
        QTest::qWait(200);
    } else if (how != "never") {
        connection.connectToServer("127.0.0.13");
        QVERIFY(peer.waitForClient());
        QTRY_VERIFY_WITH_TIMEOUT(connection.isConnected(), waitMs);
        if (how == "dropped")
            peer.dropClient();
        else
            connection.close();
        QTRY_VERIFY_WITH_TIMEOUT(!connection.isConnected(), waitMs);
    }

    status.check();

    QCOMPARE(view.log, QStringList({notConnectedBox, "signon"}));
}

void tst_ConnectionStatus::oneBoxAtATime()
{
    // The timer goes on ticking while the box is open.
    ChatConnection connection;
    FakeStatusView view;
    ConnectionStatus status(connection, view);
    view.whileBoxOpen = [&status] {
        status.check();
        status.check();
    };

    status.check();
    QCOMPARE(view.log, QStringList({notConnectedBox, "signon"}));

    // Once the box is closed, the next lost connection gets its own.
    view.log.clear();
    view.whileBoxOpen = nullptr;
    status.check();
    QCOMPARE(view.log, QStringList({notConnectedBox, "signon"}));
}

void tst_ConnectionStatus::pendingAttemptIsGivenUp()
{
    // The server answers while the box is still open and long after: the hidden window must not
    // sign on behind the user's back.
    SilentChatServer server("127.0.0.12");
    QVERIFY(server.isSilent());
    ChatConnection connection;
    QObject::connect(&connection, &ChatConnection::connected, [&connection] { connection.send(WireProtocol::join("ann")); });
    QSignalSpy connected(&connection, &ChatConnection::connected);
    FakeStatusView view;
    ConnectionStatus status(connection, view);
    view.whileBoxOpen = [&server] {
        server.answer();
        QTest::qWait(2500); // past the system's first retry of the attempt
    };
    connection.connectToServer("127.0.0.12");
    QTest::qWait(300);

    status.check();

    QCOMPARE(view.log, QStringList({notConnectedBox, "signon"}));
    QTest::qWait(200);
    QCOMPARE(connected.count(), 0);
    QCOMPARE(server.received(), QByteArray());
}

QTEST_GUILESS_MAIN(tst_ConnectionStatus)
#include "tst_connectionstatus.moc"
