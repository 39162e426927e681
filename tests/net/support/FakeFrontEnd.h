#pragma once

#include "net/ChatFrontEnd.h"

#include <QStringList>

#include <functional>

// A main window that records, in order, everything the dispatcher does to it.
// Entries: "row <html>", "chat <user>|<text>", "pm <user>|<text>", "+user <name>",
// "-user <position>", "name <name>", "caption <text>", "balloon <text>|<title>|<icon>|<ms>",
// "newuser <text>", "motd <text>", "flash", "sound <row>", "yield", "ask <text>|<title>",
// "input <prompt>|<title>", "send <text>", "close".
class FakeFrontEnd : public ChatFrontEnd
{
public:
    static inline const QString stamp = QStringLiteral("10:00:00");

    QStringList log;
    // What a screen reader was given to say, apart from the log.
    QStringList spoken;
    QStringList users;
    QString ownName = QStringLiteral("me");

    bool chkMain = false;
    bool umBalloon = false;
    bool modMain = false;
    bool modWindows = false;
    bool modBalloon = false;

    bool answerYes = true;
    QString answerText;
    // Runs inside every yield, as other events would.
    std::function<void()> onYield;

    // The log without the yields.
    QStringList effects() const;

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
};
