// The bytes of each write to a client: unframed one message a write, framed the server's switch
// and then whole messages with their NULs, many to a write; messages held behind the offer of
// extensions, and re-encoded when the client agrees to UTF-8.

#include "OutputQueue.h"

#include "net/WireText.h"

#include <QTest>

class OutputQueueTest : public QObject
{
    Q_OBJECT

private slots:
    void writesUnframedOneMessageAtATime();
    void switchGoesFirstAndFramesWhatWaits();
    void framedWritesAreBatchedWithWholeMessages();
    void queuedBytesAndBacklog();
    void offerHoldsWhatWaitsUntilTheConfirmation_data();
    void offerHoldsWhatWaitsUntilTheConfirmation();
};

void OutputQueueTest::writesUnframedOneMessageAtATime()
{
    OutputQueue queue;
    queue.push("Welcome Test");
    queue.push(QByteArray("\0Framing 1\0", 11));
    QCOMPARE(queue.takeWrite(), QByteArray("Welcome Test"));
    QCOMPARE(queue.takeWrite(), QByteArray("\0Framing 1\0", 11));
    QVERIFY(queue.isEmpty());
    QCOMPARE(queue.takeWrite(), QByteArray());
}

void OutputQueueTest::switchGoesFirstAndFramesWhatWaits()
{
    OutputQueue queue;
    queue.switchToFramed();
    QVERIFY(!queue.isEmpty());
    QCOMPARE(queue.takeWrite(), QByteArray("\0Framed 1\0", 10));
    QVERIFY(queue.isEmpty());

    OutputQueue waiting;
    waiting.push("Msgday Hello");
    waiting.push("UserList ann");
    waiting.switchToFramed();
    waiting.switchToFramed();
    QCOMPARE(waiting.takeWrite(), QByteArray("\0Framed 1\0Msgday Hello\0UserList ann\0", 36));
    waiting.push("Joined bob");
    QCOMPARE(waiting.takeWrite(), QByteArray("Joined bob\0", 11));
}

void OutputQueueTest::framedWritesAreBatchedWithWholeMessages()
{
    OutputQueue queue;
    queue.switchToFramed();
    const QByteArray name = "UserList user with a name of some length";
    const int users = 5000;
    for (int i = 0; i < users; ++i)
        queue.push(name);
    QByteArray stream;
    int writes = 0;
    while (!queue.isEmpty()) {
        const QByteArray write = queue.takeWrite();
        QVERIFY(write.endsWith('\0'));
        QVERIFY(write.size() < OutputQueue::BatchBytes + name.size() + 1);
        stream += write;
        ++writes;
    }
    QCOMPARE(stream, QByteArray("\0Framed 1\0", 10) + QByteArray(name + '\0').repeated(users));
    QCOMPARE(writes, int(stream.size() / OutputQueue::BatchBytes) + 1);

    // A message larger than a batch still goes whole.
    queue.push(QByteArray(3 * OutputQueue::BatchBytes, 'x'));
    QCOMPARE(queue.takeWrite().size(), 3 * OutputQueue::BatchBytes + 1);
}

void OutputQueueTest::queuedBytesAndBacklog()
{
    OutputQueue queue;
    for (int i = 0; i < 100; ++i)
        queue.push("Joined somebody");
    QCOMPARE(queue.queuedBytes(), 1500);
    QVERIFY(!queue.releaseBacklog());
    queue.switchToFramed();
    queue.takeWrite();
    QCOMPARE(queue.queuedBytes(), 0);
    QVERIFY(queue.releaseBacklog());
    QVERIFY(!queue.releaseBacklog());

    queue.push("Message a:b");
    queue.clear();
    QVERIFY(queue.isEmpty());
    QCOMPARE(queue.queuedBytes(), 0);
}


void OutputQueueTest::offerHoldsWhatWaitsUntilTheConfirmation_data()
{
    QTest::addColumn<bool>("unicode");
    QTest::newRow("UTF-8 agreed") << true;
    QTest::newRow("none agreed") << false;
}

void OutputQueueTest::offerHoldsWhatWaitsUntilTheConfirmation()
{
    QFETCH(bool, unicode);
    const WireText::Encoding encoding = unicode ? WireText::Encoding::Utf8 : WireText::Encoding::Windows1250;
    const QByteArray held = unicode ? QByteArray("Message ann:\xC4\x8D\xE6\x97\xA5") : QByteArray("Message ann:\xE8?");

    OutputQueue queue;
    queue.push(SharedText::create(QString::fromUtf8("Message ann:č日")));
    QCOMPARE(queue.queuedBytes(), 14);
    queue.switchToFramed("Extensions UTF-8");
    QCOMPARE(queue.takeWrite(), QByteArray("\0Framed 1\0Extensions UTF-8\0", 27));
    // Held: nothing more may go, however much is pushed, until the client's answer.
    queue.push(SharedText::create(QStringLiteral("Joined bob")));
    QVERIFY(queue.isHeld() && !queue.hasWrite() && !queue.isEmpty());
    QCOMPARE(queue.takeWrite(), QByteArray());

    // The confirmation goes before what waited, and what waited goes in the agreed encoding.
    queue.confirm(unicode ? "Extensions UTF-8" : "Extensions ", encoding);
    QCOMPARE(queue.queuedBytes(), held.size() + 10);
    const QByteArray confirmation = unicode ? QByteArray("Extensions UTF-8") : QByteArray("Extensions ");
    QCOMPARE(queue.takeWrite(), confirmation + '\0' + held + '\0' + "Joined bob" + '\0');
    queue.push(SharedText::create(QString::fromUtf8("Left č")));
    QCOMPARE(queue.takeWrite(), WireText::encode(QString::fromUtf8("Left č"), encoding) + '\0');
}

QTEST_GUILESS_MAIN(OutputQueueTest)
#include "tst_outputqueue.moc"
