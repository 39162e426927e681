#pragma once

#include "net/ChatFrontEnd.h"

#include <QStringList>

// A main window for the dispatcher's fuzz target: keeps the user list, answers the boxes as told,
// and records the transcript rows and the texts sent so the target can check them.
class RecordingFrontEnd : public ChatFrontEnd
{
public:
    QStringList rows;     // AppendHistory's HTML, in order
    QStringList sent;     // sendText's texts, in order
    QStringList users;
    QString ownName = QStringLiteral("me");

    bool chkMain = false;
    bool umBalloon = false;
    bool modMain = false;
    bool modWindows = false;
    bool modBalloon = false;
    bool answerYes = false;
    QString answerText;

    void AppendHistory(const QString &html) override;
    void AddChat(const QString &user, const QString &text) override;
    void AddChatPM(const QString &user, const QString &text) override;
    QString timeStamp() const override;

    void appendUser(const QString &name) override;
    int userCount() const override;
    QString userAt(int position) const override;
    void removeUserAt(int position) override;

    QString userName() const override;
    void setUserName(const QString &name) override;
    void setCaption(const QString &caption) override;

    void showBalloon(const QString &text, const QString &title, BalloonIcon icon, int timeoutMs) override;
    void showNewUserNotice(const QString &text) override;
    void showMessageOfDay(const QString &text) override;
    void flash() override;
    void playSound(SoundRow row) override;

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
