#include "net/ReceiveQueue.h"

#include <QTest>

namespace {

using Block = ServerStreamReader::Block;

// What the queue hands out, in order: "U:"/"F:" and the bytes of a block, "<dropped>" for a drop.
QStringList drain(ReceiveQueue &queue)
{
    QStringList out;
    while (!queue.isEmpty()) {
        const ReceiveQueue::Entry entry = queue.takeNext();
        if (entry.kind == ReceiveQueue::Entry::Drop)
            out << QStringLiteral("<dropped>");
        else
            out << (entry.framed ? QStringLiteral("F:") : QStringLiteral("U:")) + QString::fromLatin1(entry.bytes);
    }
    return out;
}

} // namespace

class tst_ReceiveQueue : public QObject
{
    Q_OBJECT
private slots:
    void cutMessageJoinsTheBlockItContinues_data();
    void cutMessageJoinsTheBlockItContinues();
    void forgettingKeepsDrops();
    void countsWhatItHolds();
};

void tst_ReceiveQueue::cutMessageJoinsTheBlockItContinues_data()
{
    QTest::addColumn<QList<Block>>("blocks");
    QTest::addColumn<QStringList>("handedOut");

    QTest::newRow("a read cut in a message")
        << QList<Block>{{"Message bob:line 1Message bob:li", false}, {"ne 2Message bob:line 3", false}}
        << QStringList{"U:Message bob:line 1Message bob:line 2Message bob:line 3"};
    QTest::newRow("a read cut between messages")
        << QList<Block>{{"Message bob:line 1", false}, {"Left bob", false}}
        << QStringList{"U:Message bob:line 1", "U:Left bob"};
    QTest::newRow("a cut in the command word")
        << QList<Block>{{"Message bob:1Mess", false}, {"age bob:2", false}}
        << QStringList{"U:Message bob:1Message bob:2"};
    QTest::newRow("a command word without its blank is no command")
        << QList<Block>{{"Joined bob", false}, {"Message", false}} << QStringList{"U:Joined bobMessage"};
    QTest::newRow("framed messages are never joined")
        << QList<Block>{{"Message bob:1", true}, {"x", true}, {"y", false}}
        << QStringList{"F:Message bob:1", "F:x", "U:y"};
    const QByteArray half(ReceiveQueue::MaxJoinedBytes / 2, 'x');
    QTest::newRow("joined up to the limit")
        << QList<Block>{{"Message bob:" + half, false}, {half.sliced(12), false}}
        << QStringList{"U:Message bob:" + QString::fromLatin1(half + half.sliced(12))};
    QTest::newRow("past the limit the rest stays apart")
        << QList<Block>{{"Message bob:" + half, false}, {half.sliced(11), false}}
        << QStringList{"U:Message bob:" + QString::fromLatin1(half), "U:" + QString::fromLatin1(half.sliced(11))};
    QTest::newRow("nothing waits to be continued") << QList<Block>{{"ne 2", false}} << QStringList{"U:ne 2"};
}

void tst_ReceiveQueue::cutMessageJoinsTheBlockItContinues()
{
    QFETCH(QList<Block>, blocks);
    QFETCH(QStringList, handedOut);
    ReceiveQueue queue;

    for (const Block &block : std::as_const(blocks))
        queue.appendBlock(block);

    QCOMPARE(drain(queue), handedOut);
    QCOMPARE(queue.byteCount(), 0);
}

void tst_ReceiveQueue::forgettingKeepsDrops()
{
    ReceiveQueue queue;
    queue.appendBlock({"UserList old", false});
    queue.appendDrop();
    queue.appendBlock({"Message x:y", true});

    queue.forgetBlocks();
    // A block after a drop belongs to another connection and never continues one before it.
    queue.appendBlock({"ne 2", false});

    QCOMPARE(drain(queue), (QStringList{"<dropped>", "U:ne 2"}));
}

void tst_ReceiveQueue::countsWhatItHolds()
{
    ReceiveQueue queue;
    const QByteArray half(ReceiveQueue::MaxBytes / 2, 'x');
    queue.appendBlock({"Message a:" + half, true});
    QVERIFY(!queue.isFull());
    // Tiny messages are counted with their own cost, so a flood of them fills the queue as well.
    while (!queue.isFull())
        queue.appendBlock({"a", true});
    QVERIFY(queue.count() < ReceiveQueue::MaxBytes / 2 / ReceiveQueue::EntryCost + 2);

    queue.takeNext();
    QVERIFY(!queue.isFull());
}

QTEST_GUILESS_MAIN(tst_ReceiveQueue)
#include "tst_receivequeue.moc"
