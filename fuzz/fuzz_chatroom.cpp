// The server's room, fed the blocks of a few connections without sockets. Input: NUL-separated
// steps; a step's first byte picks one of four connections (low two bits) and, with its top bit
// set, drops that connection instead; the rest is the block the connection sent. Each connection
// is offered further extensions once it has signed on, as a framed one would be: a step that
// answers the offer agrees to them (UTF-8 among them, invalid sequences and all), the others are
// decoded as agreed, so the room is a mix of Windows-1250 and UTF-8 users. Whatever the room sends
// is encoded both ways. The room has an operator password ("secret") and a message of the day.
#include "support/FuzzInput.h"
#include "support/RecordingRoomOutput.h"

#include "ChatRoom.h"
#include "ExtensionAgreement.h"
#include "OutgoingText.h"
#include "UserNameRules.h"

#include "net/WireProtocol.h"

#include <QSet>

namespace {

constexpr int connections = 4;

QSet<ClientId> signedOn(const ChatRoom &room)
{
    QSet<ClientId> clients;
    for (ClientId client = 1; client <= connections; ++client) {
        if (room.isSignedOn(client))
            clients.insert(client);
    }
    return clients;
}

void checkRoom(const ChatRoom &room)
{
    const QStringList names = room.userNames();
    fuzzCheck(QSet<QString>(names.cbegin(), names.cend()).size() == names.size(), "two users share a name");
    fuzzCheck(names.size() == signedOn(room).size(), "the user list and the signed-on connections differ");
    for (const QString &name : names)
        fuzzCheck(UserNameRules::check(name) == UserNameRules::Problem::None, "a name the rules refuse signed on",
                  name.toUtf8());
}

// Every reader gets the text whole: UTF-8 that decodes to it, Windows-1250 without NUL, neither
// ever longer than the encoding can make it.
void checkEncodings(const QString &message)
{
    fuzzCheck(message.isValidUtf16(), "the room sent a lone surrogate", message.toUtf8());
    const OutgoingText text(message);
    const QByteArray utf8 = text.bytes(WireText::Encoding::Utf8);
    const QByteArray windows1250 = text.bytes(WireText::Encoding::Windows1250);
    QString withoutNul = message;
    withoutNul.remove(QChar(0));
    fuzzCheck(QString::fromUtf8(utf8) == withoutNul, "UTF-8 readers get other text", utf8);
    fuzzCheck(!windows1250.contains('\0') && windows1250.size() <= withoutNul.size(),
              "Windows-1250 readers get a NUL or more than a byte a character", windows1250);
}

// Whatever the room sends is addressed to connections it knows, and the client understands it.
void checkSent(const QList<RecordingRoomOutput::Sent> &sent, const QSet<ClientId> &known)
{
    for (const auto &[recipients, message] : sent) {
        for (const ClientId recipient : recipients)
            fuzzCheck(known.contains(recipient), "a message to a connection that never spoke to the room",
                      message.toUtf8());
        fuzzCheck(WireProtocol::split(message).kind != WireProtocol::Command::Unknown,
                  "the room sent a message the client does not know", message.toUtf8());
        checkEncodings(message);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const FuzzInput input(data, size);
    RecordingRoomOutput output;
    ChatRoom room(&output, {QStringLiteral("Fuzz"), QStringLiteral("Be [B]nice[/B]"), QStringLiteral("secret")});
    QSet<ClientId> gone;
    ExtensionAgreement agreements[connections];
    for (const QByteArray &step : input.fields()) {
        if (step.isEmpty())
            continue;
        const ClientId client = (quint8(step.at(0)) & 3) + 1;
        if (gone.contains(client))
            continue; // the server reads nothing more from a closed connection
        QSet<ClientId> known = signedOn(room);
        known.insert(client);
        const qsizetype sentBefore = output.sent.size();
        if (quint8(step.at(0)) & 0x80) {
            room.disconnected(client);
            gone.insert(client);
        } else {
            ExtensionAgreement &agreement = agreements[client - 1];
            if (!agreement.takeAnswer(QByteArrayView(step).sliced(1)))
                room.receive(client, WireText::decode(step.mid(1), agreement.encoding()));
            if (room.isSignedOn(client))
                agreement.offer();
        }
        // A connection the room closed ends; the server then tells the room it is gone.
        for (const ClientId closed : std::as_const(output.closed)) {
            if (!gone.contains(closed)) {
                room.disconnected(closed);
                gone.insert(closed);
            }
        }
        checkSent(output.sent.mid(sentBefore), known);
        checkRoom(room);
    }
    return 0;
}
