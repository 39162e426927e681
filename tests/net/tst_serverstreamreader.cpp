#include "net/Framing.h"
#include "net/ServerStreamReader.h"

#include <QTest>

namespace {

using Block = ServerStreamReader::Block;
using Reads = QList<QByteArray>;

const QByteArray nul(1, '\0');
const QByteArray offer = Framing::offer().toByteArray();
const QByteArray serverSwitch = Framing::switchOver().toByteArray();

// A block as the test writes it: framed ones are marked "F:", unframed ones "U:".
QString shown(const Block &block)
{
    return (block.framed ? QStringLiteral("F:") : QStringLiteral("U:")) + QString::fromLatin1(block.bytes);
}

QStringList shown(const QList<Block> &blocks)
{
    QStringList list;
    for (const Block &block : blocks)
        list << shown(block);
    return list;
}

struct Outcome
{
    QStringList blocks;
    // After which read the offer was reported; -1 when it never was.
    int offerAfterRead = -1;
    int offersReported = 0;
    bool framed = false;
};

Outcome readAll(const Reads &reads)
{
    ServerStreamReader reader;
    QList<Block> blocks;
    Outcome outcome;
    for (int index = 0; index < reads.size(); ++index) {
        reader.read(reads.at(index), blocks);
        if (reader.takeOffer()) {
            ++outcome.offersReported;
            if (outcome.offerAfterRead < 0)
                outcome.offerAfterRead = index;
        }
    }
    outcome.blocks = shown(blocks);
    outcome.framed = reader.isFramed();
    return outcome;
}

} // namespace

class tst_ServerStreamReader : public QObject
{
    Q_OBJECT
private slots:
    void switchOver_data();
    void switchOver();
    void framedMessagesSurviveEveryCut();
    void notAMarker_data();
    void notAMarker();
    void hostileServer_data();
    void hostileServer();
    void cutOffByTheEnd();
    void framingStripsNulFromOurText();
};

void tst_ServerStreamReader::switchOver_data()
{
    QTest::addColumn<Reads>("reads");
    QTest::addColumn<QStringList>("blocks");
    QTest::addColumn<int>("offerAfterRead");

    const QByteArray framedPart = serverSwitch + "UserList ann" + nul + "Message bob:hi" + nul;
    const QStringList expected{"U:Welcome Korvani", "U:Msgday Hello", "F:UserList ann", "F:Message bob:hi"};

    QTest::newRow("each on its own") << Reads{"Welcome Korvani", offer, "Msgday Hello", serverSwitch,
                                              "UserList ann" + nul, "Message bob:hi" + nul}
                                     << expected << 1;
    QTest::newRow("offer merged with its neighbours")
        << Reads{"Welcome Korvani" + offer + "Msgday Hello", framedPart} << expected << 0;
    QTest::newRow("everything in one read") << Reads{"Welcome Korvani" + offer + "Msgday Hello" + framedPart}
                                            << expected << 0;
    QTest::newRow("offer split after its NUL")
        << Reads{"Welcome Korvani" + nul, "Framing 1" + nul, "Msgday Hello", framedPart} << expected << 1;
    QTest::newRow("offer split before its last NUL")
        << Reads{"Welcome Korvani" + nul + "Framing 1", nul + "Msgday Hello", framedPart} << expected << 1;
    QTest::newRow("offer split in its word")
        << Reads{"Welcome Korvani" + nul + "Fram", "ing 1" + nul + "Msgday Hello", framedPart} << expected << 1;
    QTest::newRow("switch split, first message merged behind it")
        << Reads{"Welcome Korvani", offer, "Msgday Hello" + nul + "Fra", "med 1" + nul + "UserList ann" + nul
                 + "Message bob:hi" + nul}
        << expected << 1;
    QTest::newRow("framed message split across reads")
        << Reads{"Welcome Korvani", offer, "Msgday Hello", serverSwitch + "UserList a", "nn" + nul + "Message bob",
                 ":hi" + nul}
        << expected << 1;
    QTest::newRow("no message of the day between offer and switch")
        << Reads{"Welcome Korvani" + offer, serverSwitch + "Msgday Hello" + nul}
        << QStringList{"U:Welcome Korvani", "F:Msgday Hello"} << 0;
    QTest::newRow("a server that never offers")
        << Reads{"Welcome Korvani", "Msgday Hello", "UserList annUserList bob"}
        << QStringList{"U:Welcome Korvani", "U:Msgday Hello", "U:UserList annUserList bob"} << -1;
}

void tst_ServerStreamReader::switchOver()
{
    QFETCH(Reads, reads);
    QFETCH(QStringList, blocks);
    QFETCH(int, offerAfterRead);

    const Outcome outcome = readAll(reads);

    QCOMPARE(outcome.blocks, blocks);
    QCOMPARE(outcome.offerAfterRead, offerAfterRead);
    QCOMPARE(outcome.offersReported, offerAfterRead < 0 ? 0 : 1);
    QCOMPARE(outcome.framed, blocks.last().startsWith("F:"));
}

