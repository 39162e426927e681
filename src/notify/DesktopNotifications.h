#pragma once

#include <QObject>
#include <QSet>
#include <QString>

class QDBusPendingCallWatcher;

// The desktop's notification service, org.freedesktop.Notifications on the session bus: where
// balloons go on a desktop that has no tray. Calls never wait for the service.
class DesktopNotifications : public QObject
{
    Q_OBJECT
public:
    static constexpr const char *Service = "org.freedesktop.Notifications";
    static constexpr const char *Path = "/org/freedesktop/Notifications";

    explicit DesktopNotifications(QObject *parent = nullptr);

    // A notification service runs, or the bus can start one.
    static bool isAvailable();

    // One notification with the program's name, icon and desktop entry; it stays timeoutMs.
    void show(const QString &title, const QString &text, int timeoutMs);

signals:
    // The user clicked one of the notifications shown here.
    void clicked();

private slots:
    void onActionInvoked(uint id, const QString &action);

private:
    void remember(QDBusPendingCallWatcher *call);

    // Ids the service gave the notifications sent from here; other programs' clicks are not ours.
    QSet<uint> m_shown;
};
