#include "net/WireProtocol.h"

#include <QTest>

using Command = WireProtocol::Command;

class tst_WireProtocol : public QObject
{
    Q_OBJECT
private slots:
    void split_data()
    {
        QTest::addColumn<QString>("block");
        QTest::addColumn<Command>("kind");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("payload");
        QTest::addColumn<QString>("sender");
        QTest::addColumn<QString>("text");

        // Every command the client understands.
        QTest::newRow("Message") << "Message Ann:hello all" << Command::Message << "Message" << "Ann:hello all" << "Ann"
                                 << "hello all";
        QTest::newRow("PMMessage") << "PMMessage Ann|psst" << Command::PMMessage << "PMMessage" << "Ann|psst" << "Ann"
                                   << "psst";
        QTest::newRow("ErrUsername") << "ErrUsername Ann" << Command::ErrUsername << "ErrUsername" << "Ann" << "" << "";
        QTest::newRow("PMError") << "PMError Bob" << Command::PMError << "PMError" << "Bob" << "" << "";
        QTest::newRow("UserList") << "UserList Ann" << Command::UserList << "UserList" << "Ann" << "" << "";
        QTest::newRow("Joined") << "Joined Ann" << Command::Joined << "Joined" << "Ann" << "" << "";
        QTest::newRow("Left") << "Left Ann" << Command::Left << "Left" << "Ann" << "" << "";
        QTest::newRow("Kicked") << "Kicked Ann" << Command::Kicked << "Kicked" << "Ann" << "" << "";
        QTest::newRow("UKicked") << "UKicked Admin" << Command::UKicked << "UKicked" << "Admin" << "" << "";
        QTest::newRow("Welcome") << "Welcome Korvani Server" << Command::Welcome << "Welcome" << "Korvani Server" << ""
                                 << "";
        QTest::newRow("Msgday") << "Msgday Be nice. Really: be nice." << Command::Msgday << "Msgday"
                                << "Be nice. Really: be nice." << "" << "";

        // The fields of messages and private messages.
        QTest::newRow("Message with colons in the text") << "Message Ann:time: 10:30" << Command::Message << "Message"
                                                         << "Ann:time: 10:30" << "Ann" << "time: 10:30";
        QTest::newRow("Message without a colon") << "Message hello there" << Command::Message << "Message"
                                                 << "hello there" << "" << "hello there";
        QTest::newRow("Message with an empty sender") << "Message :hi" << Command::Message << "Message" << ":hi" << ""
                                                      << "hi";
        QTest::newRow("Message with nothing after the blank") << "Message " << Command::Message << "Message" << "" << ""
                                                              << "";
        QTest::newRow("PMMessage at the first bar") << "PMMessage Ann|a|b: c" << Command::PMMessage << "PMMessage"
                                                    << "Ann|a|b: c" << "Ann" << "a|b: c";
        QTest::newRow("PMMessage ignores colons") << "PMMessage Ann:hi" << Command::PMMessage << "PMMessage"
                                                  << "Ann:hi" << "" << "Ann:hi";
        QTest::newRow("Message keeps line breaks and blanks") << "Message  Ann : a\r\nb " << Command::Message << "Message"
                                                              << " Ann : a\r\nb " << " Ann " << " a\r\nb ";

        // Payloads are taken as they come.
        QTest::newRow("UserList with an empty name") << "UserList " << Command::UserList << "UserList" << "" << "" << "";
        QTest::newRow("payload keeps its blanks") << "Joined  Ann Lee " << Command::Joined << "Joined" << " Ann Lee "
                                                  << "" << "";
        QTest::newRow("Central European name") << QString::fromUtf8("Joined Šárka Říhová") << Command::Joined << "Joined"
                                               << QString::fromUtf8("Šárka Říhová") << "" << "";

        // Blocks the client ignores.
        QTest::newRow("empty block") << "" << Command::Unknown << "" << "" << "" << "";
        QTest::newRow("no blank") << "Welcome" << Command::Unknown << "" << "" << "" << "";
        QTest::newRow("leading blank") << " Welcome Server" << Command::Unknown << "" << "" << "" << "";
        QTest::newRow("only a blank") << " " << Command::Unknown << "" << "" << "" << "";
        QTest::newRow("tab instead of the blank") << "Joined\tAnn" << Command::Unknown << "" << "" << "" << "";
        QTest::newRow("lower case") << "welcome Server" << Command::Unknown << "welcome" << "Server" << "" << "";
        QTest::newRow("upper case Message is not split") << "MESSAGE Ann:hi" << Command::Unknown << "MESSAGE" << "Ann:hi"
                                                         << "" << "";
        QTest::newRow("character appended") << "Joineds Ann" << Command::Unknown << "Joineds" << "Ann" << "" << "";
        QTest::newRow("unknown word") << "Ping 1" << Command::Unknown << "Ping" << "1" << "" << "";
        QTest::newRow("client's own command") << "Join Ann" << Command::Unknown << "Join" << "Ann" << "" << "";

        // No framing: two messages in one block are one, the second inside the first one's payload.
        QTest::newRow("two UserList in one block") << "UserList AnnUserList Bob" << Command::UserList << "UserList"
                                                   << "AnnUserList Bob" << "" << "";
        QTest::newRow("two Message in one block") << "Message Ann:hiMessage Bob:yo" << Command::Message << "Message"
                                                  << "Ann:hiMessage Bob:yo" << "Ann" << "hiMessage Bob:yo";
        QTest::newRow("second half of a split message") << "lo all" << Command::Unknown << "lo" << "all" << "" << "";
    }

