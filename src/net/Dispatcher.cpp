#include "Dispatcher.h"

#include "ReceivedBounds.h"

#include "transcript/TranscriptRows.h"

namespace {

constexpr int joinLeaveBalloonMs = 3000;
// The shell keeps a balloon up for its own minimum time, so this only asks for the shortest.
constexpr int messageOfDayBalloonMs = 50;

} // namespace

Dispatcher::Dispatcher(ChatFrontEnd &frontEnd)
    : m_frontEnd(frontEnd)
{
}

void Dispatcher::DataParsing(const QString &block)
{
    const WireProtocol::Received received = ReceivedBounds::bounded(WireProtocol::split(block));
    switch (received.kind) {
    case WireProtocol::Command::Unknown:
        return;
    case WireProtocol::Command::Message:
        return onMessage(received);
    case WireProtocol::Command::PMMessage:
        return onPMMessage(received);
    case WireProtocol::Command::ErrUsername:
        return onErrUsername(received);
    case WireProtocol::Command::PMError:
        return onPMError(received);
    case WireProtocol::Command::UserList:
        return onUserList(received);
    case WireProtocol::Command::Joined:
        return onJoined(received);
    case WireProtocol::Command::Left:
        return onLeft(received);
    case WireProtocol::Command::Kicked:
        return onKicked(received);
    case WireProtocol::Command::UKicked:
        return onUKicked(received);
    case WireProtocol::Command::Welcome:
        return onWelcome(received);
    case WireProtocol::Command::Msgday:
        return onMsgday(received);
    }
}

void Dispatcher::connectionDropped()
{
    m_frontEnd.AppendHistory(TranscriptRows::droppedRow(m_frontEnd.timeStamp()));
    for (int position = m_frontEnd.userCount() - 1; position >= 0; --position)
        m_frontEnd.removeUserAt(position);
}

void Dispatcher::onMessage(const WireProtocol::Received &received)
{
    m_frontEnd.yield();
    m_frontEnd.AddChat(received.sender, received.text);
    m_frontEnd.yield();
    m_frontEnd.flash();
    m_frontEnd.playSound(ChatFrontEnd::MessageSound);
}

void Dispatcher::onPMMessage(const WireProtocol::Received &received)
{
    m_frontEnd.yield();
    m_frontEnd.flash();
    m_frontEnd.AddChatPM(received.sender, received.text);
    m_frontEnd.yield();
    // Replaces the sound the private-message row starts on its own.
    m_frontEnd.playSound(ChatFrontEnd::PrivateMessageSound);
}

void Dispatcher::onErrUsername(const WireProtocol::Received &received)
{
    const QString question = QStringLiteral("The username ") + received.payload + QStringLiteral(" is in use.")
        + QStringLiteral("\r\n") + QStringLiteral("Would you like to enter a new one.");
    if (!m_frontEnd.askYesNo(question, QStringLiteral("Username Error"))) {
        m_frontEnd.closeConnection();
        m_frontEnd.yield();
        return;
    }
    const QString name = m_frontEnd.askText(QStringLiteral("Please enter a new username."), QStringLiteral("New Username"));
    if (name.isEmpty())
        return;
    m_frontEnd.sendText(WireProtocol::join(name));
    m_frontEnd.yield();
    m_frontEnd.setUserName(name);
    m_frontEnd.setCaption(QStringLiteral("Korvani - (") + name + QLatin1Char(')'));
}

void Dispatcher::onPMError(const WireProtocol::Received &received)
{
    m_frontEnd.AppendHistory(TranscriptRows::pmErrorRow(m_frontEnd.timeStamp(), received.payload));
    m_frontEnd.yield();
    m_frontEnd.flash();
    m_frontEnd.playSound(ChatFrontEnd::SystemMessageSound);
}

void Dispatcher::onUserList(const WireProtocol::Received &received)
{
    m_frontEnd.appendUser(received.payload);
    m_frontEnd.yield();
}

