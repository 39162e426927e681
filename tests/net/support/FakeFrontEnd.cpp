#include "FakeFrontEnd.h"

QStringList FakeFrontEnd::effects() const
{
    QStringList withoutYields = log;
    withoutYields.removeAll(QStringLiteral("yield"));
    return withoutYields;
}

void FakeFrontEnd::AppendHistory(const QString &html)
{
    log << QStringLiteral("row ") + html;
}

void FakeFrontEnd::AddChat(const QString &user, const QString &text)
{
    log << QStringLiteral("chat ") + user + QLatin1Char('|') + text;
}

void FakeFrontEnd::AddChatPM(const QString &user, const QString &text)
{
    log << QStringLiteral("pm ") + user + QLatin1Char('|') + text;
}

QString FakeFrontEnd::timeStamp() const
{
    return stamp;
}

void FakeFrontEnd::appendUser(const QString &name)
{
    users << name;
    log << QStringLiteral("+user ") + name;
}

int FakeFrontEnd::userCount() const
{
    return int(users.size());
}

int FakeFrontEnd::findUser(const QString &name, int from) const
{
    return from < 0 ? -1 : int(users.indexOf(name, from));
}

void FakeFrontEnd::removeUserAt(int position)
{
    if (position < 0 || position >= users.size())
        return;
    users.removeAt(position);
    log << QStringLiteral("-user %1").arg(position);
}

void FakeFrontEnd::setUserName(const QString &name)
{
    ownName = name;
    log << QStringLiteral("name ") + name;
}

void FakeFrontEnd::setCaption(const QString &caption)
{
    log << QStringLiteral("caption ") + caption;
}

void FakeFrontEnd::showBalloon(const QString &text, const QString &title, BalloonIcon icon, int timeoutMs)
{
    log << QStringLiteral("balloon %1|%2|%3|%4").arg(text, title).arg(int(icon)).arg(timeoutMs);
}

void FakeFrontEnd::showNewUserNotice(const QString &text)
{
    log << QStringLiteral("newuser ") + text;
}

void FakeFrontEnd::showMessageOfDay(const QString &text)
{
    log << QStringLiteral("motd ") + text;
}

void FakeFrontEnd::flash()
{
    log << QStringLiteral("flash");
}

void FakeFrontEnd::playSound(SoundRow row)
{
    log << QStringLiteral("sound %1").arg(int(row));
}

void FakeFrontEnd::speak(const QString &text)
{
    spoken << text;
}

bool FakeFrontEnd::joinRowInMain() const
{
    return chkMain;
}

bool FakeFrontEnd::joinLeaveBalloon() const
{
    return umBalloon;
}

bool FakeFrontEnd::motdInMain() const
{
    return modMain;
}

bool FakeFrontEnd::motdInWindow() const
{
    return modWindows;
}

bool FakeFrontEnd::motdInBalloon() const
{
    return modBalloon;
}

void FakeFrontEnd::yield()
{
    log << QStringLiteral("yield");
    if (onYield)
        onYield();
}

bool FakeFrontEnd::askYesNo(const QString &text, const QString &title)
{
    log << QStringLiteral("ask ") + text + QLatin1Char('|') + title;
    return answerYes;
}

QString FakeFrontEnd::askText(const QString &prompt, const QString &title)
{
    log << QStringLiteral("input ") + prompt + QLatin1Char('|') + title;
    return answerText;
}

void FakeFrontEnd::sendText(const QString &text)
{
    log << QStringLiteral("send ") + text;
}

void FakeFrontEnd::closeConnection()
{
    log << QStringLiteral("close");
}
