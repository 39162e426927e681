#include "net/ChatConnection.h"
#include "net/Framing.h"
#include "net/ReceiveQueue.h"
#include "net/WireText.h"
#include "support/ConnectionRecorder.h"
#include "support/LiveChatServer.h"

#include <QEventLoop>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QThread>
#include <QTimer>

namespace {

constexpr int waitMs = 10000;
using Writes = QList<QByteArray>;

const QByteArray nul(1, '\0');
const QByteArray offer = Framing::offer().toByteArray();
const QByteArray serverSwitch = Framing::switchOver().toByteArray();

// A client signed on at address, with the server's end of its connection.
struct SignedOn
{
    explicit SignedOn(const QString &address)
        : server(address)
        , recorder(connection)
    {
        connection.connectToServer(address);
    }

    bool ready() { return server.waitForClient() && QTest::qWaitFor([this] { return server.received() == "Join ann"; }); }

    // Each write on its own, with a pause after it so the client reads it alone.
    void writeEach(const Writes &writes)
    {
        for (const QByteArray &bytes : writes) {
            server.write(bytes);
            QTest::qWait(30);
        }
    }

    bool switchToFraming()
    {
        writeEach({"Welcome Korvani" + offer});
        if (!QTest::qWaitFor([this] { return server.received() == "Join ann" + serverSwitch; }))
            return false;
        writeEach({serverSwitch});
        return true;
    }

    LiveChatServer server;
    ChatConnection connection;
    ConnectionRecorder recorder;
};

// Message number `index` of a flood: its number, then filler up to `size` bytes.
QByteArray floodMessage(int index, int size = 40)
{
    QByteArray message = "Message bob:" + QByteArray::number(index).rightJustified(8, '0') + ' ';
    return message.leftJustified(size, 'x', true);
}

// Writes `total` numbered messages to a socket as it takes them, never holding more
// than a little in its own buffer.
class FloodWriter : public QObject
{
public:
    FloodWriter(QTcpSocket *socket, int total, bool framed)
        : m_socket(socket)
        , m_total(total)
        , m_framed(framed)
    {
        connect(socket, &QTcpSocket::bytesWritten, this, &FloodWriter::topUp);
        topUp();
    }

    // The messages written, one after the other, without the NULs that frame them.
    static QByteArray expected(int total)
    {
        QByteArray bytes;
        for (int index = 0; index < total; ++index)
            bytes += floodMessage(index, MessageSize);
        return bytes;
    }

    qint64 accepted() const { return m_generated - m_socket->bytesToWrite(); }
    bool done() const { return m_next == m_total && m_socket->bytesToWrite() == 0; }
    static constexpr int MessageSize = 1000;

private:
    void topUp()
    {
        while (m_next < m_total && m_socket->bytesToWrite() < 1024 * 1024) {
            const QByteArray message = floodMessage(m_next++, MessageSize);
            m_generated += m_socket->write(m_framed ? message + nul : message);
        }
    }

    QTcpSocket *m_socket;
    int m_total;
    bool m_framed;
    qint64 m_generated = 0;
    int m_next = 0;
};

} // namespace

class tst_FramedConnection : public QObject
{
    Q_OBJECT
private slots:
    void switchOver_data();
    void switchOver();
    void serverThatNeverOffers();
    void extensionsAreAnsweredAndFollowed_data();
    void extensionsAreAnsweredAndFollowed();
    void unframedExtensionsMessageIsNoMarker();
    void framedFloodWhileNotReading();
    void queueStaysBoundedWhileDispatchIsHeld_data();
    void queueStaysBoundedWhileDispatchIsHeld();
    void hostileServer_data();
    void hostileServer();
};

void tst_FramedConnection::switchOver_data()
{
    QTest::addColumn<Writes>("writes");

    QTest::newRow("each on its own") << Writes{"Welcome Korvani", offer, "Msgday Hello", serverSwitch,
                                               "UserList ann" + nul, "Message bob:hi" + nul};
    QTest::newRow("merged with their neighbours")
        << Writes{"Welcome Korvani" + offer + "Msgday Hello", serverSwitch + "UserList ann" + nul + "Message bob:hi" + nul};
    QTest::newRow("split across reads")
        << Writes{"Welcome Korvani" + nul + "Fram", "ing 1" + nul + "Msgday Hello" + nul + "Fra",
                  "med 1" + nul + "UserList a", "nn" + nul + "Message bob:hi" + nul};
}

