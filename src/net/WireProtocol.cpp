#include "WireProtocol.h"

#include <array>
#include <utility>

namespace {

using Command = WireProtocol::Command;

constexpr std::array<std::pair<Command, QLatin1String>, 11> commandWords = {{
    {Command::Message, QLatin1String("Message")},
    {Command::PMMessage, QLatin1String("PMMessage")},
    {Command::ErrUsername, QLatin1String("ErrUsername")},
    {Command::PMError, QLatin1String("PMError")},
    {Command::UserList, QLatin1String("UserList")},
    {Command::Joined, QLatin1String("Joined")},
    {Command::Left, QLatin1String("Left")},
    {Command::Kicked, QLatin1String("Kicked")},
    {Command::UKicked, QLatin1String("UKicked")},
    {Command::Welcome, QLatin1String("Welcome")},
    {Command::Msgday, QLatin1String("Msgday")},
}};

Command commandOf(const QString &word)
{
    for (const auto &[command, commandWord] : commandWords) {
        if (word == commandWord)
            return command;
    }
    return Command::Unknown;
}

// The longest command word and its blank.
constexpr qsizetype longestCommandPrefix = 12;

} // namespace

WireProtocol::Received WireProtocol::split(const QString &block)
{
    Received received;
    const qsizetype blank = block.indexOf(QLatin1Char(' '));
    if (blank <= 0)
        return received;
    received.command = block.left(blank);
    received.payload = block.mid(blank + 1);
    received.kind = commandOf(received.command);
    if (received.kind == Command::Message)
        splitField(received.payload, QLatin1Char(':'), &received.sender, &received.text);
    else if (received.kind == Command::PMMessage)
        splitField(received.payload, QLatin1Char('|'), &received.sender, &received.text);
    return received;
}

bool WireProtocol::startsWithCommand(QByteArrayView block)
{
    const qsizetype blank = block.first(qMin(block.size(), longestCommandPrefix)).indexOf(' ');
    if (blank <= 0)
        return false;
    return commandOf(QString::fromLatin1(block.first(blank))) != Command::Unknown;
}

void WireProtocol::splitField(const QString &payload, QChar separator, QString *first, QString *rest)
{
    const qsizetype at = payload.indexOf(separator);
    if (at < 0) {
        *first = QString();
        *rest = payload;
        return;
    }
    *first = payload.left(at);
    *rest = payload.mid(at + 1);
}

QString WireProtocol::join(const QString &userName)
{
    return QStringLiteral("Join ") + userName;
}

QString WireProtocol::message(const QString &userName, const QString &text)
{
    return QStringLiteral("Message ") + userName + QLatin1Char(':') + text;
}

QString WireProtocol::pmMessage(const QString &recipient, const QString &userName, const QString &text)
{
    return QStringLiteral("PMMessage ") + recipient + QLatin1Char(':') + userName + QLatin1Char('|') + text;
}

QString WireProtocol::prompt(const QString &command)
{
    return QStringLiteral("Prompt ") + command;
}

QString WireProtocol::leave(const QString &userName)
{
    return QStringLiteral("Leave ") + userName;
}
