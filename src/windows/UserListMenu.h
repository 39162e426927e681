#pragma once

#include <QObject>
#include <QPoint>

class QKeyEvent;
class frmChat;

// The context menu of the main window's user list: a right or middle press on lstUsers offers
// mnu ("Private Message") for the row that was selected before the press. The press itself never
// selects a row, and the list offers no menu of its own. The menu key and Shift+F10 offer mnu for
// the selected row too. "Private Message" opens frmPM addressed to that row, or refuses in the
// transcript when the row is the own name.
//
// frmChat installs it once, in Form_Load:
//     UserListMenu::install(*this);
class UserListMenu : public QObject
{
    Q_OBJECT
public:
    // Attaches the menu to chat's lstUsers, mnu and mnuPM; it lives as long as chat does.
    // A second call on the same window returns the first menu.
    static UserListMenu *install(frmChat &chat);

    // Left button: nothing, the list selects as usual. Right or middle with a row selected: mnu.
    void lstUsers_MouseDown(Qt::MouseButton button, const QPoint &globalPointer);
    void mnuPM_Click();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit UserListMenu(frmChat &chat);

    // Where mnu opens for a press at globalPointer: its left edge 50 twips right of the list's
    // left edge, its top at the pointer's height.
    QPoint menuPosition(const QPoint &globalPointer) const;

    bool filterListMouse(QEvent *event);
    bool filterListKey(const QKeyEvent *key);
    bool filterMenuMouse(QEvent *event);

    frmChat &m_chat;
    // The objects the filter watches, taken at install: their events still come while the window
    // is being destroyed, when its members may no longer be read.
    const QObject *m_list;
    const QObject *m_listViewport;
    const QObject *m_menu;
};
