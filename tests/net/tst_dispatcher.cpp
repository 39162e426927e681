#include "net/Dispatcher.h"
#include "net/Framing.h"
#include "net/ServerStreamReader.h"
#include "net/Windows1250.h"
#include "support/FakeFrontEnd.h"

#include <QTest>

namespace {

const QString stamp = FakeFrontEnd::stamp;

QString systemRow(const QString &text)
{
    return QStringLiteral("row <table cellspacing='0' cellpadding='0'><tr><td class='system'>[") + stamp
        + QStringLiteral("] Server: ") + text + QStringLiteral("</td></tr></table>");
}

QString joinedRow(const QString &escapedName)
{
    return systemRow(escapedName + QStringLiteral(" has joined to Chat!!!"));
}

QString leftRow(const QString &escapedName)
{
    return systemRow(escapedName + QStringLiteral(" has logoff from the Chat!!!"));
}

QString kickedRow(const QString &escapedName)
{
    return systemRow(escapedName + QStringLiteral(" has Kick from the Chat!!!"));
}

QString pmErrorRow(const QString &escapedName)
{
    return QStringLiteral("row <table cellspacing='0' cellpadding='0'><tr><td class='system' >[") + stamp
        + QStringLiteral("] Server: ") + escapedName + QStringLiteral("  doesn't exist, or has left!!!</td></tr></table>");
}

QString motdRow(const QString &text)
{
    return QStringLiteral("row <table cellspacing='0' cellpadding='0'><tr><td class='system'><b>Message of Day:</b> ")
        + text + QStringLiteral("</td></tr></table><hr>");
}

QString welcomeRow(const QString &server)
{
    return QStringLiteral("row <div align='center'><span class='style1'>Welcome to ") + server
        + QStringLiteral(" Server</span></div><hr>");
}

const QString yield = QStringLiteral("yield");
const QString flash = QStringLiteral("flash");

QString sound(int row)
{
    return QStringLiteral("sound %1").arg(row);
}

// What a name keeps: as much as the first 64 KiB piece of "UserList " + name holds.
constexpr int keptName = 64 * 1024 - 9;

// The mark after a text cut to 64 KiB.
QString leftOut(qsizetype characters)
{
    return QStringLiteral(" \u2026 (%1 characters left out)").arg(characters);
}

// A room of `size` users named user0, user1, ..., with "ann" in the given positions instead.
QStringList roomWithAnnAt(int size, const QList<int> &annPositions)
{
    QStringList names;
    for (int position = 0; position < size; ++position)
        names << (annPositions.contains(position) ? QStringLiteral("ann") : QStringLiteral("user%1").arg(position));
    return names;
}

} // namespace

class tst_Dispatcher : public QObject
{
    Q_OBJECT
private slots:
    void messages_data();
    void messages();
    void userList_data();
    void userList();
    void joinsAndLeavesWithDuplicates_data();
    void joinsAndLeavesWithDuplicates();
    void leaveLetsEventsRunOncePerRemoval_data();
    void leaveLetsEventsRunOncePerRemoval();
    void notices_data();
    void notices();
    void choicesAreReadWhenUsed();
    void errUsername_data();
    void errUsername();
    void welcomeAndMessageOfDay_data();
    void welcomeAndMessageOfDay();
    void ignoredBlocks_data();
    void ignoredBlocks();
    void hostileInput_data();
    void hostileInput();
    void longNameLeavesNoGhost_data();
    void longNameLeavesNoGhost();
    void manyUsers();
    void nestedDispatchKeepsItsOwnTexts();
    void connectionDropped();
};

