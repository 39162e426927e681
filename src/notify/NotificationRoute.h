#pragma once

// Where a balloon or a notice window's text goes on the desktop the program runs on.
//
// A tray on X11 (XEmbed) draws a balloon beside the icon. A tray on the session bus (a
// StatusNotifier watcher: KDE, GNOME's AppIndicator extension, the panels of Wayland desktops)
// draws none: Qt hands the balloon to the notification service itself, without the program's
// desktop entry and without the action that lets a click on it be reported. There the program
// sends that notification itself, once. With no tray the notification service shows balloons.
//
// Notice windows stand at a fixed spot on the screen; where the platform does not let a program
// place its windows (Wayland) they would open wherever the compositor puts them and take the
// keyboard, so their text goes to the notification service instead when there is one.
class NotificationRoute
{
public:
    enum Route { TrayBalloon, NoticeWindow, Notification, Dropped };

    struct Desktop
    {
        bool trayAvailable = false;
        // The program's icon has a picture and stands on the tray.
        bool iconOnTray = false;
        bool trayShowsBalloons = false;
        bool trayOnSessionBus = false;
        bool notificationService = false;
        bool placesWindows = true;
    };

    static Route balloon(const Desktop &desktop);
    static Route notice(const Desktop &desktop);

    // The desktop as Qt and the session bus report it now, as far as a balloon's or a notice's
    // route depends on it; iconOnTray is left false.
    static Desktop current();
    // The same for a notice alone: the bus is asked only where windows cannot be placed.
    static Desktop forNotices();
    // Whether a program's top-level windows open where it places them.
    static bool platformPlacesWindows();
    // A StatusNotifier watcher runs: items reach a tray through the session bus.
    static bool statusNotifierWatcherRuns();
};
