#pragma once

#include <QString>

// The server's side of the wire protocol: what a client's block asks for, and the messages the
// server sends back. The split rules are those of WireProtocol.
class ServerProtocol
{
public:
    enum class Kind { Unknown, Join, Message, PMMessage, Prompt, Leave };

    // One block a client sent. `name` is the user name of "Join" and the recipient of "PMMessage";
    // `text` is the text of "Message" and "PMMessage" and the command of "Prompt". The sender name a
    // client writes into "Message", "PMMessage" and "Leave" is dropped: the server knows who sent it.
    struct Request
    {
        Kind kind = Kind::Unknown;
        QString name;
        QString text;
    };

    static Request parse(const QString &block);

    static QString welcome(const QString &serverName);
    static QString msgday(const QString &text);
    static QString userList(const QString &userName);
    static QString joined(const QString &userName);
    static QString left(const QString &userName);
    static QString kicked(const QString &userName);
    static QString uKicked(const QString &operatorName);
    static QString errUsername(const QString &userName);
    static QString pmError(const QString &recipient);
    static QString message(const QString &sender, const QString &text);
    static QString pmMessage(const QString &sender, const QString &text);
};
