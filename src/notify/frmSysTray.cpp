#include "frmSysTray.h"

#include "DesktopNotifications.h"
#include "NotificationRoute.h"

#include <QCursor>
#include <QGuiApplication>

namespace {

QSystemTrayIcon::MessageIcon messageIcon(frmSysTray::BalloonIcon icon)
{
    switch (icon) {
    case frmSysTray::InformationIcon:
        return QSystemTrayIcon::Information;
    case frmSysTray::WarningIcon:
        return QSystemTrayIcon::Warning;
    case frmSysTray::ErrorIcon:
        return QSystemTrayIcon::Critical;
    case frmSysTray::NoIcon:
        break;
    }
    return QSystemTrayIcon::NoIcon;
}

} // namespace

frmSysTray::frmSysTray(QObject *parent)
    : QObject(parent)
    , m_trayIcon(new QSystemTrayIcon(this))
    , m_balloon(this)
{
    m_mnuPopup.setTitle(QStringLiteral("&Popup"));
    setToolTip(QGuiApplication::applicationDisplayName());
    refreshMenu();

    connect(m_trayIcon, &QSystemTrayIcon::activated, this, &frmSysTray::trayIcon_Activated);
    connect(m_trayIcon, &QSystemTrayIcon::messageClicked, this, &frmSysTray::trayIcon_MessageClicked);
    connect(&m_balloon, &BalloonTimer::BalloonShow, this, &frmSysTray::BalloonShow);
    connect(&m_balloon, &BalloonTimer::BalloonHide, this, &frmSysTray::BalloonHide);
    connect(&m_balloon, &BalloonTimer::BalloonTimeOut, this, &frmSysTray::BalloonTimeOut);
    connect(&m_balloon, &BalloonTimer::BalloonClicked, this, &frmSysTray::BalloonClicked);
}

bool frmSysTray::BalloonsSupported()
{
    return QSystemTrayIcon::isSystemTrayAvailable() && QSystemTrayIcon::supportsMessages();
}

// NotificationRoute says where this desktop shows a balloon: beside the icon, as a notification
// of the desktop's notification service, or nowhere.
void frmSysTray::ShowBalloonTip(const QString &sMessage, const QString &sTitle, BalloonIcon eIcon, int lTimeOutMs)
{
    const QString title = sTitle.left(BalloonTitleCapacity);
    const QString text = sMessage.left(BalloonTextCapacity);
    const int shownMs = BalloonTimer::displayTime(lTimeOutMs);
    NotificationRoute::Desktop desktop = NotificationRoute::current();
    desktop.iconOnTray = desktop.trayAvailable && m_trayIcon->isVisible();
    switch (NotificationRoute::balloon(desktop)) {
    case NotificationRoute::TrayBalloon:
        m_trayIcon->showMessage(title, text, messageIcon(eIcon), shownMs);
        break;
    case NotificationRoute::Notification:
        notifications().show(title, text, shownMs);
        break;
    case NotificationRoute::NoticeWindow:
    case NotificationRoute::Dropped:
        return;
    }
    m_balloon.start(lTimeOutMs);
}

DesktopNotifications &frmSysTray::notifications()
{
    if (!m_notifications) {
        m_notifications = new DesktopNotifications(this);
        connect(m_notifications, &DesktopNotifications::clicked, &m_balloon, &BalloonTimer::click);
    }
    return *m_notifications;
}

bool frmSysTray::IsOnTray() const
{
    return m_trayIcon->isVisible() && QSystemTrayIcon::isSystemTrayAvailable();
}

QString frmSysTray::ToolTip() const
{
    return m_trayIcon->toolTip();
}

void frmSysTray::setToolTip(const QString &sTip)
{
    const int capacity = BalloonsSupported() ? ToolTipCapacity : ToolTipCapacityWithoutBalloons;
    m_trayIcon->setToolTip(sTip.left(capacity));
}

QIcon frmSysTray::IconHandle() const
{
    return m_trayIcon->icon();
}

void frmSysTray::setIconHandle(const QIcon &hIcon)
{
    m_trayIcon->setIcon(hIcon);
    m_trayIcon->setVisible(!hIcon.isNull());
}

int frmSysTray::AddMenuItem(const QString &sCaption, const QString &sKey, bool bDefault)
{
    const int index = m_mnuSysTray.add(sCaption, sKey, bDefault);
    refreshMenu();
    return index;
}

void frmSysTray::EnableMenuItem(int iIndex, bool bState)
{
    m_mnuSysTray.setEnabled(iIndex, bState);
    refreshMenu();
}

void frmSysTray::RemoveMenuItem(int iIndex)
{
    m_mnuSysTray.remove(iIndex);
    refreshMenu();
}

int frmSysTray::DefaultMenuIndex() const
{
    return m_mnuSysTray.defaultIndex();
}

void frmSysTray::setDefaultMenuIndex(int lIndex)
{
    m_mnuSysTray.setDefaultIndex(lIndex);
    refreshMenu();
}

void frmSysTray::ShowMenu()
{
    m_mnuPopup.popup(QCursor::pos());
}

void frmSysTray::trayIcon_Activated(QSystemTrayIcon::ActivationReason reason)
{
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        emit SysTrayMouseDown(LeftButton);
        break;
    case QSystemTrayIcon::DoubleClick:
        emit SysTrayDoubleClick(LeftButton);
        break;
    case QSystemTrayIcon::Context:
        emit SysTrayMouseDown(RightButton);
        break;
    case QSystemTrayIcon::MiddleClick:
    case QSystemTrayIcon::Unknown:
        break;
    }
}

// A tray on the session bus reports a click on any program's notification as a click on the
// balloon; the program's own notifications report their clicks through DesktopNotifications.
void frmSysTray::trayIcon_MessageClicked()
{
    if (!NotificationRoute::statusNotifierWatcherRuns())
        m_balloon.click();
}

void frmSysTray::mnuSysTray_Click(int index)
{
    if (m_mnuSysTray.isValidIndex(index))
        emit MenuClick(index, m_mnuSysTray.at(index).key);
}

// The menu is rebuilt after every change so an open menu never offers an item that has gone.
// Old actions are deleted later: a change may come from a handler of one of their own clicks.
void frmSysTray::refreshMenu()
{
    const QList<QAction *> oldActions = m_mnuPopup.actions();
    for (QAction *action : oldActions) {
        m_mnuPopup.removeAction(action);
        action->deleteLater();
    }
    m_mnuPopup.setDefaultAction(nullptr);

    for (int index = 0; index < m_mnuSysTray.count(); ++index) {
        if (!m_mnuSysTray.isShown(index))
            continue;
        const TrayMenuItems::Item &item = m_mnuSysTray.at(index);
        QAction *action = item.isSeparator() ? m_mnuPopup.addSeparator() : m_mnuPopup.addAction(item.caption);
        action->setEnabled(item.enabled);
        connect(action, &QAction::triggered, this, [this, index] { mnuSysTray_Click(index); });
        if (index == m_mnuSysTray.defaultIndex()) {
            QFont bold = action->font();
            bold.setBold(true);
            action->setFont(bold);
            m_mnuPopup.setDefaultAction(action);
        }
    }
}
