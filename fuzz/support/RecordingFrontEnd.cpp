#include "RecordingFrontEnd.h"

#include "FuzzInput.h"

void RecordingFrontEnd::AppendHistory(const QString &html)
{
    rows.append(html);
}

// The window builds the chat rows itself; the dispatcher's part is the sender and text it hands over.
void RecordingFrontEnd::AddChat(const QString &, const QString &)
{
}

void RecordingFrontEnd::AddChatPM(const QString &, const QString &)
{
}

QString RecordingFrontEnd::timeStamp() const
{
    return QStringLiteral("10:00:00");
}

void RecordingFrontEnd::appendUser(const QString &name)
{
    users.append(name);
}

int RecordingFrontEnd::userCount() const
{
    return int(users.size());
}

QString RecordingFrontEnd::userAt(int position) const
{
    return users.value(position);
}

void RecordingFrontEnd::removeUserAt(int position)
{
    // Allowed by the interface, but the dispatcher only ever removes entries it has just looked at.
    fuzzCheck(position >= 0 && position < users.size(), "user list removal outside the list");
    users.removeAt(position);
}

QString RecordingFrontEnd::userName() const
{
    return ownName;
}

void RecordingFrontEnd::setUserName(const QString &name)
{
    ownName = name;
}

void RecordingFrontEnd::setCaption(const QString &)
{
}

void RecordingFrontEnd::showBalloon(const QString &, const QString &, BalloonIcon, int)
{
}

void RecordingFrontEnd::showNewUserNotice(const QString &)
{
}

void RecordingFrontEnd::showMessageOfDay(const QString &)
{
}

void RecordingFrontEnd::flash()
{
}

void RecordingFrontEnd::playSound(SoundRow)
{
}

bool RecordingFrontEnd::joinRowInMain() const
{
    return chkMain;
}

bool RecordingFrontEnd::joinLeaveBalloon() const
{
    return umBalloon;
}

bool RecordingFrontEnd::motdInMain() const
{
    return modMain;
}

bool RecordingFrontEnd::motdInWindow() const
{
    return modWindows;
}

bool RecordingFrontEnd::motdInBalloon() const
{
    return modBalloon;
}

void RecordingFrontEnd::yield()
{
}

bool RecordingFrontEnd::askYesNo(const QString &, const QString &)
{
    return answerYes;
}

QString RecordingFrontEnd::askText(const QString &, const QString &)
{
    return answerText;
}

void RecordingFrontEnd::sendText(const QString &text)
{
    sent.append(text);
}

void RecordingFrontEnd::closeConnection()
{
}
