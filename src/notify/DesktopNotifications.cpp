#include "DesktopNotifications.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QGuiApplication>
#include <QVariantMap>

namespace {
const QString interfaceName = QString::fromLatin1(DesktopNotifications::Service);
// The action a notification server invokes when the notification itself is clicked.
const QString defaultAction = QStringLiteral("default");
} // namespace

DesktopNotifications::DesktopNotifications(QObject *parent)
    : QObject(parent)
{
    QDBusConnection::sessionBus().connect(interfaceName, QString::fromLatin1(Path), interfaceName,
                                          QStringLiteral("ActionInvoked"), this, SLOT(onActionInvoked(uint, QString)));
    QDBusConnection::sessionBus().connect(interfaceName, QString::fromLatin1(Path), interfaceName,
                                          QStringLiteral("NotificationClosed"), this,
                                          SLOT(onNotificationClosed(uint, uint)));
    auto *owner = new QDBusServiceWatcher(interfaceName, QDBusConnection::sessionBus(),
                                          QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(owner, &QDBusServiceWatcher::serviceOwnerChanged, this, [this] { m_body = Body::Unknown; });
}

bool DesktopNotifications::isAvailable()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    const QDBusConnectionInterface *names = bus.interface();
    return names->isServiceRegistered(interfaceName)
        || names->activatableServiceNames().value().contains(interfaceName);
}

void DesktopNotifications::show(const QString &title, const QString &text, int timeoutMs)
{
    const Notification notification{title, text, timeoutMs};
    if (m_body != Body::Unknown) {
        send(notification);
        return;
    }
    m_waiting = notification;
    askHowBodiesAreRead();
}

void DesktopNotifications::askHowBodiesAreRead()
{
    if (m_asking)
        return;
    m_asking = true;
    const QDBusMessage ask = QDBusMessage::createMethodCall(interfaceName, QString::fromLatin1(Path), interfaceName,
                                                            QStringLiteral("GetCapabilities"));
    auto *call = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(ask), this);
    connect(call, &QDBusPendingCallWatcher::finished, this, &DesktopNotifications::takeCapabilities);
}

// A server that does not answer is taken to read markup: an escaped body then shows a few
// entities too many, a raw one could show pictures.
void DesktopNotifications::takeCapabilities(QDBusPendingCallWatcher *call)
{
    const QDBusPendingReply<QStringList> capabilities = *call;
    call->deleteLater();
    m_asking = false;
    const bool plainText = capabilities.isValid() && !capabilities.value().contains(QLatin1String("body-markup"));
    m_body = plainText ? Body::PlainText : Body::Markup;
    if (m_waiting) {
        send(*m_waiting);
        m_waiting.reset();
    }
}

void DesktopNotifications::send(const Notification &notification)
{
    QDBusMessage notify = QDBusMessage::createMethodCall(interfaceName, QString::fromLatin1(Path), interfaceName,
                                                         QStringLiteral("Notify"));
    const QString desktopEntry = QGuiApplication::desktopFileName();
    QVariantMap hints;
    if (!desktopEntry.isEmpty())
        hints.insert(QStringLiteral("desktop-entry"), desktopEntry);
    const QString body = m_body == Body::Markup ? notification.text.toHtmlEscaped() : notification.text;
    notify << QStringLiteral("Korvani") << stillShown() << QStringLiteral("korvani") << notification.title << body
           << QStringList{defaultAction, notification.title} << hints << notification.timeoutMs;
    auto *call = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(notify), this);
    const int timeoutMs = notification.timeoutMs;
    connect(call, &QDBusPendingCallWatcher::finished, this,
            [this, timeoutMs](QDBusPendingCallWatcher *finished) { remember(finished, timeoutMs); });
}

void DesktopNotifications::remember(QDBusPendingCallWatcher *call, int timeoutMs)
{
    const QDBusPendingReply<uint> id = *call;
    if (id.isValid()) {
        m_shown.insert(id.value());
        m_latest = id.value();
        m_latestUntil.setRemainingTime(timeoutMs);
    }
    call->deleteLater();
}

uint DesktopNotifications::stillShown() const
{
    return m_latestUntil.hasExpired() ? 0 : m_latest;
}

void DesktopNotifications::onNotificationClosed(uint id, uint)
{
    if (id == m_latest)
        m_latest = 0;
}

void DesktopNotifications::onActionInvoked(uint id, const QString &action)
{
    if (action == defaultAction && m_shown.remove(id))
        emit clicked();
}