void tst_ServerStreamReader::framedMessagesSurviveEveryCut()
{
    // Once framed, where reads end no longer matters: cut the stream at every pair of places.
    const QByteArray stream = "Welcome K" + offer + serverSwitch + "Joined bob" + nul + nul + "Left bob" + nul
        + "Message bob:a:b" + nul;
    const QStringList framed{"F:Joined bob", "F:Left bob", "F:Message bob:a:b"};
    const qsizetype framedStart = stream.indexOf(serverSwitch);
    for (qsizetype first = framedStart; first <= stream.size(); ++first) {
        for (qsizetype second = first; second <= stream.size(); ++second) {
            const Outcome outcome = readAll({stream.first(first), stream.sliced(first, second - first),
                                             stream.sliced(second)});
            QCOMPARE(outcome.blocks, QStringList{"U:Welcome K"} + framed);
        }
    }
}

void tst_ServerStreamReader::notAMarker_data()
{
    QTest::addColumn<Reads>("reads");
    QTest::addColumn<QStringList>("blocks");
    QTest::addColumn<bool>("framed");

    // A NUL that starts no marker is dropped; what looked like a marker starts the next block.
    QTest::newRow("NUL before an unknown word")
        << Reads{"Message bob:a" + nul + "Frame 2"} << QStringList{"U:Message bob:a", "U:Frame 2"} << false;
    QTest::newRow("broken offer split over reads")
        << Reads{"Welcome K" + nul + "Fram", "ed 1" + nul} << QStringList{"U:Welcome K", "U:Framed 1"} << false;
    QTest::newRow("switch where the offer belongs")
        << Reads{"Welcome K" + serverSwitch + "UserList ann" + nul}
        << QStringList{"U:Welcome K", "U:Framed 1", "U:UserList ann"} << false;
    QTest::newRow("offer twice: the second is no switch")
        << Reads{offer + offer + "UserList ann"} << QStringList{"U:Framing 1", "U:UserList ann"} << false;
    QTest::newRow("bad switch after the offer")
        << Reads{offer + nul + "Framed 2" + nul + "UserList ann", serverSwitch + "Left bob" + nul}
        << QStringList{"U:Framed 2", "U:UserList ann", "F:Left bob"} << true;
}

void tst_ServerStreamReader::notAMarker()
{
    QFETCH(Reads, reads);
    QFETCH(QStringList, blocks);
    QFETCH(bool, framed);

    const Outcome outcome = readAll(reads);

    QCOMPARE(outcome.blocks, blocks);
    QCOMPARE(outcome.framed, framed);
}

void tst_ServerStreamReader::hostileServer_data()
{
    QTest::addColumn<QByteArray>("framedBytes");
    QTest::addColumn<int>("chunk");
    QTest::addColumn<QList<qsizetype>>("sizes");

    const qsizetype max = Framing::MaxMessageBytes;
    QTest::newRow("64 KiB frame without NUL") << QByteArray(max, 'x') << 4096 << QList<qsizetype>{max};
    QTest::newRow("64 KiB and one, then its NUL")
        << QByteArray(max + 1, 'x') + nul << 1000 << QList<qsizetype>{max, 1};
    QTest::newRow("1 MB block in one read")
        << QByteArray(1000 * 1000, 'y') + nul << 1000 * 1000 + 1
        << QList<qsizetype>(1000 * 1000 / max, max) + QList<qsizetype>{1000 * 1000 % max};
    QTest::newRow("NUL storm") << QByteArray(1000 * 1000, '\0') << 65536 << QList<qsizetype>{};
    QTest::newRow("NULs between one-byte messages")
        << QByteArray("a") + nul + nul + nul + "b" + nul << 1 << QList<qsizetype>{1, 1};
}

void tst_ServerStreamReader::hostileServer()
{
    QFETCH(QByteArray, framedBytes);
    QFETCH(int, chunk);
    QFETCH(QList<qsizetype>, sizes);
    ServerStreamReader reader;
    QList<Block> blocks;
    reader.read(offer + serverSwitch, blocks);
    QVERIFY(reader.isFramed());

    for (qsizetype at = 0; at < framedBytes.size(); at += chunk) {
        reader.read(QByteArrayView(framedBytes).sliced(at, qMin<qsizetype>(chunk, framedBytes.size() - at)), blocks);
        QVERIFY(reader.heldBytes() <= Framing::MaxMessageBytes);
    }

    QList<qsizetype> got;
    QByteArray joined;
    for (const Block &block : std::as_const(blocks)) {
        QVERIFY(block.framed);
        got << block.bytes.size();
        joined += block.bytes;
    }
    QCOMPARE(got, sizes);
    QCOMPARE(joined, QByteArray(framedBytes).replace('\0', QByteArray()));
}

void tst_ServerStreamReader::cutOffByTheEnd()
{
    ServerStreamReader reader;
    QList<Block> blocks;
    reader.read(offer + serverSwitch + "Message bob:half", blocks);
    QVERIFY(blocks.isEmpty());

    reader.finish(blocks);

    QCOMPARE(shown(blocks), QStringList{"F:Message bob:half"});
}

void tst_ServerStreamReader::framingStripsNulFromOurText()
{
    QCOMPARE(Framing::frame("Message ann:a" + nul + "b" + nul), "Message ann:ab" + nul);
    QCOMPARE(Framing::frame(QByteArray()), nul);
    QCOMPARE(offer, QByteArray::fromHex("004672616D696E67203100"));
    QCOMPARE(serverSwitch, QByteArray::fromHex("004672616D65642031" "00"));
}

QTEST_GUILESS_MAIN(tst_ServerStreamReader)
#include "tst_serverstreamreader.moc"
