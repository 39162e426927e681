// The bytes of each write to a client: unframed one message a write, framed the server's switch
// and then whole messages with their NULs, many to a write.

#include "OutputQueue.h"

#include <QTest>

class OutputQueueTest : public QObject
{
    Q_OBJECT

private slots:
    void writesUnframedOneMessageAtATime();
    void switchGoesFirstAndFramesWhatWaits();
    void framedWritesAreBatchedWithWholeMessages();
    void queuedBytesAndBacklog();
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

QTEST_GUILESS_MAIN(OutputQueueTest)
#include "tst_outputqueue.moc"
