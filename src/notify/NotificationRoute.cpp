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

NotificationRoute::Desktop NotificationRoute::current()
{
    Desktop desktop;
    desktop.trayAvailable = QSystemTrayIcon::isSystemTrayAvailable();
    desktop.trayShowsBalloons = desktop.trayAvailable && QSystemTrayIcon::supportsMessages();
    desktop.trayOnSessionBus = desktop.trayAvailable && statusNotifierWatcherRuns();
    desktop.notificationService = DesktopNotifications::isAvailable();
    desktop.placesWindows = platformPlacesWindows();
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