void tst_FramedConnection::switchOver()
{
    QFETCH(Writes, writes);
    SignedOn client("127.0.0.122");
    QVERIFY(client.ready());

    client.writeEach(writes);
    QTRY_COMPARE_WITH_TIMEOUT(client.recorder.blocks(),
                              (QStringList{"Welcome Korvani", "Msgday Hello", "UserList ann", "Message bob:hi"}), waitMs);
    // Sent at once, framed: they can no longer merge. A NUL in our own text is no boundary.
    client.connection.send("Message ann:hi");
    client.connection.send(QStringLiteral("Message ann:a") + QChar(0) + QStringLiteral("b"));
    client.connection.send("Leave ann");

    const QByteArray expected = "Join ann" + serverSwitch + "Message ann:hi" + nul + "Message ann:ab" + nul + "Leave ann" + nul;
    QTRY_COMPARE_WITH_TIMEOUT(client.server.received(), expected, waitMs);
}

void tst_FramedConnection::serverThatNeverOffers()
{
    SignedOn client("127.0.0.123");
    QVERIFY(client.ready());

    client.writeEach({"Welcome Korvani", "Msgday Hello", "UserList annUserList bob"});
    QTRY_COMPARE_WITH_TIMEOUT(client.recorder.blocks(),
                              (QStringList{"Welcome Korvani", "Msgday Hello", "UserList annUserList bob"}), waitMs);
    client.connection.send("Message ann:hi");
    client.connection.send(QStringLiteral("Message ann:a") + QChar(0) + QStringLiteral("b"));
    client.connection.leaveAndFlush("ann");

    QTRY_VERIFY_WITH_TIMEOUT(client.server.clientGone(), waitMs);
    QCOMPARE(client.server.received(), "Join annMessage ann:hiMessage ann:a" + nul + "bLeave ann");
}

void tst_FramedConnection::extensionsAreAnsweredAndFollowed_data()
{
    QTest::addColumn<QByteArray>("offer");
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<QByteArray>("confirmation");
    QTest::addColumn<bool>("unicode");

    QTest::newRow("UTF-8") << QByteArray("Extensions UTF-8") << QByteArray("Extensions UTF-8")
                           << QByteArray("Extensions UTF-8") << true;
    QTest::newRow("UTF-8 among names it does not know")
        << QByteArray("Extensions Ping UTF-8 Recent") << QByteArray("Extensions UTF-8") << QByteArray("Extensions UTF-8")
        << true;
    QTest::newRow("confirmed without UTF-8") << QByteArray("Extensions UTF-8") << QByteArray("Extensions UTF-8")
                                             << QByteArray("Extensions ") << false;
    QTest::newRow("nothing it knows offered") << QByteArray("Extensions Ping") << QByteArray("Extensions ")
                                              << QByteArray("Extensions UTF-8") << false;
}

void tst_FramedConnection::extensionsAreAnsweredAndFollowed()
{
    QFETCH(QByteArray, offer);
    QFETCH(QByteArray, answer);
    QFETCH(QByteArray, confirmation);
    QFETCH(bool, unicode);
    const QString text = QString::fromUtf8("Zażółć 😀 日本 Ελληνικά");
    const WireText::Encoding encoding = unicode ? WireText::Encoding::Utf8 : WireText::Encoding::Windows1250;

    SignedOn client("127.0.0.172");
    QVERIFY(client.ready());
    QVERIFY(client.switchToFraming());
    // Answered as soon as the offer is read, framed, before anything else is handed out.
    client.writeEach({offer + nul + "UserList ann" + nul});
    QTRY_COMPARE_WITH_TIMEOUT(client.server.received(), "Join ann" + serverSwitch + answer + nul, waitMs);
    QVERIFY(!client.connection.carriesUnicode());
    // Until the confirmation the server's text is Windows-1250; after it, as agreed. A later
    // Extensions message is ignored.
    client.writeEach({"Msgday \xE8" "au" + nul + confirmation + nul + "Message bob:" + WireText::encode(text, encoding)
                      + nul + "Extensions " + nul + "Extensions UTF-8" + nul + "Message bob:a\xC3(" + nul});
    const QString invalid = unicode ? QStringLiteral("a\uFFFD(") : WireText::decode("a\xC3(", encoding);
    QTRY_COMPARE_WITH_TIMEOUT(client.recorder.blocks(),
                              (QStringList{"Welcome Korvani", "UserList ann", QString::fromUtf8("Msgday čau"),
                                           QStringLiteral("Message bob:") + WireText::decode(WireText::encode(text, encoding), encoding),
                                           QStringLiteral("Message bob:") + invalid}),
                              waitMs);
    QCOMPARE(client.connection.carriesUnicode(), unicode);

    // Our own text follows our answer, whatever the confirmation said.
    client.connection.send(QStringLiteral("Message ann:") + text);
    const WireText::Encoding ours = answer.contains("UTF-8") ? WireText::Encoding::Utf8 : WireText::Encoding::Windows1250;
    QTRY_VERIFY_WITH_TIMEOUT(client.server.received().endsWith("Message ann:" + WireText::encode(text, ours) + nul), waitMs);
}

