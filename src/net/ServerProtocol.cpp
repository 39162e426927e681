#include "ServerProtocol.h"

#include "WireProtocol.h"

ServerProtocol::Request ServerProtocol::parse(const QString &block)
{
    const WireProtocol::Received received = WireProtocol::split(block);
    Request request;
    if (received.command == QLatin1String("Join")) {
        request.kind = Kind::Join;
        request.name = received.payload;
    } else if (received.command == QLatin1String("Message")) {
        request.kind = Kind::Message;
        request.text = received.text;
    } else if (received.command == QLatin1String("PMMessage")) {
        // recipient ":" sender "|" text: the recipient is what precedes the first ":" of the part
        // before the first "|"; a block without both separators names no one.
        request.kind = Kind::PMMessage;
        QString claimedSender;
        WireProtocol::splitField(received.sender, QLatin1Char(':'), &request.name, &claimedSender);
        request.text = received.text;
    } else if (received.command == QLatin1String("Prompt")) {
        request.kind = Kind::Prompt;
        request.text = received.payload;
    } else if (received.command == QLatin1String("Leave")) {
        request.kind = Kind::Leave;
    }
    return request;
}

QString ServerProtocol::welcome(const QString &serverName)
{
    return QStringLiteral("Welcome ") + serverName;
}

QString ServerProtocol::msgday(const QString &text)
{
    return QStringLiteral("Msgday ") + text;
}

QString ServerProtocol::userList(const QString &userName)
{
    return QStringLiteral("UserList ") + userName;
}

QString ServerProtocol::joined(const QString &userName)
{
    return QStringLiteral("Joined ") + userName;
}

QString ServerProtocol::left(const QString &userName)
{
    return QStringLiteral("Left ") + userName;
}

QString ServerProtocol::kicked(const QString &userName)
{
    return QStringLiteral("Kicked ") + userName;
}

QString ServerProtocol::uKicked(const QString &operatorName)
{
    return QStringLiteral("UKicked ") + operatorName;
}

QString ServerProtocol::errUsername(const QString &userName)
{
    return QStringLiteral("ErrUsername ") + userName;
}

QString ServerProtocol::pmError(const QString &recipient)
{
    return QStringLiteral("PMError ") + recipient;
}

QString ServerProtocol::message(const QString &sender, const QString &text)
{
    return WireProtocol::message(sender, text);
}

QString ServerProtocol::pmMessage(const QString &sender, const QString &text)
{
    return QStringLiteral("PMMessage ") + sender + QLatin1Char('|') + text;
}
