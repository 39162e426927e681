// How what a client sends is cut into messages: unframed reads, the offer, the client's switch
// wherever the reads cut it, framed messages and their limit. No sockets: bytes in, messages out.

#include "ClientInput.h"
#include "FramingWire.h"

#include <QTest>

namespace {
using FramingWire::framed;
const QByteArray switchOver = FramingWire::switchOver;
}

class ClientInputTest : public QObject
{
    Q_OBJECT

private slots:
    void cutsReadsIntoMessages_data();
    void cutsReadsIntoMessages();
    void switchIsFoundAtEverySplit();
    void partOfASwitchNeverSwallowsTheNextMessage_data();
    void partOfASwitchNeverSwallowsTheNextMessage();
    void limitsBreakTheInput_data();
    void limitsBreakTheInput();

private:
    static QByteArrayList feed(ClientInput *input, const QByteArrayList &reads);
    // What unframed reads hold when every NUL is dropped and ends a block.
    static QByteArrayList unframedBlocks(const QByteArrayList &reads);
};

QByteArrayList ClientInputTest::feed(ClientInput *input, const QByteArrayList &reads)
{
    QByteArrayList messages;
    for (const QByteArray &read : reads) {
        if (!input->append(read))
            break;
        QByteArray message;
        while (input->takeMessage(&message))
            messages += message;
    }
    return messages;
}

QByteArrayList ClientInputTest::unframedBlocks(const QByteArrayList &reads)
{
    QByteArrayList blocks;
    for (const QByteArray &read : reads) {
        for (const QByteArray &block : read.split('\0')) {
            if (!block.isEmpty())
                blocks += block;
        }
    }
    return blocks;
}

void ClientInputTest::cutsReadsIntoMessages_data()
{
    QTest::addColumn<bool>("offered");
    QTest::addColumn<QByteArrayList>("reads");
    QTest::addColumn<QByteArrayList>("messages");
    QTest::addColumn<bool>("framed");

    QTest::newRow("not offered: one read is one message, NUL and all")
        << false << QByteArrayList{QByteArray("Join a\0b", 8), "Message x" + switchOver}
        << QByteArrayList{QByteArray("Join a\0b", 8), "Message x" + switchOver} << false;
    QTest::newRow("offered, never answered: reads as before")
        << true << QByteArrayList{"Message a:one", "Message a:two"} << QByteArrayList{"Message a:one", "Message a:two"} << false;
    QTest::newRow("switch on its own, then framed messages")
        << true << QByteArrayList{switchOver, framed("Message a:one"), framed("Message a:two")}
        << QByteArrayList{"Message a:one", "Message a:two"} << true;
    QTest::newRow("last unframed block, switch and framed messages in one read")
        << true << QByteArrayList{"Message a:before" + switchOver + framed("Message a:one") + framed("Leave a")}
        << QByteArrayList{"Message a:before", "Message a:one", "Leave a"} << true;
    QTest::newRow("framed message split over reads")
        << true << QByteArrayList{switchOver + "Message a:o", "n", "e", QByteArray(1, '\0') + "Leave"}
        << QByteArrayList{"Message a:one"} << true;
    QTest::newRow("NUL that starts no switch is dropped, data stays unframed")
        << true << QByteArrayList{QByteArray("Message a:x\0yz", 14), "Message a:two"}
        << QByteArrayList{"Message a:x", "yz", "Message a:two"} << false;
    QTest::newRow("start of a switch that turns out otherwise")
        << true << QByteArrayList{QByteArray("Message a:x\0Fram", 16), "es"} << QByteArrayList{"Message a:x", "Fram", "es"}
        << false;
    QTest::newRow("switch after a NUL that was none")
        << true << QByteArrayList{QByteArray("\0Framed 2\0", 10), switchOver + framed("Message a:one")}
        << QByteArrayList{"Framed 2", "Message a:one"} << true;
    QTest::newRow("empty framed messages are skipped")
        << true << QByteArrayList{switchOver + QByteArray(3, '\0') + framed("Leave a")} << QByteArrayList{"Leave a"} << true;
}

void ClientInputTest::cutsReadsIntoMessages()
{
    QFETCH(bool, offered);
    QFETCH(QByteArrayList, reads);
    QFETCH(QByteArrayList, messages);
    QFETCH(bool, framed);

    ClientInput input;
    if (offered)
        input.offer();
    QCOMPARE(feed(&input, reads), messages);
    QCOMPARE(input.isFramed(), framed);
}