void tst_Dispatcher::messages_data()
{
    QTest::addColumn<QString>("block");
    QTest::addColumn<QStringList>("log");

    QTest::newRow("public message")
        << "Message ann:hello there" << QStringList{yield, "chat ann|hello there", yield, flash, sound(1)};
    QTest::newRow("public message: a second colon stays in the text")
        << "Message ann:time: 10:00" << QStringList{yield, "chat ann|time: 10:00", yield, flash, sound(1)};
    QTest::newRow("public message without a colon: no sender")
        << "Message just text" << QStringList{yield, "chat |just text", yield, flash, sound(1)};
    QTest::newRow("public message: markup and HTML go to the row builder as sent")
        << "Message <b>ann</b>:[B]<i>x</i>"
        << QStringList{yield, "chat <b>ann</b>|[B]<i>x</i>", yield, flash, sound(1)};
    QTest::newRow("private message")
        << "PMMessage bob|psst: here" << QStringList{yield, flash, "pm bob|psst: here", yield, sound(2)};
    QTest::newRow("private message without a bar: no sender")
        << "PMMessage bob:psst" << QStringList{yield, flash, "pm |bob:psst", yield, sound(2)};
    QTest::newRow("recipient missing")
        << "PMError carl" << QStringList{pmErrorRow("carl"), yield, flash, sound(3)};
    QTest::newRow("recipient missing, name with markup")
        << "PMError <img src=x>&" << QStringList{pmErrorRow("&lt;img src=x&gt;&amp;"), yield, flash, sound(3)};
    QTest::newRow("we were kicked")
        << "UKicked mod" << QStringList{systemRow("you has been kick by  mod"), flash};
    QTest::newRow("we were kicked, name with markup")
        << "UKicked <script>" << QStringList{systemRow("you has been kick by  &lt;script&gt;"), flash};
}

void tst_Dispatcher::messages()
{
    QFETCH(QString, block);
    QFETCH(QStringList, log);
    FakeFrontEnd frontEnd;
    frontEnd.users = {"ann", "bob"};

    Dispatcher(frontEnd).DataParsing(block);

    QCOMPARE(frontEnd.log, log);
    QCOMPARE(frontEnd.users, QStringList({"ann", "bob"}));
}

void tst_Dispatcher::userList_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QStringList>("blocks");
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<QStringList>("log");

    QTest::newRow("one UserList per user, in order")
        << QStringList{} << QStringList{"UserList ann", "UserList bob"} << QStringList{"ann", "bob"}
        << QStringList{"+user ann", yield, "+user bob", yield};
    QTest::newRow("UserList with an empty name")
        << QStringList{} << QStringList{"UserList "} << QStringList{""} << QStringList{"+user ", yield};
    QTest::newRow("the same name twice stays twice")
        << QStringList{"ann"} << QStringList{"UserList ann"} << QStringList{"ann", "ann"}
        << QStringList{"+user ann", yield};
    QTest::newRow("two messages in one block make one odd entry")
        << QStringList{} << QStringList{"UserList annUserList bob"} << QStringList{"annUserList bob"}
        << QStringList{"+user annUserList bob", yield};
    QTest::newRow("left: removed, events run before and after the removal")
        << QStringList{"ann", "bob", "cy"} << QStringList{"Left bob"} << QStringList{"ann", "cy"}
        << QStringList{yield, "-user 1", yield, leftRow("bob"), sound(5), flash};
    QTest::newRow("left: every separated duplicate goes")
        << QStringList{"ann", "bob", "ann"} << QStringList{"Left ann"} << QStringList{"bob"}
        << QStringList{"-user 0", yield, "-user 1", yield, leftRow("ann"), sound(5), flash};
    QTest::newRow("left: a duplicate right behind a removed one stays")
        << QStringList{"ann", "ann", "bob"} << QStringList{"Left ann"} << QStringList{"ann", "bob"}
        << QStringList{"-user 0", yield, leftRow("ann"), sound(5), flash};
    QTest::newRow("left: three in a row, the middle one stays")
        << QStringList{"ann", "ann", "ann"} << QStringList{"Left ann"} << QStringList{"ann"}
        << QStringList{"-user 0", yield, "-user 1", yield, leftRow("ann"), sound(5), flash};
    QTest::newRow("left: runs of duplicates lose their first, third, ... entries")
        << QStringList{"ann", "bob", "ann", "ann", "cy", "ann"} << QStringList{"Left ann"}
        << QStringList{"bob", "ann", "cy"}
        << QStringList{"-user 0", yield, "-user 1", yield, "-user 3", yield, leftRow("ann"), sound(5), flash};
    QTest::newRow("left: name not in the list, everything else still happens")
        << QStringList{"ann"} << QStringList{"Left zed"} << QStringList{"ann"}
        << QStringList{yield, leftRow("zed"), sound(5), flash};
    QTest::newRow("left: names compare with their letter case")
        << QStringList{"Ann"} << QStringList{"Left ann"} << QStringList{"Ann"}
        << QStringList{yield, leftRow("ann"), sound(5), flash};
    QTest::newRow("left: empty list")
        << QStringList{} << QStringList{"Left ann"} << QStringList{} << QStringList{leftRow("ann"), sound(5), flash};
    QTest::newRow("left: a name with markup is removed as sent and shown escaped")
        << QStringList{"<b>x</b>"} << QStringList{"Left <b>x</b>"} << QStringList{}
        << QStringList{"-user 0", yield, leftRow("&lt;b&gt;x&lt;/b&gt;"), sound(5), flash};
    QTest::newRow("kicked: removed, the leave sound, no notice")
        << QStringList{"ann", "bob"} << QStringList{"Kicked ann"} << QStringList{"bob"}
        << QStringList{"-user 0", yield, kickedRow("ann"), sound(5), flash};
    QTest::newRow("kicked: the same skipping rule")
        << QStringList{"ann", "ann"} << QStringList{"Kicked ann"} << QStringList{"ann"}
        << QStringList{"-user 0", yield, kickedRow("ann"), sound(5), flash};
    QTest::newRow("UserList twice, then Left: the second entry stays")
        << QStringList{} << QStringList{"UserList ann", "UserList ann", "Left ann"} << QStringList{"ann"}
        << QStringList{"+user ann", yield, "+user ann", yield, "-user 0", yield, leftRow("ann"), sound(5), flash};
}