void Dispatcher::onJoined(const WireProtocol::Received &received)
{
    m_frontEnd.appendUser(received.payload);
    m_frontEnd.speak(received.payload + QStringLiteral(" joined the chat"));
    if (m_frontEnd.joinRowInMain()) {
        m_frontEnd.AppendHistory(TranscriptRows::joinedRow(m_frontEnd.timeStamp(), received.payload));
        m_frontEnd.yield();
    }
    const QString notice = received.payload + QStringLiteral(" has join the chat!!!");
    if (m_frontEnd.joinLeaveBalloon())
        m_frontEnd.showBalloon(notice, QStringLiteral("New User"), ChatFrontEnd::InformationIcon, joinLeaveBalloonMs);
    else
        m_frontEnd.showNewUserNotice(notice);
    m_frontEnd.flash();
    m_frontEnd.playSound(ChatFrontEnd::UserJoinSound);
}

void Dispatcher::onLeft(const WireProtocol::Received &received)
{
    removeUser(received.payload);
    m_frontEnd.AppendHistory(TranscriptRows::leftRow(m_frontEnd.timeStamp(), received.payload));
    // A leave is told by balloon or not at all: it never opens a notice window.
    if (m_frontEnd.joinLeaveBalloon()) {
        m_frontEnd.showBalloon(received.payload + QStringLiteral(" has left from the chat!!!"), QStringLiteral("User left!"),
                               ChatFrontEnd::InformationIcon, joinLeaveBalloonMs);
    }
    m_frontEnd.playSound(ChatFrontEnd::UserLeftSound);
    m_frontEnd.flash();
}

void Dispatcher::onKicked(const WireProtocol::Received &received)
{
    removeUser(received.payload);
    m_frontEnd.AppendHistory(TranscriptRows::kickedRow(m_frontEnd.timeStamp(), received.payload));
    m_frontEnd.playSound(ChatFrontEnd::UserLeftSound);
    m_frontEnd.flash();
}

void Dispatcher::onUKicked(const WireProtocol::Received &received)
{
    // The list and the connection stay: the server drops us next, and the drop is handled there.
    m_frontEnd.AppendHistory(TranscriptRows::youWereKickedRow(m_frontEnd.timeStamp(), received.payload));
    m_frontEnd.flash();
}

void Dispatcher::onWelcome(const WireProtocol::Received &received)
{
    // The server's own name is shown as the server sent it.
    m_frontEnd.AppendHistory(TranscriptRows::serverWelcomeRow(received.payload));
    m_frontEnd.yield();
}

void Dispatcher::onMsgday(const WireProtocol::Received &received)
{
    if (received.payload.isEmpty())
        return;
    // The message of the day is the server's own text and may carry its own markup.
    if (m_frontEnd.motdInMain()) {
        m_frontEnd.AppendHistory(TranscriptRows::messageOfDayRow(received.payload));
    } else if (m_frontEnd.motdInWindow()) {
        m_frontEnd.showMessageOfDay(received.payload);
    } else if (m_frontEnd.motdInBalloon()) {
        m_frontEnd.showBalloon(received.payload, QStringLiteral("Message of Day"), ChatFrontEnd::InformationIcon,
                               messageOfDayBalloonMs);
    }
}

void Dispatcher::removeUser(const QString &name)
{
    // One pass over the positions the list had when the pass began. A removal moves the next
    // entry into the position just visited, so an equal entry right behind a removed one stays;
    // positions past a list that shrank meanwhile hold nothing to remove. Pending events run
    // before the first removal unless it is at the first position, and after every removal: where
    // they ran when the pass let them run at every position it passed, but once between two
    // removals instead of once per position, so a leave costs the same in a full room.
    const int positions = m_frontEnd.userCount();
    bool eventsRan = false;
    int position = 0;
    while (position < positions) {
        const int found = m_frontEnd.findUser(name, position);
        if (found == position) {
            m_frontEnd.removeUserAt(found);
            m_frontEnd.yield();
            eventsRan = true;
            ++position;
            continue;
        }
        if (!eventsRan) {
            m_frontEnd.yield();
            eventsRan = true;
            continue; // the events may have changed the list: look again from here
        }
        if (found < 0 || found >= positions)
            return;
        position = found;
    }
}
