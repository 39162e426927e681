// Notifications of messages in the running chat window, against a live connection: they reach the
// desktop's notification service on a session bus of the test's own (the offscreen platform has no
// tray, so balloons go there), only with the option on, only while the window is not active.

#include "support/LiveChatTestCase.h"
#include "support/LiveChatServer.h"

#include "notify/support/FakeNotificationServer.h"
#include "notify/support/PrivateSessionBus.h"

#include "app/ChatFeatures.h"
#include "app/Form.h"
#include "transcript/TranscriptView.h"
#include "windows/frmChat.h"

#include <QApplication>
#include <QSystemTrayIcon>
#include <QTest>

namespace {
const QString address = QStringLiteral("127.0.0.218");
}

class tst_MessageNotifications : public LiveChatTestCase
{
    Q_OBJECT

    PrivateSessionBus m_bus;
    QWidget m_otherWindow;

private slots:
    void init()
    {
        QVERIFY2(m_bus.isRunning(), "dbus-daemon did not start");
        QVERIFY(!QSystemTrayIcon::isSystemTrayAvailable());
    }
    void cleanup()
    {
        Form<frmChat>::unload();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void messagesNotified_data()
    {
        QTest::addColumn<bool>("optionOn");
        QTest::addColumn<bool>("windowActive");
        QTest::addColumn<QByteArray>("block");
        QTest::addColumn<QString>("title"); // "" for no notification
        QTest::addColumn<QString>("body");

        QTest::newRow("private message") << true << false << QByteArray("PMMessage bob|psst")
                                         << "Private message from bob" << "psst";
        QTest::newRow("public naming the user, in markup")
            << true << false << QByteArray("Message bob:[B]ANA[/B], look :)") << "bob named you" << "ANA, look";
        QTest::newRow("public naming someone else") << true << false << QByteArray("Message bob:banana split")
                                                    << "" << "";
        QTest::newRow("own public message") << true << false << QByteArray("Message ana:I am ana") << "" << "";
        QTest::newRow("window active") << true << true << QByteArray("PMMessage bob|psst") << "" << "";
        QTest::newRow("option off") << false << false << QByteArray("PMMessage bob|psst") << "" << "";
    }
    void messagesNotified()
    {
        QFETCH(bool, optionOn);
        QFETCH(bool, windowActive);
        QFETCH(QByteArray, block);
        QFETCH(QString, title);
        QFETCH(QString, body);
        FakeNotificationServer notifications(m_bus.address());
        QVERIFY(notifications.start());
        ChatFeatures features;
        features.notifications = optionOn;
        ChatFeatures::setInForce(features);
        LiveChatServer server(address);
        QVERIFY(connectedAsAna(server, address));
        frmChat *chat = Form<frmChat>::loaded();
        QApplication::setActiveWindow(windowActive ? static_cast<QWidget *>(chat) : &m_otherWindow);
        QCOMPARE(chat->isActiveWindow(), windowActive);

        QVERIFY(server.send(block));
        // A private message after it as a marker: once its row is in, the message's notification
        // would have been sent, and where notices are given the marker's own arrives after it.
        QVERIFY(server.send("PMMessage carol|marker"));
        QVERIFY(QTest::qWaitFor([&] { return chat->txtHistory->pageSource().contains(QLatin1String("marker")); }));
        const QString markerTitle = QStringLiteral("Private message from carol");
        const auto titles = [&notifications] {
            QStringList summaries;
            for (const FakeNotificationServer::Notification &shown : std::as_const(notifications.shown))
                summaries += shown.summary;
            return summaries;
        };
        if (optionOn && !windowActive)
            QTRY_VERIFY(titles().contains(markerTitle));
        else
            QTest::qWait(200);
        QStringList others = titles();
        others.removeAll(markerTitle);
        QCOMPARE(others, title.isEmpty() ? QStringList() : QStringList{title});
        if (!title.isEmpty())
            QCOMPARE(notifications.bodyAsShown(notifications.shown.first()), body);
        ChatFeatures::setInForce({});
    }
};

QTEST_MAIN(tst_MessageNotifications)
#include "tst_messagenotifications.moc"
