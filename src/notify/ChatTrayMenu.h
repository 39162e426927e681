#pragma once

#include "frmSysTray.h"

#include <QObject>
#include <QPointer>
#include <QWidget>

// The chat window's use of its tray icon: the "&Show" / "&Close" menu, the tooltip and picture it
// sets up, and what the icon's events do to the window. A right press opens the menu; "&Show" or a
// double click shows the window and brings it to the front; "&Close" closes it. It is a child of
// the tray component and goes with it.
class ChatTrayMenu : public QObject
{
    Q_OBJECT
public:
    // Sets the tray up; chatWindow is the window the tray shows and closes.
    ChatTrayMenu(frmSysTray &tray, QWidget &chatWindow);

private:
    void m_frmSysTray_MenuClick(int lIndex, const QString &sKey);
    void m_frmSysTray_SysTrayDoubleClick(frmSysTray::TrayButton eButton);
    void m_frmSysTray_SysTrayMouseDown(frmSysTray::TrayButton eButton);
    void showChatWindow();
    void closeChatWindow();

    frmSysTray &m_frmSysTray;
    QPointer<QWidget> m_chatWindow;
};
