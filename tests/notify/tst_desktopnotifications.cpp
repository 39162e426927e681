#include "support/FakeNotificationServer.h"
#include "support/PrivateSessionBus.h"

#include "notify/DesktopNotifications.h"
#include "notify/frmSysTray.h"

#include <QGuiApplication>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTest>

// Balloons on a desktop without a tray (as here: no tray under the offscreen platform) go to the
// desktop's notification service, reached on a session bus of the test's own.
class tst_DesktopNotifications : public QObject
{
    Q_OBJECT

    PrivateSessionBus *m_bus = nullptr;

private slots:
    void initTestCase()
    {
        QVERIFY(!QSystemTrayIcon::isSystemTrayAvailable());
        m_bus = new PrivateSessionBus;
        QVERIFY2(m_bus->isRunning(), "dbus-daemon did not start");
        QGuiApplication::setDesktopFileName(QStringLiteral("korvani"));
    }

    void cleanupTestCase() { delete m_bus; }

    void withNoServiceBalloonsAreDropped()
    {
        frmSysTray tray;
        QSignalSpy shown(&tray, &frmSysTray::BalloonShow);
        QVERIFY(!DesktopNotifications::isAvailable());

        tray.ShowBalloonTip(QStringLiteral("Ana has join the chat!!!"), QStringLiteral("New User"),
                            frmSysTray::InformationIcon, 3000);

        QCOMPARE(shown.size(), 0);
    }