void tst_Dispatcher::userList()
{
    QFETCH(QStringList, before);
    QFETCH(QStringList, blocks);
    QFETCH(QStringList, after);
    QFETCH(QStringList, log);
    FakeFrontEnd frontEnd;
    frontEnd.users = before;
    Dispatcher dispatcher(frontEnd);

    for (const QString &block : blocks)
        dispatcher.DataParsing(block);

    QCOMPARE(frontEnd.users, after);
    QCOMPARE(frontEnd.log, log);
}

// Sequences as a server sends them, with the same name more than once: the list and every effect
// the user meets come out as one pass over the list's positions gives them.
void tst_Dispatcher::joinsAndLeavesWithDuplicates_data()
{
    QTest::addColumn<QStringList>("blocks");
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<QStringList>("effects");

    const QStringList joinedAnn{"+user ann", "newuser ann has join the chat!!!", flash, sound(4)};
    const QStringList leftAnn{leftRow("ann"), sound(5), flash};
    QTest::newRow("joins and leaves of one name in turn")
        << QStringList{"Joined ann", "Joined ann", "Left ann", "Joined ann", "Left ann", "Left ann"} << QStringList{}
        << joinedAnn + joinedAnn + QStringList{"-user 0"} + leftAnn + joinedAnn + QStringList{"-user 0"} + leftAnn
               + QStringList{"-user 0"} + leftAnn;
    QTest::newRow("four equal names need three leaves")
        << QStringList{"UserList ann", "UserList ann", "UserList ann", "UserList ann", "Left ann", "Left ann", "Left ann"}
        << QStringList{}
        << QStringList{"+user ann", "+user ann", "+user ann", "+user ann", "-user 0", "-user 1"} + leftAnn
               + QStringList{"-user 0"} + leftAnn + QStringList{"-user 0"} + leftAnn;
    QTest::newRow("names in between keep their places")
        << QStringList{"UserList ann", "UserList bob", "UserList ann", "Joined cy", "UserList ann", "Kicked ann",
                       "Left bob", "Left ann"}
        << QStringList{"cy"}
        << QStringList{"+user ann", "+user bob", "+user ann", "+user cy", "newuser cy has join the chat!!!", flash,
                       sound(4), "+user ann", "-user 0", "-user 1", "-user 2", kickedRow("ann"), sound(5), flash,
                       "-user 0", leftRow("bob"), sound(5), flash, leftRow("ann"), sound(5), flash};
}

void tst_Dispatcher::joinsAndLeavesWithDuplicates()
{
    QFETCH(QStringList, blocks);
    QFETCH(QStringList, after);
    QFETCH(QStringList, effects);
    FakeFrontEnd frontEnd;
    Dispatcher dispatcher(frontEnd);

    for (const QString &block : blocks)
        dispatcher.DataParsing(block);

    QCOMPARE(frontEnd.users, after);
    QCOMPARE(frontEnd.effects(), effects);
}

