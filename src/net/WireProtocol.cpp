#include "WireProtocol.h"

WireProtocol::Received WireProtocol::split(const QString &block)
{
    Received received;
    const qsizetype blank = block.indexOf(QLatin1Char(' '));
    if (blank <= 0)
        return received;
    received.command = block.left(blank);
    received.payload = block.mid(blank + 1);
    if (received.command == QLatin1String("Message"))
        splitField(received.payload, QLatin1Char(':'), &received.sender, &received.text);
    else if (received.command == QLatin1String("PMMessage"))
        splitField(received.payload, QLatin1Char('|'), &received.sender, &received.text);
    return received;
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