void ClientInputTest::switchIsFoundAtEverySplit()
{
    const QByteArray stream = "Message a:last unframed" + switchOver + framed("Message a:one") + framed("Leave a");
    const QByteArrayList expected{"Message a:last unframed", "Message a:one", "Leave a"};
    for (qsizetype first = 1; first < stream.size(); ++first) {
        for (qsizetype second = first; second < stream.size(); second += 3) {
            ClientInput input;
            input.offer();
            const QByteArrayList reads{stream.left(first), stream.mid(first, second - first), stream.mid(second)};
            // The unframed block ends at the switch's NUL; a split before that cuts it in two.
            QByteArrayList messages = feed(&input, reads);
            QVERIFY2(input.isFramed(), qPrintable(QStringLiteral("split at %1 and %2").arg(first).arg(second)));
            QCOMPARE(messages.mid(messages.size() - 2), expected.mid(1));
            QCOMPARE(messages.mid(0, messages.size() - 2).join(), expected.constFirst());
        }
    }
}

void ClientInputTest::partOfASwitchNeverSwallowsTheNextMessage_data()
{
    QTest::addColumn<QByteArray>("notSwitch");

    for (qsizetype length = 1; length < switchOver.size(); ++length)
        QTest::addRow("switch cut after %d bytes", int(length)) << switchOver.left(length);
    for (qsizetype at = 0; at < switchOver.size(); ++at) {
        QByteArray broken = switchOver;
        broken[at] = 'X';
        QTest::addRow("byte %d of the switch is another", int(at)) << broken;
    }
}

void ClientInputTest::partOfASwitchNeverSwallowsTheNextMessage()
{
    QFETCH(QByteArray, notSwitch);

    // Whatever read the bytes end in, they are unframed data, and the next read is a block of its own.
    for (qsizetype split = 0; split < notSwitch.size(); ++split) {
        const QByteArrayList reads = split == 0
            ? QByteArrayList{notSwitch, "Message a:next"}
            : QByteArrayList{notSwitch.left(split), notSwitch.mid(split), "Message a:next"};
        ClientInput input;
        input.offer();
        const QByteArrayList messages = feed(&input, reads);
        QVERIFY2(messages == unframedBlocks(reads), qPrintable(QStringLiteral("split at %1: %2")
                                                                  .arg(split)
                                                                  .arg(QString::fromLatin1(messages.join('|')))));
        QVERIFY(!input.isFramed());
        // A later switch is still seen.
        QCOMPARE(feed(&input, {switchOver + framed("Message a:framed")}), QByteArrayList{"Message a:framed"});
    }
}

void ClientInputTest::limitsBreakTheInput_data()
{
    QTest::addColumn<bool>("offered");
    QTest::addColumn<QByteArrayList>("reads");
    QTest::addColumn<QString>("error");

    const QByteArray atLimit(ClientInput::MaxMessageSize, 'x');
    QTest::newRow("unframed block at the limit") << false << QByteArrayList{atLimit} << QString();
    QTest::newRow("unframed block over the limit") << false << QByteArrayList{atLimit + 'x'}
                                                   << "received a block over 65536 bytes";
    QTest::newRow("offered, block over the limit") << true << QByteArrayList{atLimit + 'x'}
                                                   << "received a block over 65536 bytes";
    QTest::newRow("switch followed by much framed data in one read")
        << true << QByteArrayList{switchOver + framed(atLimit) + framed(atLimit)} << QString();
    QTest::newRow("framed message at the limit, in pieces")
        << true << QByteArrayList{switchOver, atLimit.left(1000), atLimit.mid(1000), QByteArray(1, '\0')} << QString();
    QTest::newRow("framed message over the limit, in pieces")
        << true << QByteArrayList{switchOver, atLimit, "x"} << "received a framed message over 65536 bytes";
    QTest::newRow("framed message over the limit, whole")
        << true << QByteArrayList{switchOver + framed(atLimit + 'x')} << "received a framed message over 65536 bytes";
    QTest::newRow("offered, blocks at the limit between NULs that start no switch")
        << true << QByteArrayList{atLimit + '\0' + atLimit.left(100)} << QString();
}

void ClientInputTest::limitsBreakTheInput()
{
    QFETCH(bool, offered);
    QFETCH(QByteArrayList, reads);
    QFETCH(QString, error);

    ClientInput input;
    if (offered)
        input.offer();
    feed(&input, reads);
    QCOMPARE(input.isBroken(), !error.isEmpty());
    QCOMPARE(input.error(), error);
    if (!error.isEmpty()) {
        // A broken input takes nothing more.
        QVERIFY(!input.append(framed("Message a:later")));
    }
}

QTEST_GUILESS_MAIN(ClientInputTest)
#include "tst_clientinput.moc"
