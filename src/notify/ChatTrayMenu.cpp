#include "ChatTrayMenu.h"

#include "app/Pictures.h"

ChatTrayMenu::ChatTrayMenu(frmSysTray &tray, QWidget &chatWindow)
    : QObject(&tray)
    , m_frmSysTray(tray)
    , m_chatWindow(&chatWindow)
{
    m_frmSysTray.AddMenuItem(QStringLiteral("&Show"), QStringLiteral("open"), true);
    m_frmSysTray.AddMenuItem(QStringLiteral("-"), QString(), false);
    m_frmSysTray.AddMenuItem(QStringLiteral("&Close"), QStringLiteral("close"), false);
    m_frmSysTray.setToolTip(QStringLiteral("Korvani 1.0!"));
    m_frmSysTray.setIconHandle(Pictures::icon({QStringLiteral(":/pictures/korvani.png")}));

    connect(&tray, &frmSysTray::MenuClick, this, &ChatTrayMenu::m_frmSysTray_MenuClick);
    connect(&tray, &frmSysTray::SysTrayDoubleClick, this, &ChatTrayMenu::m_frmSysTray_SysTrayDoubleClick);
    connect(&tray, &frmSysTray::SysTrayMouseDown, this, &ChatTrayMenu::m_frmSysTray_SysTrayMouseDown);
}

void ChatTrayMenu::m_frmSysTray_MenuClick(int, const QString &sKey)
{
    if (sKey == QLatin1String("open"))
        showChatWindow();
    else if (sKey == QLatin1String("close"))
        closeChatWindow();
}

void ChatTrayMenu::m_frmSysTray_SysTrayDoubleClick(frmSysTray::TrayButton)
{
    showChatWindow();
}

void ChatTrayMenu::m_frmSysTray_SysTrayMouseDown(frmSysTray::TrayButton eButton)
{
    if (eButton == frmSysTray::RightButton)
        m_frmSysTray.ShowMenu();
}

// Shows without changing the window's state: a minimised window stays minimised.
void ChatTrayMenu::showChatWindow()
{
    if (!m_chatWindow)
        return;
    m_chatWindow->show();
    m_chatWindow->raise();
}

// Closing the chat window deletes the tray component, its menu and this object. The close waits
// until the menu's click has been handled, so none of them is deleted while it is running.
void ChatTrayMenu::closeChatWindow()
{
    if (m_chatWindow)
        QMetaObject::invokeMethod(m_chatWindow.data(), &QWidget::close, Qt::QueuedConnection);
}
