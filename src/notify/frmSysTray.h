#pragma once

#include "BalloonTimer.h"
#include "TrayMenuItems.h"

#include <QIcon>
#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>

class DesktopNotifications;

// One icon in the desktop's tray: its picture and tooltip, a context menu of keyed items, balloon
// tips, and the mouse and balloon activity on the icon reported as signals. It knows nothing of the
// chat. The icon is on the tray while it has a picture and goes when the component is deleted.
// Without a tray on the desktop everything works on unseen, and balloons go to the desktop's
// notification service (dropped silently where there is none either); see NotificationRoute.
class frmSysTray : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString ToolTip READ ToolTip WRITE setToolTip)
    Q_PROPERTY(QIcon IconHandle READ IconHandle WRITE setIconHandle)
    Q_PROPERTY(int DefaultMenuIndex READ DefaultMenuIndex WRITE setDefaultMenuIndex)
public:
    enum BalloonIcon { NoIcon = 0, InformationIcon = 1, WarningIcon = 2, ErrorIcon = 3 };
    Q_ENUM(BalloonIcon)
    enum TrayButton { LeftButton = 1, RightButton = 2 };
    Q_ENUM(TrayButton)

    // The longest tooltip the tray takes, in characters; shorter where it shows no balloons.
    static constexpr int ToolTipCapacity = 127;
    static constexpr int ToolTipCapacityWithoutBalloons = 63;
    // The longest balloon text and title the tray takes, in characters.
    static constexpr int BalloonTextCapacity = 255;
    static constexpr int BalloonTitleCapacity = 63;

    explicit frmSysTray(QObject *parent = nullptr);

    // Shows a balloon next to the icon for about lTimeOutMs (see BalloonTimer for the limits).
    // Without a tray, or on a tray that hands balloons to the desktop's notification service, the
    // program sends that notification itself; with neither it is dropped.
    void ShowBalloonTip(const QString &sMessage, const QString &sTitle, BalloonIcon eIcon, int lTimeOutMs);

    // Starts as the program's display name; a longer text is cut to the tray's capacity.
    QString ToolTip() const;
    void setToolTip(const QString &sTip);

    // The icon's picture. A null icon takes the icon off the tray.
    QIcon IconHandle() const;
    void setIconHandle(const QIcon &hIcon);

    // The menu item array (see TrayMenuItems): returns the new item's index.
    int AddMenuItem(const QString &sCaption, const QString &sKey, bool bDefault);
    void EnableMenuItem(int iIndex, bool bState);
    void RemoveMenuItem(int iIndex);
    // The item drawn in bold; an invalid index sets 0. A default left naming no item by a
    // removal leaves the menu without a bold item.
    int DefaultMenuIndex() const;
    void setDefaultMenuIndex(int lIndex);

    // Opens the menu at the mouse pointer without waiting for a choice.
    void ShowMenu();

    // Whether the desktop has a tray that shows balloons.
    static bool BalloonsSupported();
    // The icon stands on a tray, where a click can bring its window back.
    bool IsOnTray() const;

signals:
    // The left button raises SysTrayMouseDown on a click and SysTrayDoubleClick on a double click;
    // the right button raises SysTrayMouseDown when pressed. Qt's tray reports neither button
    // releases nor moves, so SysTrayMouseUp and SysTrayMouseMove are never raised here.
    void SysTrayMouseDown(frmSysTray::TrayButton eButton);
    void SysTrayMouseUp(frmSysTray::TrayButton eButton);
    void SysTrayMouseMove();
    void SysTrayDoubleClick(frmSysTray::TrayButton eButton);
    void MenuClick(int lIndex, const QString &sKey);
    void BalloonShow();
    void BalloonHide();
    void BalloonTimeOut();
    void BalloonClicked();

private:
    void trayIcon_Activated(QSystemTrayIcon::ActivationReason reason);
    void trayIcon_MessageClicked();
    void mnuSysTray_Click(int index);
    void refreshMenu();
    DesktopNotifications &notifications();

    QSystemTrayIcon *m_trayIcon;
    QMenu m_mnuPopup;
    TrayMenuItems m_mnuSysTray;
    BalloonTimer m_balloon;
    // Made at the first balloon that goes to the notification service.
    DesktopNotifications *m_notifications = nullptr;
};
