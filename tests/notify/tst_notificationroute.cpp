#include "notify/NotificationRoute.h"

#include <QTest>

using Route = NotificationRoute::Route;
using Desktop = NotificationRoute::Desktop;

Q_DECLARE_METATYPE(NotificationRoute::Desktop)

namespace {

Desktop desktop(bool trayAvailable, bool iconOnTray, bool trayShowsBalloons, bool trayOnSessionBus,
                bool notificationService, bool placesWindows = true)
{
    Desktop facts;
    facts.trayAvailable = trayAvailable;
    facts.iconOnTray = iconOnTray;
    facts.trayShowsBalloons = trayShowsBalloons;
    facts.trayOnSessionBus = trayOnSessionBus;
    facts.notificationService = notificationService;
    facts.placesWindows = placesWindows;
    return facts;
}

} // namespace

// Where balloons and notices go on the desktops the program meets: an X11 tray, a tray on the
// session bus, no tray at all, with and without a notification service, on X11 and on Wayland.
class tst_NotificationRoute : public QObject
{
    Q_OBJECT
private slots:
    void balloon_data()
    {
        QTest::addColumn<Desktop>("facts");
        QTest::addColumn<Route>("route");
        QTest::newRow("X11 tray draws it beside the icon")
            << desktop(true, true, true, false, true) << NotificationRoute::TrayBalloon;
        QTest::newRow("X11 tray, no notification service") << desktop(true, true, true, false, false)
                                                           << NotificationRoute::TrayBalloon;
        QTest::newRow("tray on the bus: the program's own notification, once")
            << desktop(true, true, true, true, true) << NotificationRoute::Notification;
        QTest::newRow("tray on the bus, no notification service: left to the tray")
            << desktop(true, true, true, true, false) << NotificationRoute::TrayBalloon;
        QTest::newRow("icon without a picture carries no balloon")
            << desktop(true, false, true, true, true) << NotificationRoute::Dropped;
        QTest::newRow("tray without balloons") << desktop(true, true, false, false, true) << NotificationRoute::Dropped;
        QTest::newRow("no tray: the notification service") << desktop(false, false, false, false, true)
                                                            << NotificationRoute::Notification;
        QTest::newRow("no tray, no notification service: dropped")
            << desktop(false, false, false, false, false) << NotificationRoute::Dropped;
        QTest::newRow("no tray on Wayland") << desktop(false, false, false, false, true, false)
                                            << NotificationRoute::Notification;
    }

    void balloon()
    {
        QFETCH(Desktop, facts);
        QFETCH(Route, route);
        QCOMPARE(NotificationRoute::balloon(facts), route);
    }

    void notice_data()
    {
        QTest::addColumn<Desktop>("facts");
        QTest::addColumn<Route>("route");
        QTest::newRow("X11: the notice window at its spot")
            << desktop(false, false, false, false, true) << NotificationRoute::NoticeWindow;
        QTest::newRow("X11 with a tray on the bus") << desktop(true, true, true, true, true)
                                                    << NotificationRoute::NoticeWindow;
        QTest::newRow("Wayland: the notification service")
            << desktop(false, false, false, false, true, false) << NotificationRoute::Notification;
        QTest::newRow("Wayland with a tray") << desktop(true, true, true, true, true, false)
                                             << NotificationRoute::Notification;
        QTest::newRow("Wayland, no notification service: the window wherever it opens")
            << desktop(false, false, false, false, false, false) << NotificationRoute::NoticeWindow;
    }

    void notice()
    {
        QFETCH(Desktop, facts);
        QFETCH(Route, route);
        QCOMPARE(NotificationRoute::notice(facts), route);
    }

    void offscreenPlacesWindows() { QVERIFY(NotificationRoute::platformPlacesWindows()); }
};

QTEST_MAIN(tst_NotificationRoute)
#include "tst_notificationroute.moc"