void tst_FramedConnection::unframedExtensionsMessageIsNoMarker()
{
    SignedOn client("127.0.0.173");
    QVERIFY(client.ready());
    client.writeEach({"Extensions UTF-8", "Welcome Korvani"});
    QTRY_COMPARE_WITH_TIMEOUT(client.recorder.blocks(), (QStringList{"Extensions UTF-8", "Welcome Korvani"}), waitMs);
    QCOMPARE(client.server.received(), QByteArray("Join ann"));
    QVERIFY(!client.connection.carriesUnicode());
}

void tst_FramedConnection::framedFloodWhileNotReading()
{
    // The client is held up while the flood comes: what waits is read in large pieces cut
    // anywhere, and still every message comes on its own, in order.
    SignedOn client("127.0.0.124");
    QVERIFY(client.ready());
    QVERIFY(client.switchToFraming());
    QTRY_COMPARE_WITH_TIMEOUT(client.recorder.blocks(), QStringList{"Welcome Korvani"}, waitMs);

    constexpr int messages = 20000;
    QByteArray flood;
    QStringList expected{"Welcome Korvani"};
    for (int index = 0; index < messages; ++index) {
        flood += floodMessage(index) + nul;
        expected << QString::fromLatin1(floodMessage(index));
        if (index == messages / 2) {
            client.server.write(flood);
            flood.clear();
            QThread::msleep(300);
        }
    }
    client.server.write(flood);
    QThread::msleep(300);

    QTRY_COMPARE_WITH_TIMEOUT(client.recorder.blocks().size(), expected.size(), waitMs);
    QCOMPARE(client.recorder.blocks(), expected);
}

void tst_FramedConnection::queueStaysBoundedWhileDispatchIsHeld_data()
{
    QTest::addColumn<bool>("framed");

    QTest::newRow("framed") << true;
    QTest::newRow("unframed") << false;
}