// Pending events run between the effects of a leave, not once for every name in the room: a
// thousand leaves in a full room once cost a minute of window work.
void tst_Dispatcher::leaveLetsEventsRunOncePerRemoval_data()
{
    QTest::addColumn<QStringList>("room");
    QTest::addColumn<int>("removed");
    QTest::addColumn<int>("yields");

    QTest::newRow("a name not in the room") << roomWithAnnAt(1000, {}) << 0 << 1;
    QTest::newRow("the first name") << roomWithAnnAt(1000, {0}) << 1 << 1;
    QTest::newRow("a name in the middle") << roomWithAnnAt(1000, {500}) << 1 << 2;
    QTest::newRow("the last name") << roomWithAnnAt(1000, {999}) << 1 << 2;
    QTest::newRow("a name twice, far apart") << roomWithAnnAt(1000, {10, 700}) << 2 << 3;
    QTest::newRow("a name in every position") << QStringList(1000, QStringLiteral("ann")) << 500 << 500;
}

void tst_Dispatcher::leaveLetsEventsRunOncePerRemoval()
{
    QFETCH(QStringList, room);
    QFETCH(int, removed);
    QFETCH(int, yields);
    FakeFrontEnd frontEnd;
    frontEnd.users = room;

    Dispatcher(frontEnd).DataParsing("Left ann");

    QCOMPARE(frontEnd.userCount(), room.size() - removed);
    QCOMPARE(frontEnd.log.count(yield), yields);
}

void tst_Dispatcher::notices_data()
{
    QTest::addColumn<QString>("block");
    QTest::addColumn<bool>("chkMain");
    QTest::addColumn<bool>("umBalloon");
    QTest::addColumn<bool>("modMain");
    QTest::addColumn<bool>("modWindows");
    QTest::addColumn<bool>("modBalloon");
    QTest::addColumn<QStringList>("log");

    const QString joinBalloon = "balloon ann has join the chat!!!|New User|1|3000";
    const QString joinNotice = "newuser ann has join the chat!!!";
    const QString leftBalloon = "balloon ann has left from the chat!!!|User left!|1|3000";

    QTest::newRow("joined: row and balloon") << "Joined ann" << true << true << false << false << false
                                             << QStringList{"+user ann", joinedRow("ann"), yield, joinBalloon, flash, sound(4)};
    QTest::newRow("joined: row and notice window") << "Joined ann" << true << false << false << false << false
                                                   << QStringList{"+user ann", joinedRow("ann"), yield, joinNotice, flash, sound(4)};
    QTest::newRow("joined: balloon only") << "Joined ann" << false << true << false << false << false
                                          << QStringList{"+user ann", joinBalloon, flash, sound(4)};
    QTest::newRow("joined: notice window only") << "Joined ann" << false << false << false << false << false
                                                << QStringList{"+user ann", joinNotice, flash, sound(4)};
    QTest::newRow("joined: the message-of-day choices play no part") << "Joined ann" << false << false << true << true << true
                                                                     << QStringList{"+user ann", joinNotice, flash, sound(4)};
    QTest::newRow("joined: name with markup, escaped in the row only")
        << "Joined <u>x" << true << true << false << false << false
        << QStringList{"+user <u>x", joinedRow("&lt;u&gt;x"), yield, "balloon <u>x has join the chat!!!|New User|1|3000",
                       flash, sound(4)};
    QTest::newRow("joined: name with markup, plain in the notice window")
        << "Joined <u>x" << false << false << false << false << false
        << QStringList{"+user <u>x", "newuser <u>x has join the chat!!!", flash, sound(4)};

    QTest::newRow("left: balloon, row without ChkMain") << "Left ann" << false << true << false << false << false
                                                       << QStringList{leftRow("ann"), leftBalloon, sound(5), flash};
    QTest::newRow("left: never a notice window") << "Left ann" << true << false << false << false << false
                                                 << QStringList{leftRow("ann"), sound(5), flash};
    QTest::newRow("kicked: no balloon even when chosen") << "Kicked ann" << true << true << false << false << false
                                                         << QStringList{kickedRow("ann"), sound(5), flash};

    const QString motdWindow = "motd Be nice <b>today</b>";
    const QString motdBalloon = "balloon Be nice <b>today</b>|Message of Day|1|50";
    const QString motdBlock = "Msgday Be nice <b>today</b>";
    QTest::newRow("motd: in the transcript") << motdBlock << false << false << true << false << false
                                             << QStringList{motdRow("Be nice <b>today</b>")};
    QTest::newRow("motd: in the notice window") << motdBlock << false << false << false << true << false
                                                << QStringList{motdWindow};
    QTest::newRow("motd: as a balloon") << motdBlock << false << false << false << false << true
                                        << QStringList{motdBalloon};
    QTest::newRow("motd: nothing chosen, nothing shown") << motdBlock << true << true << false << false << false
                                                         << QStringList{};
    QTest::newRow("motd: the transcript wins over the others") << motdBlock << false << false << true << true << true
                                                               << QStringList{motdRow("Be nice <b>today</b>")};
    QTest::newRow("motd: the window wins over the balloon") << motdBlock << false << false << false << true << true
                                                            << QStringList{motdWindow};
    QTest::newRow("motd: empty text, nothing at all") << "Msgday " << true << true << true << true << true
                                                      << QStringList{};
}