    void balloonBecomesANotification_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("timeOutMs");
        QTest::addColumn<QString>("shownText");
        QTest::addColumn<QString>("shownTitle");
        QTest::addColumn<int>("shownMs");
        QTest::newRow("join") << QStringLiteral("Ana has join the chat!!!") << QStringLiteral("New User") << 3000
                              << QStringLiteral("Ana has join the chat!!!") << QStringLiteral("New User") << 5000;
        // The message of the day asks for 50 ms, which nobody could read.
        QTest::newRow("message of the day") << QStringLiteral("Welcome") << QStringLiteral("Message of Day") << 50
                                            << QStringLiteral("Welcome") << QStringLiteral("Message of Day") << 5000;
        // The title is plain text to every notification server.
        QTest::newRow("title as written") << QStringLiteral("Welcome") << QStringLiteral("<b>Tom</b> & Jerry") << 3000
                                          << QStringLiteral("Welcome") << QStringLiteral("<b>Tom</b> & Jerry") << 5000;
        QTest::newRow("cut as the tray cuts") << QString(300, QLatin1Char('t')) << QString(80, QLatin1Char('T')) << 3000
                                              << QString(255, QLatin1Char('t')) << QString(63, QLatin1Char('T'))
                                              << 5000;
    }

    void balloonBecomesANotification()
    {
        QFETCH(QString, text);
        QFETCH(QString, title);
        QFETCH(int, timeOutMs);
        QFETCH(QString, shownText);
        QFETCH(QString, shownTitle);
        QFETCH(int, shownMs);
        FakeNotificationServer server(m_bus->address());
        QVERIFY(server.start());
        frmSysTray tray;
        QSignalSpy shown(&tray, &frmSysTray::BalloonShow);

        tray.ShowBalloonTip(text, title, frmSysTray::InformationIcon, timeOutMs);

        QCOMPARE(shown.size(), 1);
        QTRY_COMPARE(server.shown.size(), 1);
        const FakeNotificationServer::Notification &notification = server.shown.first();
        QCOMPARE(notification.appName, QStringLiteral("Korvani"));
        QCOMPARE(notification.replacesId, 0u);
        QCOMPARE(notification.appIcon, QStringLiteral("korvani"));
        QCOMPARE(notification.summary, shownTitle);
        QCOMPARE(notification.body, shownText);
        QVERIFY(notification.actions.contains(QStringLiteral("default")));
        QCOMPARE(notification.hints.value(QStringLiteral("desktop-entry")).toString(), QStringLiteral("korvani"));
        QCOMPARE(notification.expireTimeout, shownMs);
    }

    // A user's name is text wherever it is shown: a server that reads bodies as markup shows it as
    // it was written, and so does one that reads them as plain text.
    void namesReachTheBodyAsText_data()
    {
        QTest::addColumn<bool>("readsMarkup");
        QTest::addColumn<QString>("name");
        const QList<QPair<const char *, QString>> names{
            {"picture", QStringLiteral("<img src=\"/etc/x.png\"/>")},
            {"bold and a break", QStringLiteral("<b>BIG</b><br>Server")},
            {"link", QStringLiteral("<a href=\"http://example.com/\">click</a>")},
            {"ampersand", QStringLiteral("Tom & Jerry")},
            {"entity as typed", QStringLiteral("a&lt;b&amp;c&#65;")},
            {"unclosed tag", QStringLiteral("x<y")},
            {"closing tag alone", QStringLiteral("</b></body>ana")},
            {"quotes", QStringLiteral("\"O'Brien\" > all")},
        };
        for (const bool readsMarkup : {true, false}) {
            for (const auto &[label, name] : names)
                QTest::addRow("%s, %s", readsMarkup ? "markup" : "plain text", label) << readsMarkup << name;
        }
    }

    void namesReachTheBodyAsText()
    {
        QFETCH(bool, readsMarkup);
        QFETCH(QString, name);
        FakeNotificationServer server(m_bus->address(), readsMarkup ? FakeNotificationServer::MarkupBody
                                                                    : FakeNotificationServer::PlainBody);
        QVERIFY(server.start());
        frmSysTray tray;
        const QString text = name + QStringLiteral(" has join the chat!!!");

        tray.ShowBalloonTip(text, QStringLiteral("New User"), frmSysTray::InformationIcon, 3000);

        QTRY_COMPARE(server.shown.size(), 1);
        QCOMPARE(server.bodyAsShown(server.shown.first()), text);
        QCOMPARE(server.shown.first().summary, QStringLiteral("New User"));
    }

    // A balloon while the previous one is still up takes its place, as on the tray; once the
    // service has closed it, the next one is new.
    void aNotificationStillUpIsReplaced()
    {
        FakeNotificationServer server(m_bus->address());
        QVERIFY(server.start());
        frmSysTray tray;
        const auto balloon = [&tray](const QString &text) {
            tray.ShowBalloonTip(text, QStringLiteral("New User"), frmSysTray::InformationIcon, 3000);
        };

        balloon(QStringLiteral("Ana has join the chat!!!"));
        QTRY_COMPARE(server.shown.size(), 1);
        QTest::qWait(200); // the id comes back to the client
        balloon(QStringLiteral("Bob has join the chat!!!"));
        QTRY_COMPARE(server.shown.size(), 2);
        server.close(101);
        QTest::qWait(200); // the closing reaches the client
        balloon(QStringLiteral("Cid has join the chat!!!"));
        QTRY_COMPARE(server.shown.size(), 3);

        QCOMPARE(server.shown.at(0).replacesId, 0u);
        QCOMPARE(server.shown.at(1).replacesId, 101u);
        QCOMPARE(server.shown.at(1).body, QStringLiteral("Bob has join the chat!!!"));
        QCOMPARE(server.shown.at(2).replacesId, 0u);
    }

    // A click on our notification is a click on the balloon; clicks on other programs' are not.
    void clickOnTheNotification()
    {
        FakeNotificationServer server(m_bus->address());
        QVERIFY(server.start());
        frmSysTray tray;
        QSignalSpy clicked(&tray, &frmSysTray::BalloonClicked);
        tray.ShowBalloonTip(QStringLiteral("Ana has left from the chat!!!"), QStringLiteral("User left!"),
                            frmSysTray::InformationIcon, 3000);
        QTRY_COMPARE(server.shown.size(), 1);
        QTest::qWait(50); // the id comes back to the client

        server.click(999);
        server.click(101, QStringLiteral("other"));
        QTest::qWait(100);
        QCOMPARE(clicked.size(), 0);

        server.click(101);
        QTRY_COMPARE(clicked.size(), 1);
    }
};

QTEST_MAIN(tst_DesktopNotifications)
#include "tst_desktopnotifications.moc"
