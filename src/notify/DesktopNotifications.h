#pragma once

#include <QDeadlineTimer>
#include <QObject>
#include <QSet>
#include <QString>

#include <optional>

class QDBusPendingCallWatcher;

// The desktop's notification service, org.freedesktop.Notifications on the session bus: where
// balloons go on a desktop that has no tray. Calls never wait for the service. A notification sent
// from here while the previous one is still up replaces it, as a new balloon hides the one before
// and a notice window takes the next notice's text: a burst of joins is one changing notification,
// not a pile of them.
//
// Most notification servers read a body as markup and say so ("body-markup" among their
// capabilities): there a user's name in the body would become pictures, links and line breaks, so
// the body is escaped for such a server and sent as it is to one that reads plain text. The title
// is plain text to every server.
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
    // The previous one sent from here, if the service still shows it, gives way to it.
    void show(const QString &title, const QString &text, int timeoutMs);

signals:
    // The user clicked one of the notifications shown here.
    void clicked();

private slots:
    void onActionInvoked(uint id, const QString &action);
    void onNotificationClosed(uint id, uint reason);

private:
    enum class Body { Unknown, Markup, PlainText };
    struct Notification
    {
        QString title;
        QString text;
        int timeoutMs = 0;
    };

    void askHowBodiesAreRead();
    void takeCapabilities(QDBusPendingCallWatcher *call);
    void send(const Notification &notification);
    void remember(QDBusPendingCallWatcher *call, int timeoutMs);
    uint stillShown() const;

    // How the running server reads a body; asked anew when another server takes the name.
    Body m_body = Body::Unknown;
    bool m_asking = false;
    // The notification that waits for the answer: only the latest, as it would replace the others.
    std::optional<Notification> m_waiting;

    // Ids the service gave the notifications sent from here; other programs' clicks are not ours.
    QSet<uint> m_shown;
    // The latest of them, up until the service closes it or its time is over.
    uint m_latest = 0;
    QDeadlineTimer m_latestUntil;
};
