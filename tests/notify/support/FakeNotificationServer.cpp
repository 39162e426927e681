#include "FakeNotificationServer.h"

#include "notify/DesktopNotifications.h"

#include <QDBusMessage>
#include <QTextDocumentFragment>

namespace {
const QString service = QString::fromLatin1(DesktopNotifications::Service);
const QString path = QString::fromLatin1(DesktopNotifications::Path);
}

FakeNotificationServer::FakeNotificationServer(const QString &busAddress, Body body)
    : m_bus(QDBusConnection::connectToBus(busAddress, QStringLiteral("fake notification server")))
    , m_body(body)
{
}

FakeNotificationServer::~FakeNotificationServer()
{
    stop();
}

bool FakeNotificationServer::start()
{
    return m_bus.registerObject(path, this, QDBusConnection::ExportAllSlots) && m_bus.registerService(service);
}

void FakeNotificationServer::stop()
{
    m_bus.unregisterService(service);
    m_bus.unregisterObject(path);
}

void FakeNotificationServer::click(uint id, const QString &action)
{
    QDBusMessage signal = QDBusMessage::createSignal(path, service, QStringLiteral("ActionInvoked"));
    signal << id << action;
    m_bus.send(signal);
}

void FakeNotificationServer::close(uint id, uint reason)
{
    QDBusMessage signal = QDBusMessage::createSignal(path, service, QStringLiteral("NotificationClosed"));
    signal << id << reason;
    m_bus.send(signal);
}

uint FakeNotificationServer::Notify(const QString &appName, uint replacesId, const QString &appIcon,
                                    const QString &summary, const QString &body, const QStringList &actions,
                                    const QVariantMap &hints, int expireTimeout)
{
    shown.append({appName, replacesId, appIcon, summary, body, actions, hints, expireTimeout});
    return replacesId ? replacesId : 100 + uint(shown.size());
}

QString FakeNotificationServer::bodyAsShown(const Notification &notification) const
{
    if (m_body == PlainBody)
        return notification.body;
    return QTextDocumentFragment::fromHtml(notification.body).toPlainText();
}

QStringList FakeNotificationServer::GetCapabilities()
{
    QStringList capabilities{QStringLiteral("body"), QStringLiteral("actions")};
    if (m_body == MarkupBody)
        capabilities.append(QStringLiteral("body-markup"));
    return capabilities;
}