void tst_Dispatcher::notices()
{
    QFETCH(QString, block);
    QFETCH(bool, chkMain);
    QFETCH(bool, umBalloon);
    QFETCH(bool, modMain);
    QFETCH(bool, modWindows);
    QFETCH(bool, modBalloon);
    QFETCH(QStringList, log);
    FakeFrontEnd frontEnd;
    frontEnd.chkMain = chkMain;
    frontEnd.umBalloon = umBalloon;
    frontEnd.modMain = modMain;
    frontEnd.modWindows = modWindows;
    frontEnd.modBalloon = modBalloon;

    Dispatcher(frontEnd).DataParsing(block);

    QCOMPARE(frontEnd.log, log);
}

void tst_Dispatcher::choicesAreReadWhenUsed()
{
    // The options window stays usable while the dispatcher yields: a choice changed there in the
    // middle of a join must count for the rest of it.
    FakeFrontEnd frontEnd;
    frontEnd.chkMain = true;
    frontEnd.onYield = [&frontEnd] { frontEnd.umBalloon = true; };

    Dispatcher(frontEnd).DataParsing("Joined ann");

    QVERIFY(frontEnd.log.contains("balloon ann has join the chat!!!|New User|1|3000"));
}

void tst_Dispatcher::errUsername_data()
{
    QTest::addColumn<bool>("yes");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QStringList>("log");
    QTest::addColumn<QString>("ownName");

    const QString ask = "ask The username ann is in use.\r\nWould you like to enter a new one.|Username Error";
    const QString input = "input Please enter a new username.|New Username";

    QTest::newRow("yes, new name: joins again under it")
        << true << "anna" << QStringList{ask, input, "send Join anna", yield, "name anna", "caption Korvani - (anna)"}
        << "anna";
    QTest::newRow("yes, name with blanks: not trimmed")
        << true << " an na " << QStringList{ask, input, "send Join  an na ", yield, "name  an na ", "caption Korvani - ( an na )"}
        << " an na ";
    QTest::newRow("yes, empty or cancelled: nothing sent") << true << "" << QStringList{ask, input} << "me";
    QTest::newRow("no: the connection is closed") << false << "unused" << QStringList{ask, "close", yield} << "me";
}

void tst_Dispatcher::errUsername()
{
    QFETCH(bool, yes);
    QFETCH(QString, answer);
    QFETCH(QStringList, log);
    QFETCH(QString, ownName);
    FakeFrontEnd frontEnd;
    frontEnd.answerYes = yes;
    frontEnd.answerText = answer;

    Dispatcher(frontEnd).DataParsing("ErrUsername ann");

    QCOMPARE(frontEnd.log, log);
    QCOMPARE(frontEnd.ownName, ownName);
}

void tst_Dispatcher::welcomeAndMessageOfDay_data()
{
    QTest::addColumn<QString>("block");
    QTest::addColumn<QStringList>("log");

    QTest::newRow("welcome banner") << "Welcome Korvani" << QStringList{welcomeRow("Korvani"), yield};
    QTest::newRow("welcome: the server's name as sent")
        << "Welcome <i>Big</i> Room" << QStringList{welcomeRow("<i>Big</i> Room"), yield};
    QTest::newRow("welcome: empty name") << "Welcome " << QStringList{welcomeRow(""), yield};
    QTest::newRow("message of the day as sent, blanks kept")
        << "Msgday  Rules: <a href='x'>here</a> " << QStringList{motdRow(" Rules: <a href='x'>here</a> ")};
}

void tst_Dispatcher::welcomeAndMessageOfDay()
{
    QFETCH(QString, block);
    QFETCH(QStringList, log);
    FakeFrontEnd frontEnd;
    frontEnd.modMain = true;

    Dispatcher(frontEnd).DataParsing(block);

    QCOMPARE(frontEnd.log, log);
}

