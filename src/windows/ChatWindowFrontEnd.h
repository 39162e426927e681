#pragma once

#include "net/ChatFrontEnd.h"

class DesktopNotifications;
class frmChat;

// The main chat window as the dispatcher sees it: rows go into its transcript, names into its
// user list, notices to its tray icon, the notice windows or the desktop's notification service,
// boxes through the dialog seam, and answers out through its connection.
class ChatWindowFrontEnd : public ChatFrontEnd
{
public:
    explicit ChatWindowFrontEnd(frmChat &chat);

    void AppendHistory(const QString &html) override;
    void AddChat(const QString &user, const QString &text) override;
    void AddChatPM(const QString &user, const QString &text) override;
    QString timeStamp() const override;

    void appendUser(const QString &name) override;
    int userCount() const override;
    int findUser(const QString &name, int from) const override;
    void removeUserAt(int position) override;

    void setUserName(const QString &name) override;
    void setCaption(const QString &caption) override;

    void showBalloon(const QString &text, const QString &title, BalloonIcon icon, int timeoutMs) override;
    void showNewUserNotice(const QString &text) override;
    void showMessageOfDay(const QString &text) override;
    void flash() override;
    void playSound(SoundRow row) override;
    void speak(const QString &text) override;

    bool joinRowInMain() const override;
    bool joinLeaveBalloon() const override;
    bool motdInMain() const override;
    bool motdInWindow() const override;
    bool motdInBalloon() const override;

    void yield() override;

    bool askYesNo(const QString &text, const QString &title) override;
    QString askText(const QString &prompt, const QString &title) override;

    void sendText(const QString &text) override;
    void closeConnection() override;

private:
    // With notifications on, a private message, or a public one naming the user, while the window
    // is not the active one, is told as a balloon, wherever this desktop shows balloons.
    bool noticesWanted() const;
    bool sentAsNotification(DesktopNotifications *&notices, const QString &caption, const QString &text,
                            int shownMs);

    frmChat &m_chat;
    // Made at the first notice of each kind that goes to the notification service; each kind
    // replaces only its own notification, as each has a window of its own.
    DesktopNotifications *m_newUserNotices = nullptr;
    DesktopNotifications *m_messageOfDayNotices = nullptr;
};