void tst_FramedConnection::queueStaysBoundedWhileDispatchIsHeld()
{
    // A box is open in the handler of the first block while the server sends 200 MB: the client
    // stops reading, the server is held back, and afterwards every byte comes, in order.
    QFETCH(bool, framed);
    constexpr int total = 200 * 1000; // of 1,000 bytes each: 200 MB
    const QString address = framed ? "127.0.0.125" : "127.0.0.126";
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress(address), ChatConnection::ChatPort));
    ChatConnection connection;
    connection.connectToServer(address);
    QTRY_VERIFY_WITH_TIMEOUT(server.hasPendingConnections(), waitMs);
    QTcpSocket *serverEnd = server.nextPendingConnection();
    QTRY_VERIFY_WITH_TIMEOUT(connection.isConnected(), waitMs);
    QByteArray fromClient;
    QObject::connect(serverEnd, &QTcpSocket::readyRead, [&] { fromClient += serverEnd->readAll(); });
    if (framed) {
        serverEnd->write(offer);
        QTRY_COMPARE_WITH_TIMEOUT(fromClient, serverSwitch, waitMs);
        serverEnd->write(serverSwitch + "ErrUsername ann" + nul);
    } else {
        serverEnd->write("ErrUsername ann");
    }

    qsizetype mostWaiting = 0;
    bool stalled = false;
    std::unique_ptr<FloodWriter> writer;
    qint64 deliveredBytes = 0;
    bool inOrder = true;
    const QByteArray expected = FloodWriter::expected(total);
    QObject::connect(&connection, &ChatConnection::blockReceived, [&](const QString &block) {
        if (block != "ErrUsername ann") {
            inOrder = inOrder && block == QString::fromLatin1(QByteArrayView(expected).sliced(deliveredBytes, block.size()));
            deliveredBytes += block.size();
            return;
        }
        writer = std::make_unique<FloodWriter>(serverEnd, total, framed);
        QEventLoop modalBox;
        QTimer sample;
        qint64 lastAccepted = -1;
        int stillTicks = 0;
        QObject::connect(&sample, &QTimer::timeout, [&] {
            mostWaiting = qMax(mostWaiting, connection.waitingBytes());
            stillTicks = writer->accepted() == lastAccepted ? stillTicks + 1 : 0;
            lastAccepted = writer->accepted();
            if (stillTicks == 20 || writer->done()) {
                stalled = !writer->done();
                modalBox.quit();
            }
        });
        sample.start(10);
        modalBox.exec();
    });

    QTRY_VERIFY2_WITH_TIMEOUT(writer && writer->done() && deliveredBytes == expected.size(),
                              qPrintable(QStringLiteral("accepted %1 delivered %2 waiting %3 stalled %4 most %5")
                                             .arg(writer ? writer->accepted() : -1)
                                             .arg(deliveredBytes)
                                             .arg(connection.waitingBytes())
                                             .arg(stalled)
                                             .arg(mostWaiting)),
                              120000);
    QVERIFY(stalled);
    // The server was held back with the queue near its bound, not at 200 MB.
    QVERIFY2(mostWaiting > ReceiveQueue::MaxBytes / 2 && mostWaiting < ReceiveQueue::MaxBytes + 1024 * 1024,
             qPrintable(QString::number(mostWaiting)));
    QVERIFY(inOrder);
    QCOMPARE(connection.waitingBytes(), 0);
}

void tst_FramedConnection::hostileServer_data()
{
    QTest::addColumn<bool>("framed");
    QTest::addColumn<QByteArray>("bytes");
    // Framed, the size of each block handed out; unframed, reads decide them.
    QTest::addColumn<QList<qsizetype>>("blockSizes");

    const qsizetype max = Framing::MaxMessageBytes;
    const QByteArray megabyte(1000 * 1000, 'y');
    QTest::newRow("64 KiB frame without NUL") << true << QByteArray(max, 'x') << QList<qsizetype>{max};
    QTest::newRow("NUL storm, then a message") << true << QByteArray(1000 * 1000, '\0') + "Left bob" + nul
                                               << QList<qsizetype>{8};
    QTest::newRow("1 MB framed block") << true << megabyte + nul
                                       << QList<qsizetype>(megabyte.size() / max, max) + QList<qsizetype>{megabyte.size() % max};
    QTest::newRow("1 MB unframed block") << false << "Message bob:" + megabyte << QList<qsizetype>{};
}

void tst_FramedConnection::hostileServer()
{
    QFETCH(bool, framed);
    QFETCH(QByteArray, bytes);
    QFETCH(QList<qsizetype>, blockSizes);
    SignedOn client(framed ? "127.0.0.127" : "127.0.0.128");
    QVERIFY(client.ready());
    if (framed)
        QVERIFY(client.switchToFraming());
    else
        client.writeEach({"Welcome Korvani"});
    QTRY_COMPARE_WITH_TIMEOUT(client.recorder.blocks(), QStringList{"Welcome Korvani"}, waitMs);

    client.server.write(bytes);

    const QString expected = QString::fromLatin1(QByteArray(bytes).replace('\0', QByteArray()));
    QTRY_COMPARE_WITH_TIMEOUT(client.recorder.blocks().sliced(1).join(QString()).size(), expected.size(), waitMs);
    const QStringList blocks = client.recorder.blocks().sliced(1);
    QCOMPARE(blocks.join(QString()), expected);
    for (const QString &block : blocks)
        QVERIFY(block.size() <= (framed ? Framing::MaxMessageBytes : ReceiveQueue::MaxBytes));
    if (framed) {
        QList<qsizetype> sizes;
        for (const QString &block : blocks)
            sizes << block.size();
        QCOMPARE(sizes, blockSizes);
    }
    QVERIFY(client.connection.isConnected());
}

QTEST_GUILESS_MAIN(tst_FramedConnection)
#include "tst_framedconnection.moc"