void tst_Dispatcher::ignoredBlocks_data()
{
    QTest::addColumn<QString>("block");

    QTest::newRow("empty") << "";
    QTest::newRow("only a blank") << " ";
    QTest::newRow("known word, no blank") << "Welcome";
    QTest::newRow("starts with a blank") << " Message ann:hi";
    QTest::newRow("other letter case") << "message ann:hi";
    QTest::newRow("known word with a character more") << "Joinedx ann";
    QTest::newRow("unknown word") << "Leave ann";
    QTest::newRow("the client's own Join") << "Join ann";
    QTest::newRow("line end after the word") << "Left\r\n ann";
    QTest::newRow("tab instead of blank") << "Left\tann";
    QTest::newRow("NUL characters") << QString::fromLatin1("\0\0Left ann", 10);
}

void tst_Dispatcher::ignoredBlocks()
{
    QFETCH(QString, block);
    FakeFrontEnd frontEnd;
    frontEnd.users = {"ann"};
    frontEnd.modMain = frontEnd.chkMain = true;

    Dispatcher(frontEnd).DataParsing(block);

    QCOMPARE(frontEnd.log, QStringList());
    QCOMPARE(frontEnd.users, QStringList{"ann"});
}

void tst_Dispatcher::hostileInput_data()
{
    QTest::addColumn<QString>("block");
    QTest::addColumn<QString>("expectedEntry");

    const int kept = 64 * 1024;
    const QString megabyte(1024 * 1024, QChar(u'x'));
    QTest::newRow("1 MB public message")
        << "Message ann:" + megabyte << "chat ann|" + megabyte.left(kept) + leftOut(megabyte.size() - kept);
    QTest::newRow("1 MB user name") << "UserList " + megabyte << "+user " + megabyte.left(keptName);
    QTest::newRow("1 MB of markup in a left row")
        << "Left " + QString(1024 * 1024, QChar(u'<')) << leftRow(QString(keptName, QChar(u'<')).toHtmlEscaped());

    // A server that does not frame can send any amount in one block; a row, an entry or a notice
    // keeps at most what a framed message can hold, and says how much it left out. Nothing a
    // framed server can send whole is cut.
    const QString fourMiB(4 * 1024 * 1024, QChar(u'w'));
    const QString cut = fourMiB.left(kept) + leftOut(fourMiB.size() - kept);
    QTest::newRow("4 MiB public message") << "Message bob:" + fourMiB << "chat bob|" + cut;
    QTest::newRow("4 MiB private message") << "PMMessage bob|" + fourMiB << "pm bob|" + cut;
    QTest::newRow("4 MiB message of the day") << "Msgday " + fourMiB << motdRow(cut);
    QTest::newRow("4 MiB server name") << "Welcome " + fourMiB << welcomeRow(cut);
    QTest::newRow("4 MiB sender name") << "Message " + fourMiB + ":hi" << "chat " + fourMiB.left(keptName) + "|hi";
    QTest::newRow("a character pair across the cut stays whole or goes")
        << "Message bob:" + QString(kept - 1, QChar(u'w')) + QStringLiteral("\U0001F600") + "tail"
        << "chat bob|" + QString(kept - 1, QChar(u'w')) + leftOut(6);
    QTest::newRow("the largest framed message") << "Message bob:" + QString(kept - 12, QChar(u'w'))
                                                << "chat bob|" + QString(kept - 12, QChar(u'w'));
    QTest::newRow("a text of exactly 64 KiB") << "Msgday " + QString(kept, QChar(u'w')) << motdRow(QString(kept, QChar(u'w')));

    const QString broken = QStringLiteral("a") + QChar(0xd800) + "b" + QChar(0xdc00) + QChar(0xfffd) + QChar(0x1a)
        + QChar(0) + "c";
    QTest::newRow("broken UTF-16 and control characters in a name") << "Joined " + broken << "+user " + broken;
    QTest::newRow("broken UTF-16 in a private message") << "PMMessage " + broken + "|" + broken << "pm " + broken + "|" + broken;
    QTest::newRow("line ends in a name") << "Kicked a\r\nb" << kickedRow("a\r\nb");
}

void tst_Dispatcher::hostileInput()
{
    QFETCH(QString, block);
    QFETCH(QString, expectedEntry);
    FakeFrontEnd frontEnd;
    frontEnd.modMain = true; // the message of the day becomes a row

    Dispatcher(frontEnd).DataParsing(block);

    QVERIFY(frontEnd.log.contains(expectedEntry));
}

