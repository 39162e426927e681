#include "NotificationRoute.h"

#include "DesktopNotifications.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QGuiApplication>
#include <QSystemTrayIcon>

// With a tray, balloons are the icon's: none while the icon has no picture, as before.
NotificationRoute::Route NotificationRoute::balloon(const Desktop &desktop)
{
    if (desktop.trayAvailable) {
        if (!desktop.iconOnTray)
            return Dropped;
        if (desktop.trayOnSessionBus && desktop.notificationService)
            return Notification;
        return desktop.trayShowsBalloons ? TrayBalloon : Dropped;
    }
    return desktop.notificationService ? Notification : Dropped;
}

// A notice window shown in the wrong spot is still better than a notice nobody sees.
NotificationRoute::Route NotificationRoute::notice(const Desktop &desktop)
{
    return !desktop.placesWindows && desktop.notificationService ? Notification : NoticeWindow;
}

// The bus is asked only for what can change the route: a balloon or notice may come with every
// join of a flood, and each question is a round trip to the bus.
NotificationRoute::Desktop NotificationRoute::current()
{
    Desktop desktop = forNotices();
    desktop.trayAvailable = QSystemTrayIcon::isSystemTrayAvailable();
    desktop.trayShowsBalloons = desktop.trayAvailable && QSystemTrayIcon::supportsMessages();
    desktop.trayOnSessionBus = desktop.trayAvailable && statusNotifierWatcherRuns();
    if (!desktop.notificationService && (!desktop.trayAvailable || desktop.trayOnSessionBus))
        desktop.notificationService = DesktopNotifications::isAvailable();
    return desktop;
}

NotificationRoute::Desktop NotificationRoute::forNotices()
{
    Desktop desktop;
    desktop.placesWindows = platformPlacesWindows();
    desktop.notificationService = !desktop.placesWindows && DesktopNotifications::isAvailable();
    return desktop;
}

// Wayland gives a client no say over where its top-level windows go; Qt offers no capability
// to ask, so the platform's name tells (wayland, wayland-egl, ...).
bool NotificationRoute::platformPlacesWindows()
{
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

bool NotificationRoute::statusNotifierWatcherRuns()
{
    const QDBusConnection bus = QDBusConnection::sessionBus();
    return bus.isConnected() && bus.interface()->isServiceRegistered(QStringLiteral("org.kde.StatusNotifierWatcher"));
}
