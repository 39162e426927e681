// Blocks from the server through the split and the dispatcher into the net tests' recording window.
// Input: an option byte, NUL, the answer typed into the new-name box, then NUL-separated blocks in
// the code page of the wire, dispatched in order to the same window.
#include "support/FuzzInput.h"
#include "support/HtmlTags.h"
#include "FakeFrontEnd.h"

#include "net/Dispatcher.h"
#include "net/ReceivedBounds.h"
#include "net/Windows1250.h"
#include "net/WireProtocol.h"

namespace {

using Command = WireProtocol::Command;

void configure(FakeFrontEnd *frontEnd, const QByteArray &options)
{
    const int bits = options.isEmpty() ? 0 : quint8(options.at(0));
    frontEnd->chkMain = bits & 1;
    frontEnd->umBalloon = bits & 2;
    frontEnd->modMain = bits & 4;
    frontEnd->modWindows = bits & 8;
    frontEnd->modBalloon = bits & 16;
    frontEnd->answerYes = bits & 32;
}

// The recorded effects of one kind ("row", "send"), without their prefix.
QStringList effectsOf(const QStringList &log, const QString &kind)
{
    QStringList found;
    const QString prefix = kind + u' ';
    for (const QString &entry : log) {
        if (entry.startsWith(prefix))
            found.append(entry.mid(prefix.size()));
    }
    return found;
}

void checkSplit(const QString &block, const WireProtocol::Received &received)
{
    if (received.command.isEmpty())
        return;
    fuzzCheck(received.command + u' ' + received.payload == block, "command and payload are not the block");
    const QChar separator = received.kind == Command::Message ? u':' : u'|';
    if (received.kind != Command::Message && received.kind != Command::PMMessage)
        return;
    const QString joined = received.sender.isEmpty() && !received.payload.startsWith(separator)
        ? received.text
        : received.sender + separator + received.text;
    fuzzCheck(joined == received.payload, "sender and text are not the payload");
}

// Only the server's own greeting and message of the day carry their markup into the transcript;
// every other row holds names and texts from users, escaped inside the row's own cell.
void checkRows(const QStringList &rows, Command kind)
{
    if (kind == Command::Welcome || kind == Command::Msgday)
        return;
    static const HtmlAllowList rowMarkup = HtmlAllowList()
                                               .allow(QStringLiteral("table"), {QStringLiteral("cellspacing"),
                                                                                QStringLiteral("cellpadding")})
                                               .allow(QStringLiteral("tr"))
                                               .allow(QStringLiteral("td"), {QStringLiteral("class")});
    for (const QString &row : rows) {
        const QString violation = rowMarkup.firstViolation(row);
        fuzzCheck(violation.isEmpty(), "a server row carries markup of its own", (violation + u' ' + row).toUtf8());
    }
}

// Leaving and kicked users are taken off the list; nobody else is.
void checkRemovals(const QStringList &before, const QStringList &after, const QString &name)
{
    qsizetype kept = 0;
    for (const QString &entry : before) {
        if (kept < after.size() && after.at(kept) == entry)
            ++kept;
        else
            fuzzCheck(entry == name, "a user other than the one leaving was removed");
    }
    fuzzCheck(kept == after.size(), "the user list gained entries on a leave");
}

void dispatch(Dispatcher *dispatcher, FakeFrontEnd *frontEnd, const QString &block)
{
    const WireProtocol::Received received = WireProtocol::split(block);
    checkSplit(block, received);
    const QStringList usersBefore = frontEnd->users;
    const qsizetype logBefore = frontEnd->log.size();
    dispatcher->DataParsing(block);
    checkRows(effectsOf(frontEnd->log.mid(logBefore), QStringLiteral("row")), received.kind);
    const QString name = ReceivedBounds::name(received.payload);
    switch (received.kind) {
    case Command::Joined:
    case Command::UserList:
        fuzzCheck(frontEnd->users == usersBefore + QStringList{name}, "a join did not add its name");
        break;
    case Command::Left:
    case Command::Kicked:
        checkRemovals(usersBefore, frontEnd->users, name);
        break;
    default:
        fuzzCheck(frontEnd->users == usersBefore, "the user list changed on a block that is not about users");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const FuzzInput input(data, size);
    FakeFrontEnd frontEnd;
    configure(&frontEnd, input.field(0));
    frontEnd.answerText = Windows1250::decode(input.field(1));
    Dispatcher dispatcher(frontEnd);
    for (qsizetype i = 2; i < input.fields().size(); ++i)
        dispatch(&dispatcher, &frontEnd, Windows1250::decode(input.field(i)));
    for (const QString &text : effectsOf(frontEnd.log, QStringLiteral("send")))
        fuzzCheck(text == WireProtocol::join(frontEnd.answerText), "the client sent something but a new name");
    dispatcher.connectionDropped();
    fuzzCheck(frontEnd.users.isEmpty(), "a dropped connection left names in the list");
    return 0;
}