// A name too long for one framed message reaches the client cut, and the piece of its join holds
// fewer of its characters than the piece of its leave: the leave must still take it off the list.
void tst_Dispatcher::longNameLeavesNoGhost_data()
{
    QTest::addColumn<bool>("framed");
    QTest::addColumn<QString>("join");
    QTest::addColumn<QString>("leave");

    QTest::newRow("framed Joined, Left") << true << "Joined " << "Left ";
    QTest::newRow("framed UserList, Left") << true << "UserList " << "Left ";
    QTest::newRow("framed UserList, Kicked") << true << "UserList " << "Kicked ";
    QTest::newRow("unframed Joined, Left") << false << "Joined " << "Left ";
}

void tst_Dispatcher::longNameLeavesNoGhost()
{
    QFETCH(bool, framed);
    QFETCH(QString, join);
    QFETCH(QString, leave);
    QString name;
    while (name.size() < 1024 * 1024)
        name += QStringLiteral("\u017Dlu\u0165ou\u010Dk\u00FD k\u016F\u0148 ");
    FakeFrontEnd frontEnd;
    Dispatcher dispatcher(frontEnd);
    ServerStreamReader reader;
    QList<ServerStreamReader::Block> blocks;
    if (framed) {
        reader.read(Framing::offer(), blocks);
        reader.read(Framing::switchOver(), blocks);
    }
    const auto send = [&](const QString &message) {
        const QByteArray bytes = Windows1250::encode(message);
        reader.read(framed ? QByteArrayView(Framing::frame(bytes)) : QByteArrayView(bytes), blocks);
    };

    send(join + name);
    send(leave + name);
    for (const ServerStreamReader::Block &block : std::as_const(blocks))
        dispatcher.DataParsing(Windows1250::decode(block.bytes));

    QCOMPARE(frontEnd.users, QStringList());
    QVERIFY(frontEnd.log.contains("+user " + name.left(keptName)));
}

void tst_Dispatcher::manyUsers()
{
    FakeFrontEnd frontEnd;
    Dispatcher dispatcher(frontEnd);

    for (int i = 0; i < 10000; ++i)
        dispatcher.DataParsing(QStringLiteral("UserList user%1").arg(i));
    QCOMPARE(frontEnd.userCount(), 10000);
    QCOMPARE(frontEnd.users.at(9999), "user9999");

    frontEnd.log.clear();
    dispatcher.DataParsing("Left nobody");
    QCOMPARE(frontEnd.userCount(), 10000);
    QCOMPARE(frontEnd.log, QStringList({yield, leftRow("nobody"), sound(5), flash}));

    frontEnd.log.clear();
    dispatcher.DataParsing("Left user9999");
    QCOMPARE(frontEnd.userCount(), 9999);
    QCOMPARE(frontEnd.effects(), QStringList({"-user 9999", leftRow("user9999"), sound(5), flash}));
}

void tst_Dispatcher::nestedDispatchKeepsItsOwnTexts()
{
    // A block dispatched inside another one's yield must not disturb the outer one's texts,
    // and the list may shrink under a running removal pass.
    FakeFrontEnd frontEnd;
    frontEnd.users = {"ann", "bob", "cy"};
    Dispatcher dispatcher(frontEnd);
    bool nested = false;
    frontEnd.onYield = [&] {
        if (nested)
            return;
        nested = true;
        dispatcher.DataParsing("Kicked cy");
        dispatcher.DataParsing("Message bob:second");
    };

    dispatcher.DataParsing("Left ann");

    QCOMPARE(frontEnd.users, QStringList{"bob"});
    QCOMPARE(frontEnd.effects(), QStringList({"-user 0", "-user 1", kickedRow("cy"), sound(5), flash, "chat bob|second",
                                              flash, sound(1), leftRow("ann"), sound(5), flash}));
}

void tst_Dispatcher::connectionDropped()
{
    FakeFrontEnd frontEnd;
    frontEnd.users = {"ann", "bob", "ann"};

    Dispatcher(frontEnd).connectionDropped();

    QCOMPARE(frontEnd.users, QStringList());
    QCOMPARE(frontEnd.log.first(), systemRow(" The connection was unexpectedly droped!!"));
}

QTEST_GUILESS_MAIN(tst_Dispatcher)
#include "tst_dispatcher.moc"
