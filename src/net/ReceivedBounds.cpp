#include "ReceivedBounds.h"

namespace {

using Command = WireProtocol::Command;

// The first `most` characters of text, one fewer where the last would be half of a surrogate pair.
QString wholeCharactersOf(const QString &text, qsizetype most)
{
    if (text.size() <= most)
        return text;
    const bool splitsAPair = text.at(most - 1).isHighSurrogate() && text.at(most).isLowSurrogate();
    return text.left(splitsAPair ? most - 1 : most);
}

} // namespace

WireProtocol::Received ReceivedBounds::bounded(WireProtocol::Received received)
{
    switch (received.kind) {
    case Command::Message:
    case Command::PMMessage:
        received.sender = name(received.sender);
        received.text = shownText(received.text);
        break;
    case Command::Welcome:
    case Command::Msgday:
        received.payload = shownText(received.payload);
        break;
    case Command::ErrUsername:
    case Command::PMError:
    case Command::UserList:
    case Command::Joined:
    case Command::Left:
    case Command::Kicked:
    case Command::UKicked:
        received.payload = name(received.payload);
        break;
    case Command::Unknown:
        break;
    }
    return received;
}

QString ReceivedBounds::name(const QString &name)
{
    return wholeCharactersOf(name, MaxNameCharacters);
}

QString ReceivedBounds::shownText(const QString &text)
{
    const QString kept = wholeCharactersOf(text, MaxTextCharacters);
    if (kept.size() == text.size())
        return text;
    return kept + QStringLiteral(" \u2026 (%1 characters left out)").arg(text.size() - kept.size());
}