    void split()
    {
        QFETCH(QString, block);
        QFETCH(Command, kind);
        QFETCH(QString, command);
        QFETCH(QString, payload);
        QFETCH(QString, sender);
        QFETCH(QString, text);

        const WireProtocol::Received received = WireProtocol::split(block);
        QCOMPARE(received.kind, kind);
        QCOMPARE(received.command, command);
        QCOMPARE(received.payload, payload);
        QCOMPARE(received.sender, sender);
        QCOMPARE(received.text, text);
    }

    void build_data()
    {
        QTest::addColumn<QString>("built");
        QTest::addColumn<QString>("expected");

        QTest::newRow("Join") << WireProtocol::join("Ann") << "Join Ann";
        QTest::newRow("Join keeps blanks of the name") << WireProtocol::join("  Ann ") << "Join   Ann ";
        QTest::newRow("Message") << WireProtocol::message("Ann", "hi: all") << "Message Ann:hi: all";
        QTest::newRow("Message with empty text") << WireProtocol::message("Ann", "") << "Message Ann:";
        QTest::newRow("Message keeps line breaks") << WireProtocol::message("Ann", "a\r\nb") << "Message Ann:a\r\nb";
        QTest::newRow("PMMessage") << WireProtocol::pmMessage("Bob", "Ann", "psst") << "PMMessage Bob:Ann|psst";
        QTest::newRow("PMMessage with separators in the text") << WireProtocol::pmMessage("Bob", "Ann", "a|b:c")
                                                               << "PMMessage Bob:Ann|a|b:c";
        QTest::newRow("Prompt") << WireProtocol::prompt("kick Bob") << "Prompt kick Bob";
        QTest::newRow("empty Prompt") << WireProtocol::prompt("") << "Prompt ";
        QTest::newRow("Leave") << WireProtocol::leave("Ann") << "Leave Ann";
        QTest::newRow("Central European text") << WireProtocol::message(QString::fromUtf8("Łukasz"), QString::fromUtf8("Cześć!"))
                                               << QString::fromUtf8("Message Łukasz:Cześć!");
    }

    void build()
    {
        QFETCH(QString, built);
        QFETCH(QString, expected);
        QCOMPARE(built, expected);
    }
};

QTEST_GUILESS_MAIN(tst_WireProtocol)
#include "tst_wireprotocol.moc"
