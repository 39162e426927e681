// What a client writing as fast as its socket takes the bytes costs a real korvani-server: the
// server's memory stays within the bound on unread input, framed or not, and the room still works.

#include "FramedClient.h"
#include "support/EventLoopWait.h"

#include <QFile>
#include <QProcess>
#include <QTest>

namespace {
const QHostAddress serverAddress(QStringLiteral("127.0.0.170"));
constexpr quint16 serverPort = 1290;
constexpr int FloodMs = 3000;
// The server may hold 128 KiB of unread input for a connection; the rest of this allows for what
// the flood legitimately costs (the flooder's messages relayed at its rate) and the allocator.
constexpr qint64 AllowedGrowthKiB = 4 * 1024;

qint64 residentKiB(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').constFirst().toLongLong();
    }
    return -1;
}
}

class FloodMemoryTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void floodCostsBoundedMemory_data();
    void floodCostsBoundedMemory();

private:
    QProcess m_server;
    QString m_log;
};

void FloodMemoryTest::init()
{
    m_log.clear();
    connect(&m_server, &QProcess::readyReadStandardError, this,
            [this] { m_log += QString::fromLocal8Bit(m_server.readAllStandardError()); });
    m_server.start(QStringLiteral(KORVANI_SERVER_PATH),
                   {"--listen", serverAddress.toString(), "--port", QString::number(serverPort)});
    QVERIFY(EventLoopWait::until([this] { return m_log.contains(QLatin1String("listening on")); }, 10000));
}

void FloodMemoryTest::cleanup()
{
    disconnect(&m_server, nullptr, this, nullptr);
    m_server.kill();
    m_server.waitForFinished();
}

void FloodMemoryTest::floodCostsBoundedMemory_data()
{
    QTest::addColumn<bool>("framed");

    QTest::newRow("framed messages of 1 KB") << true;
    QTest::newRow("unframed messages of 1 KB") << false;
}

void FloodMemoryTest::floodCostsBoundedMemory()
{
#if defined(__SANITIZE_ADDRESS__)
    // The sanitizer keeps freed memory in quarantine, so resident size grows with what the server
    // freed as well as with what it holds.
    QSKIP("Resident memory says nothing under AddressSanitizer");
#endif
    QFETCH(bool, framed);

    FramedClient anna;
    QVERIFY(anna.signOn(serverAddress, serverPort, QStringLiteral("anna")));
    FramedClient flooder(framed ? FramedClient::Answer::Automatic : FramedClient::Answer::ByHand);
    QVERIFY(flooder.signOn(serverAddress, serverPort, QStringLiteral("flooder")));
    QCOMPARE(anna.receive(1), QStringList{"Joined flooder"});
    const qint64 before = residentKiB(m_server.processId());
    QVERIFY(before > 0);

    QByteArray batch;
    for (int i = 0; i < 64; ++i)
        batch += "Message flooder:" + QByteArray(1000, 'f') + (framed ? QByteArray(1, '\0') : QByteArray());
    qint64 written = 0;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < FloodMs && flooder.isConnected()) {
        // The flooder's own buffer stays small: it writes only what the server takes.
        if (flooder.unsentBytes() < 256 * 1024) {
            flooder.queueRaw(batch);
            written += batch.size();
        }
        EventLoopWait::during(1);
    }
    const qint64 after = residentKiB(m_server.processId());
    qInfo("server resident memory %lld KiB before the flood, %lld KiB after %d ms; %lld KiB written",
          before, after, FloodMs, written / 1024);
    QVERIFY2(after - before <= AllowedGrowthKiB, qPrintable(QStringLiteral("grew by %1 KiB").arg(after - before)));

    // Whatever the server made of the flood, anna is still served.
    anna.send(QStringLiteral("Message anna:still here"));
    QVERIFY(EventLoopWait::until([&] { return anna.takeMessages().contains(QLatin1String("Message anna:still here")); },
                                 20000));
}

QTEST_GUILESS_MAIN(FloodMemoryTest)
#include "tst_floodmemory.moc"
