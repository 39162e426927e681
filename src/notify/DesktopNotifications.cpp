#include "DesktopNotifications.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QGuiApplication>
#include <QVariantMap>

namespace {
const QString interfaceName = QString::fromLatin1(DesktopNotifications::Service);
// The action a notification server invokes when the notification itself is clicked.
const QString defaultAction = QStringLiteral("default");
}

DesktopNotifications::DesktopNotifications(QObject *parent)
    : QObject(parent)
{
    QDBusConnection::sessionBus().connect(interfaceName, QString::fromLatin1(Path), interfaceName,
                                          QStringLiteral("ActionInvoked"), this, SLOT(onActionInvoked(uint, QString)));
    QDBusConnection::sessionBus().connect(interfaceName, QString::fromLatin1(Path), interfaceName,
                                          QStringLiteral("NotificationClosed"), this,
                                          SLOT(onNotificationClosed(uint, uint)));
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
    QDBusMessage notify = QDBusMessage::createMethodCall(interfaceName, QString::fromLatin1(Path), interfaceName,
                                                         QStringLiteral("Notify"));
    const QString desktopEntry = QGuiApplication::desktopFileName();
    QVariantMap hints;
    if (!desktopEntry.isEmpty())
        hints.insert(QStringLiteral("desktop-entry"), desktopEntry);
    notify << QStringLiteral("Korvani") << stillShown() << QStringLiteral("korvani") << title << text
           << QStringList{defaultAction, title} << hints << timeoutMs;
    auto *call = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(notify), this);
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
