#include "support/FakeNotificationServer.h"
#include "support/PrivateSessionBus.h"
#include "support/XvfbDisplay.h"

#include "notify/frmSysTray.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTest>

namespace {

QIcon programIcon()
{
    return QIcon(QStringLiteral(":/pictures/panel.png"));
}

} // namespace

// The tray of desktops that run it on the session bus (a StatusNotifier watcher, as KDE and most
// panels do): the program on an X display with a bus of the test's own, on which a watcher in
// another process says a tray is there. Qt asks the watcher once, when the program first wants a
// tray, so the watcher runs before any test here makes a tray icon; the last test ends it.
class tst_StatusNotifierTray : public QObject
{
    Q_OBJECT

public:
    explicit tst_StatusNotifierTray(const PrivateSessionBus &bus)
        : m_bus(bus)
    {
    }

private:
    const PrivateSessionBus &m_bus;
    FakeNotificationServer *m_server = nullptr;
    QProcess m_watcher;
    QStringList m_registeredItems;

private slots:
    void initTestCase()
    {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
        QVERIFY2(m_bus.isRunning(), "dbus-daemon did not start");
        QGuiApplication::setDesktopFileName(QStringLiteral("korvani"));
        // As on the desktops that run such a tray, the server reads bodies as markup.
        m_server = new FakeNotificationServer(m_bus.address(), FakeNotificationServer::MarkupBody);
        QVERIFY(m_server->start());

        m_watcher.start(QStringLiteral(FAKE_STATUS_NOTIFIER_WATCHER));
        QVERIFY(m_watcher.waitForReadyRead(10000));
        QCOMPARE(m_watcher.readLine().trimmed(), QByteArray("ready"));
        connect(&m_watcher, &QProcess::readyReadStandardOutput, this, [this] {
            while (m_watcher.canReadLine()) {
                const QString line = QString::fromUtf8(m_watcher.readLine().trimmed());
                if (line.startsWith(QLatin1String("item ")))
                    m_registeredItems.append(line.mid(5));
            }
        });
    }

    void cleanup() { m_server->shown.clear(); }

    void cleanupTestCase()
    {
        m_watcher.kill();
        m_watcher.waitForFinished();
        delete m_server;
    }

    void iconStandsOnTheTray()
    {
        QVERIFY(QSystemTrayIcon::isSystemTrayAvailable());
        frmSysTray tray;
        QVERIFY(!tray.IsOnTray());

        tray.setIconHandle(programIcon());

        QVERIFY(tray.IsOnTray());
        QTRY_COMPARE(m_registeredItems.size(), 1);
        QCOMPARE(itemStatus(m_registeredItems.first()), QStringLiteral("Active"));
    }

    // Such a tray draws no balloon of its own: it would hand it to the notification service
    // without the program's desktop entry and without a click action, and report a click on any
    // program's notification as a click on it. The program sends it itself, once, and takes only
    // its own notification's click.
    void balloonBecomesOneNotification()
    {
        frmSysTray tray;
        tray.setIconHandle(programIcon());
        QSignalSpy shown(&tray, &frmSysTray::BalloonShow);
        QSignalSpy clicked(&tray, &frmSysTray::BalloonClicked);

        tray.ShowBalloonTip(QStringLiteral("Ana has join the chat!!!"), QStringLiteral("New User"),
                            frmSysTray::InformationIcon, 3000);

        QCOMPARE(shown.size(), 1);
        QTRY_COMPARE(m_server->shown.size(), 1);
        QTest::qWait(200); // a second notification would come now
        QCOMPARE(m_server->shown.size(), 1);
        const FakeNotificationServer::Notification &notification = m_server->shown.first();
        QCOMPARE(notification.appName, QStringLiteral("Korvani"));
        QCOMPARE(notification.appIcon, QStringLiteral("korvani"));
        QCOMPARE(notification.summary, QStringLiteral("New User"));
        QCOMPARE(notification.body, QStringLiteral("Ana has join the chat!!!"));
        QCOMPARE(notification.hints.value(QStringLiteral("desktop-entry")).toString(), QStringLiteral("korvani"));
        QVERIFY(notification.actions.contains(QStringLiteral("default")));

        QTest::qWait(200); // the notification's id comes back to the program
        m_server->click(999); // another program's notification
        QTest::qWait(100);
        QCOMPARE(clicked.size(), 0);
        m_server->click(101);
        QTRY_COMPARE(clicked.size(), 1);
    }

    // A user's name in the balloon reads as it was written, not as markup.
    void aNameInTheBalloonIsText()
    {
        frmSysTray tray;
        tray.setIconHandle(programIcon());
        const QString text = QStringLiteral("<img src=\"/etc/x.png\"/><b>BIG</b><br>Server has join the chat!!!");

        tray.ShowBalloonTip(text, QStringLiteral("New User"), frmSysTray::InformationIcon, 3000);

        QTRY_COMPARE(m_server->shown.size(), 1);
        QCOMPARE(m_server->bodyAsShown(m_server->shown.first()), text);
    }

    // The panel quits: no tray any more, so the chat window can no longer come back from one, and
    // balloons still reach the notification service.
    void withTheWatcherGone()
    {
        frmSysTray tray;
        tray.setIconHandle(programIcon());
        QVERIFY(tray.IsOnTray());

        m_watcher.kill();
        m_watcher.waitForFinished();

        QTRY_VERIFY(!QSystemTrayIcon::isSystemTrayAvailable());
        QVERIFY(!tray.IsOnTray());
        tray.ShowBalloonTip(QStringLiteral("Ana has left from the chat!!!"), QStringLiteral("User left!"),
                            frmSysTray::InformationIcon, 3000);
        QTRY_COMPARE(m_server->shown.size(), 1);
        QCOMPARE(m_server->shown.first().summary, QStringLiteral("User left!"));
        QCOMPARE(m_server->shown.first().hints.value(QStringLiteral("desktop-entry")).toString(),
                 QStringLiteral("korvani"));
    }

private:
    // Asked without blocking: the item lives in this process and answers from its event loop.
    static QString itemStatus(const QString &item)
    {
        QDBusMessage get = QDBusMessage::createMethodCall(item, QStringLiteral("/StatusNotifierItem"),
                                                          QStringLiteral("org.freedesktop.DBus.Properties"),
                                                          QStringLiteral("Get"));
        get << QStringLiteral("org.kde.StatusNotifierItem") << QStringLiteral("Status");
        QDBusPendingReply<QDBusVariant> reply = QDBusConnection::sessionBus().asyncCall(get);
        if (!QTest::qWaitFor([&] { return reply.isFinished(); }, 10000) || !reply.isValid())
            return QString();
        return reply.value().variant().toString();
    }
};

// The display and the bus come before the application, which connects to its display as it starts
// and may use the session bus from then on. Qt's own D-Bus tray belongs to its generic desktop
// theme, the one used where no desktop names itself.
int main(int argc, char *argv[])
{
    XvfbDisplay display;
    if (!display.isRunning()) {
        qCritical("Xvfb did not start");
        return 1;
    }
    PrivateSessionBus bus;
    qputenv("QT_QPA_PLATFORM", "xcb");
    qunsetenv("QT_QPA_PLATFORMTHEME");
    qunsetenv("XDG_CURRENT_DESKTOP");
    qunsetenv("DESKTOP_SESSION");
    QApplication application(argc, argv);
    tst_StatusNotifierTray test(bus);
    return QTest::qExec(&test, argc, argv);
}

#include "tst_statusnotifiertray.moc"
