#pragma once

#include <QString>

// What the dispatcher needs from the main chat window, and nothing more. The protocol core
// never sees a widget: the window implements this list, a test implements it with a recorder.
//
// Every operation must be safe to call in any state: a position past the end of the user list
// finds nothing and removes nothing, a notice that cannot be shown is left out. The dispatcher
// relies on that to go on with its next step whatever happened to the previous one.
class ChatFrontEnd
{
public:
    // The five sound rows of the options window.
    enum SoundRow {
        MessageSound = 1,
        PrivateMessageSound = 2,
        SystemMessageSound = 3,
        UserJoinSound = 4,
        UserLeftSound = 5,
    };

    // The tray balloon's icon values; the chat only ever uses the information icon.
    enum BalloonIcon {
        InformationIcon = 1,
    };

    virtual ~ChatFrontEnd() = default;

    // Transcript. AppendHistory writes an HTML fragment at the end of the page; AddChat and
    // AddChatPM build and append the public and private message rows themselves.
    virtual void AppendHistory(const QString &html) = 0;
    virtual void AddChat(const QString &user, const QString &text) = 0;
    virtual void AddChatPM(const QString &user, const QString &text) = 0;
    // The time stamp every row shows, without its brackets.
    virtual QString timeStamp() const = 0;

    // The user list lstUsers, in the order names were added; duplicates allowed. findUser gives the
    // position of the first entry equal to name at or after from, or -1, at a cost that does not
    // grow with the list: a full room's leaves must not walk it.
    virtual void appendUser(const QString &name) = 0;
    virtual int userCount() const = 0;
    virtual int findUser(const QString &name, int from) const = 0;
    virtual void removeUserAt(int position) = 0;

    // The own user name (txtUser) and the window caption.
    virtual void setUserName(const QString &name) = 0;
    virtual void setCaption(const QString &caption) = 0;

    // Notices. Texts are plain text, never HTML.
    virtual void showBalloon(const QString &text, const QString &title, BalloonIcon icon, int timeoutMs) = 0;
    virtual void showNewUserNotice(const QString &text) = 0; // frmNewuser's lblNewuser
    virtual void showMessageOfDay(const QString &text) = 0;  // frmMessage's txtmessage
    virtual void flash() = 0;
    virtual void playSound(SoundRow row) = 0; // silent while sounds are off
    // Has a screen reader say text at once, wherever the keyboard focus is. AddChat and AddChatPM
    // have their rows said by themselves.
    virtual void speak(const QString &text) = 0;

    // The notice choices as the options window shows them now, applied or not.
    virtual bool joinRowInMain() const = 0;    // ChkMain ticked
    virtual bool joinLeaveBalloon() const = 0; // UMBalloon selected
    virtual bool motdInMain() const = 0;       // modMain selected
    virtual bool motdInWindow() const = 0;     // modWindows selected
    virtual bool motdInBalloon() const = 0;    // modBalloon selected

    // Lets the events that are waiting run once.
    virtual void yield() = 0;

    // Modal boxes. askYesNo has no icon and Yes as its default button and returns true for Yes.
    // askText returns the answer, or "" when the box was cancelled.
    virtual bool askYesNo(const QString &text, const QString &title) = 0;
    virtual QString askText(const QString &prompt, const QString &title) = 0;

    // The connection to the server.
    virtual void sendText(const QString &text) = 0;
    virtual void closeConnection() = 0;
};
