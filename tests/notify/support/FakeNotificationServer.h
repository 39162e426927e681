#pragma once

#include <QDBusConnection>
#include <QList>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

// A notification server as desktops run one, on its own connection to the bus at busAddress,
// recording what it is asked to show. Ids count from 101; a replacement keeps the id it replaces.
// It reads bodies as plain text, or, as most desktops' servers do, as markup.
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

    enum Body { PlainBody, MarkupBody };

    explicit FakeNotificationServer(const QString &busAddress, Body body = PlainBody);
    ~FakeNotificationServer() override;

    bool start();
    void stop();

    // What the server sends when the user clicks notification id.
    void click(uint id, const QString &action = QStringLiteral("default"));
    // What the server sends when notification id goes away (reason 2: the user closed it).
    void close(uint id, uint reason = 2);

    // The text a user reads in a notification's body.
    QString bodyAsShown(const Notification &notification) const;

    QList<Notification> shown;

public slots:
    uint Notify(const QString &appName, uint replacesId, const QString &appIcon, const QString &summary,
                const QString &body, const QStringList &actions, const QVariantMap &hints, int expireTimeout);
    QStringList GetCapabilities();

private:
    QDBusConnection m_bus;
    Body m_body;
};
