#include "support/LiveChatServer.h"
#include "support/SilentChatServer.h"

#include "net/ChatConnection.h"
#include "net/Reconnection.h"

#include <QSignalSpy>
#include <QTest>

namespace {

const QString address = QStringLiteral("127.0.0.216");

// The shortest waits: 1, 2, 4 ... seconds.
ReconnectSchedule withoutJitter()
{
    return ReconnectSchedule([] { return 0.0; });
}

} // namespace

class tst_Reconnection : public QObject
{
    Q_OBJECT
private slots:
    // Only a connection that stood is tried again: a sign-on that never connected goes back to the
    // sign-on window as before.
    void onlyAConnectionThatStoodIsResumed()
    {
        ChatConnection connection;
        Reconnection reconnection(connection, withoutJitter());
        QSignalSpy scheduled(&reconnection, &Reconnection::attemptScheduled);
        reconnection.follow(address);
        QVERIFY(!reconnection.mayResume());
        reconnection.resume();
        QVERIFY(!reconnection.isActive());
        QCOMPARE(scheduled.size(), 0);
    }

    // The server goes silent: the hanging attempt is given up after its time and never completes
    // later; the next one, after the longer wait, gets through once the server answers.
    void hangingAttemptIsGivenUpAndTheNextOneResumes()
    {
        ChatConnection connection;
        Reconnection reconnection(connection, withoutJitter());
        QSignalSpy scheduled(&reconnection, &Reconnection::attemptScheduled);
        QSignalSpy resumed(&reconnection, &Reconnection::resumed);
        QSignalSpy connected(&connection, &ChatConnection::connected);
        {
            LiveChatServer live(address);
            reconnection.follow(address);
            connection.connectToServer(address);
            QVERIFY(live.waitForClient());
            QTRY_COMPARE(connected.size(), 1);
            QVERIFY(reconnection.mayResume());
        }
        SilentChatServer silent(address);
        QVERIFY(silent.isSilent());
        QTRY_VERIFY(!connection.isConnected());

        reconnection.resume();
        QVERIFY(reconnection.isActive());
        QCOMPARE(scheduled.size(), 1);
        QCOMPARE(scheduled.at(0).at(0).toInt(), 1000);
        // The first attempt starts after a second and hangs for its three.
        QTRY_COMPARE_WITH_TIMEOUT(scheduled.size(), 2, 10000);
        QCOMPARE(scheduled.at(1).at(0).toInt(), 2000);
        silent.answer();
        QTRY_COMPARE_WITH_TIMEOUT(resumed.size(), 1, 10000);
        QCOMPARE(connected.size(), 2);
        QVERIFY(!reconnection.isActive());
        QTest::qWait(3000);
        QCOMPARE(connected.size(), 2);
    }

    // Disconnect while an attempt hangs: it is cancelled, and nothing connects behind the user's
    // back when the server answers later.
    void stopCancelsThePendingAttempt()
    {
        ChatConnection connection;
        Reconnection reconnection(connection, withoutJitter());
        QSignalSpy connected(&connection, &ChatConnection::connected);
        {
            LiveChatServer live(address);
            reconnection.follow(address);
            connection.connectToServer(address);
            QVERIFY(live.waitForClient());
            QTRY_COMPARE(connected.size(), 1);
        }
        SilentChatServer silent(address);
        QTRY_VERIFY(!connection.isConnected());
        reconnection.resume();
        QTest::qWait(1500); // the attempt has started and hangs
        reconnection.stop();
        QVERIFY(!reconnection.isActive());
        QVERIFY(!reconnection.mayResume());
        silent.answer();
        QTest::qWait(4000); // past the system's retry of the attempt and the next wait
        QCOMPARE(connected.size(), 1);
        QCOMPARE(silent.received(), QByteArray());
    }
};

QTEST_GUILESS_MAIN(tst_Reconnection)
#include "tst_reconnection.moc"
