#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// What the bench must know of one chat program to start it, sign it on and flood it: the program
// and its settings, the server's side of the sign-on, one line of a flood, its windows' titles.
class ChatDialect
{
public:
    virtual ~ChatDialect() = default;

    virtual QString name() const = 0;
    // Writes the program's settings into folder (its own, fresh) and gives the command line,
    // the program first. With signOn the program connects to serverAddress by itself.
    virtual QStringList prepare(const QString &folder, const QString &serverAddress, bool signOn) const = 0;
    // Whether the program must not run as root (it then runs as "nobody" when the bench is root).
    virtual bool refusesRoot() const { return false; }

    // The server's side of the sign-on on the accepted connection fd, up to the moment the
    // program shows a chat with two users. Returns false when the program did not sign on.
    virtual bool greet(int fd, bool offerFraming) = 0;
    // Whether every message the program receives now reaches it as a message of its own.
    virtual bool delimited() const = 0;
    // Answers what the program asked of the server since the last call (called now and then
    // during a flood; the program must not take the server for gone).
    virtual void answerRequests(int fd) { Q_UNUSED(fd); }
    // One public line of a flood from user bob, as the bytes the server sends.
    virtual QByteArray floodMessage(const QByteArray &text) const = 0;

    virtual QString chatWindowTitle() const = 0;
    // The first window the program maps when it starts; empty: whatever window it maps first.
    virtual QString firstWindowTitle() const = 0;
};
