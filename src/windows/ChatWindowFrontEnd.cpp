#include "ChatWindowFrontEnd.h"

#include "ScreenReaderNotice.h"
#include "frmChat.h"

#include "app/ChatFeatures.h"
#include "app/Dialogs.h"
#include "app/Form.h"
#include "app/PendingEvents.h"
#include "net/ChatConnection.h"
#include "notify/DesktopNotifications.h"
#include "notify/MessageNotices.h"
#include "notify/NotificationRoute.h"
#include "notify/frmMessage.h"
#include "notify/frmNewuser.h"
#include "notify/frmSysTray.h"
#include "options/OptionChoices.h"
#include "options/SoundEvents.h"
#include "transcript/MessageMarkup.h"
#include "transcript/RowText.h"
#include "transcript/TranscriptRows.h"

#include <QApplication>
#include <QLineEdit>

namespace {
// As long as a balloon of the tray shows.
constexpr int messageNoticeMs = 5000;
} // namespace

ChatWindowFrontEnd::ChatWindowFrontEnd(frmChat &chat)
    : m_chat(chat)
{
}

void ChatWindowFrontEnd::AppendHistory(const QString &html)
{
    m_chat.AppendHistory(html);
}

// The name is looked for in what the row shows: no tag or smiley code counts.
void ChatWindowFrontEnd::AddChat(const QString &user, const QString &text)
{
    m_chat.AddChat(user, text);
    if (!noticesWanted())
        return;
    if (const auto notice = MessageNotices::forPublic(user, RowText::plainText(MessageMarkup::ConvertMarkup(text)),
                                                      m_chat.txtUser->text(), m_chat.isActiveWindow()))
        showBalloon(notice->text, notice->title, InformationIcon, messageNoticeMs);
}

void ChatWindowFrontEnd::AddChatPM(const QString &user, const QString &text)
{
    m_chat.AddChatPM(user, text);
    if (!noticesWanted())
        return;
    if (const auto notice = MessageNotices::forPrivate(user, text, m_chat.txtUser->text(), m_chat.isActiveWindow()))
        showBalloon(notice->text, notice->title, InformationIcon, messageNoticeMs);
}

bool ChatWindowFrontEnd::noticesWanted() const
{
    return ChatFeatures::inForce().notifications;
}

QString ChatWindowFrontEnd::timeStamp() const
{
    return TranscriptRows::timeStamp();
}

void ChatWindowFrontEnd::appendUser(const QString &name)
{
    m_chat.lstUsers->addItem(name);
}

int ChatWindowFrontEnd::userCount() const
{
    return m_chat.lstUsers->count();
}

int ChatWindowFrontEnd::findUser(const QString &name, int from) const
{
    return m_chat.lstUsers->findName(name, from);
}

void ChatWindowFrontEnd::removeUserAt(int position)
{
    if (position >= 0 && position < m_chat.lstUsers->count())
        delete m_chat.lstUsers->takeItem(position);
}

void ChatWindowFrontEnd::setUserName(const QString &name)
{
    m_chat.txtUser->setText(name);
}

void ChatWindowFrontEnd::setCaption(const QString &caption)
{
    m_chat.setWindowTitle(caption);
}

// Once the window has closed there is no icon left to carry a balloon.
void ChatWindowFrontEnd::showBalloon(const QString &text, const QString &title, BalloonIcon icon, int timeoutMs)
{
    if (m_chat.m_frmSysTray)
        m_chat.m_frmSysTray->ShowBalloonTip(text, title, static_cast<frmSysTray::BalloonIcon>(icon), timeoutMs);
}

void ChatWindowFrontEnd::showNewUserNotice(const QString &text)
{
    if (sentAsNotification(m_newUserNotices, QString::fromLatin1(frmNewuser::Caption), text, frmNewuser::ClosingMs))
        return;
    Form<frmNewuser>::get()->show();
    Form<frmNewuser>::get()->lblNewuser->setText(text);
}

void ChatWindowFrontEnd::showMessageOfDay(const QString &text)
{
    if (sentAsNotification(m_messageOfDayNotices, QString::fromLatin1(frmMessage::Caption), text,
                           frmMessage::ClosingMs))
        return;
    Form<frmMessage>::get()->show();
    Form<frmMessage>::get()->txtmessage->setPlainText(text);
}

// Where the platform leaves the notice windows' spot to the compositor (Wayland), a notice window
// opens anywhere, over the chat window's controls, and the compositor gives it the keyboard: what
// the user types meanwhile is lost. The desktop's notification service shows the notice where the
// desktop shows notices instead.
bool ChatWindowFrontEnd::sentAsNotification(DesktopNotifications *&notices, const QString &caption,
                                            const QString &text, int shownMs)
{
    if (NotificationRoute::notice(NotificationRoute::forNotices()) != NotificationRoute::Notification)
        return false;
    if (!notices)
        notices = new DesktopNotifications(&m_chat);
    notices->show(caption, text, shownMs);
    return true;
}

void ChatWindowFrontEnd::flash()
{
    QApplication::alert(&m_chat);
}

void ChatWindowFrontEnd::playSound(SoundRow row)
{
    SoundEvents::PlaySoundEvent(row);
}

void ChatWindowFrontEnd::speak(const QString &text)
{
    m_chat.notice->speak(text);
}

bool ChatWindowFrontEnd::joinRowInMain() const
{
    return OptionChoices::current().joinRowInMain();
}

bool ChatWindowFrontEnd::joinLeaveBalloon() const
{
    return OptionChoices::current().joinLeaveBalloon();
}

bool ChatWindowFrontEnd::motdInMain() const
{
    return OptionChoices::current().motdInMain();
}

bool ChatWindowFrontEnd::motdInWindow() const
{
    return OptionChoices::current().motdInWindow();
}

bool ChatWindowFrontEnd::motdInBalloon() const
{
    return OptionChoices::current().motdInBalloon();
}

void ChatWindowFrontEnd::yield()
{
    LetPendingEventsRun();
}

bool ChatWindowFrontEnd::askYesNo(const QString &text, const QString &title)
{
    return Dialogs::current().messageBox(&m_chat, QMessageBox::NoIcon, title, text,
                                         QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes)
           == QMessageBox::Yes;
}

QString ChatWindowFrontEnd::askText(const QString &prompt, const QString &title)
{
    return Dialogs::current().inputBox(&m_chat, prompt, title, QString());
}

void ChatWindowFrontEnd::sendText(const QString &text)
{
    m_chat.sendText(text);
}

void ChatWindowFrontEnd::closeConnection()
{
    m_chat.closeConnection();
}
