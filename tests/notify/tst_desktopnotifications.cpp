#include "support/PrivateSessionBus.h"

#include "notify/DesktopNotifications.h"
#include "notify/frmSysTray.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QGuiApplication>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTest>

namespace {

// A notification server as desktops run one, recording what it is asked to show.
class FakeNotificationServer : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    struct Notification
    {
        QString appName;
        uint replacesId;
        QString appIcon;
        QString summary;
        QString body;
        QStringList actions;
        QVariantMap hints;
        int expireTimeout;
    };

    explicit FakeNotificationServer(const QString &busAddress)
        : m_bus(QDBusConnection::connectToBus(busAddress, QStringLiteral("fake notification server")))
    {
    }
    ~FakeNotificationServer() override { stop(); }

    bool start()
    {
        return m_bus.registerObject(QString::fromLatin1(DesktopNotifications::Path), this,
                                    QDBusConnection::ExportAllSlots)
            && m_bus.registerService(QString::fromLatin1(DesktopNotifications::Service));
    }
    void stop()
    {
        m_bus.unregisterService(QString::fromLatin1(DesktopNotifications::Service));
        m_bus.unregisterObject(QString::fromLatin1(DesktopNotifications::Path));
    }

    // What the server sends when the user clicks notification id.
    void click(uint id, const QString &action = QStringLiteral("default"))
    {
        QDBusMessage signal = QDBusMessage::createSignal(QString::fromLatin1(DesktopNotifications::Path),
                                                         QString::fromLatin1(DesktopNotifications::Service),
                                                         QStringLiteral("ActionInvoked"));
        signal << id << action;
        m_bus.send(signal);
    }

    QList<Notification> shown;

public slots:
    uint Notify(const QString &appName, uint replacesId, const QString &appIcon, const QString &summary,
                const QString &body, const QStringList &actions, const QVariantMap &hints, int expireTimeout)
    {
        shown.append({appName, replacesId, appIcon, summary, body, actions, hints, expireTimeout});
        return 100 + uint(shown.size());
    }
    QStringList GetCapabilities() { return {QStringLiteral("body"), QStringLiteral("actions")}; }

private:
    QDBusConnection m_bus;
};

} // namespace

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
