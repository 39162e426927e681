#include "UserListMenu.h"

#include "frmChat.h"
#include "frmPM.h"

#include "app/Form.h"
#include "app/PendingEvents.h"
#include "app/Twips.h"
#include "transcript/TranscriptRows.h"

#include <QAction>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>

namespace {
constexpr int MenuIndent = 50; // twips from the list's left edge to the menu's

bool isMouseButtonEvent(const QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease:
        return true;
    default:
        return false;
    }
}
} // namespace

UserListMenu *UserListMenu::install(frmChat &chat)
{
    if (auto *existing = chat.findChild<UserListMenu *>(QString(), Qt::FindDirectChildrenOnly))
        return existing;
    return new UserListMenu(chat);
}

UserListMenu::UserListMenu(frmChat &chat)
    : QObject(&chat)
    , m_chat(chat)
    , m_list(chat.lstUsers)
    , m_listViewport(chat.lstUsers->viewport())
    , m_menu(chat.mnu)
{
    // The press is caught on the viewport before the list turns it into a selection.
    m_chat.lstUsers->viewport()->installEventFilter(this);
    m_chat.lstUsers->installEventFilter(this);
    m_chat.lstUsers->setContextMenuPolicy(Qt::PreventContextMenu);
    m_chat.lstUsers->viewport()->setContextMenuPolicy(Qt::PreventContextMenu);
    m_chat.mnu->installEventFilter(this);
    connect(m_chat.mnuPM, &QAction::triggered, this, &UserListMenu::mnuPM_Click);
}

bool UserListMenu::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_list && event->type() == QEvent::KeyPress)
        return filterListKey(static_cast<QKeyEvent *>(event));
    if (!isMouseButtonEvent(event))
        return false;
    if (watched == m_listViewport)
        return filterListMouse(event);
    if (watched == m_menu)
        return filterMenuMouse(event);
    return false;
}

// Only the left button reaches the list, so no other button can select a row (a double click
// would otherwise arrive as a press, too).
bool UserListMenu::filterListMouse(QEvent *event)
{
    const auto *mouse = static_cast<QMouseEvent *>(event);
    if (mouse->button() == Qt::LeftButton)
        return false;
    if (event->type() != QEvent::MouseButtonRelease)
        lstUsers_MouseDown(mouse->button(), mouse->globalPosition().toPoint());
    return true;
}

// The menu key and Shift+F10 open the menu below the row with the keyboard focus, which they
// select first: the focus frame may stand on a row nothing selected yet, or on another than the
// selected one.
bool UserListMenu::filterListKey(const QKeyEvent *key)
{
    const bool menuKey = key->key() == Qt::Key_Menu
        || (key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier);
    if (!menuKey)
        return false;
    QListWidgetItem *focused = m_chat.lstUsers->currentItem();
    if (!focused)
        return true;
    m_chat.lstUsers->setCurrentItem(focused, QItemSelectionModel::ClearAndSelect);
    const QRect row = m_chat.lstUsers->visualItemRect(focused);
    lstUsers_MouseDown(Qt::RightButton, m_chat.lstUsers->viewport()->mapToGlobal(row.bottomLeft()));
    return true;
}

// The menu's items react to the left button only: a release of any other button chooses nothing.
bool UserListMenu::filterMenuMouse(QEvent *event)
{
    const auto *mouse = static_cast<QMouseEvent *>(event);
    return event->type() == QEvent::MouseButtonRelease && mouse->button() != Qt::LeftButton;
}

void UserListMenu::lstUsers_MouseDown(Qt::MouseButton button, const QPoint &globalPointer)
{
    if (m_chat.lstUsers->selectedItems().isEmpty())
        return;
    if (button != Qt::RightButton && button != Qt::MiddleButton)
        return;
    m_chat.mnu->popup(menuPosition(globalPointer));
}

QPoint UserListMenu::menuPosition(const QPoint &globalPointer) const
{
    const int listLeft = m_chat.lstUsers->mapToGlobal(QPoint(0, 0)).x();
    return QPoint(listLeft + Twips::toPixels(MenuIndent), globalPointer.y());
}

// Acts on the row selected now. The row may have gone while the menu was open (its user left);
// with no row selected there is nobody to write to.
void UserListMenu::mnuPM_Click()
{
    const QList<QListWidgetItem *> selected = m_chat.lstUsers->selectedItems();
    if (selected.isEmpty())
        return;
    const QString recipient = selected.first()->text();
    if (m_chat.txtUser->text() == recipient) {
        m_chat.AppendHistory(TranscriptRows::ownPmRefusalRow(TranscriptRows::timeStamp()));
        LetPendingEventsRun();
        return;
    }
    frmPM *pm = Form<frmPM>::get();
    pm->lblUserPM->setText(recipient);
    pm->show();
    pm->raise();
    pm->activateWindow();
}
