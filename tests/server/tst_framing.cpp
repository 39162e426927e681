// The framing extension against a server in this process: the offer, the client's switch however
// it is cut or merged, the server's switch and framed output, clients that never answer, a room of
// framed and unframed clients, a paused framed reader under a flood, and the framed message limit.

#include "ChatServer.h"
#include "InProcessServer.h"
#include "ClientConnection.h"
#include "support/EventLoopWait.h"
#include "FramedClient.h"
#include "FramingWire.h"
#include "support/TestClient.h"

#include "net/Windows1250.h"

#include <QTest>


namespace {
const QHostAddress serverAddress(QStringLiteral("127.0.0.100"));
const QByteArray offerBytes = FramingWire::offer;
const QByteArray switchBytes = FramingWire::switchOver;
using FramingWire::framed;
}

class FramingTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void clientSwitchIsFoundHoweverItArrives_data();
    void clientSwitchIsFoundHoweverItArrives();
    void serverSwitchFramesTheRestOfTheGreeting();
    void framedSignOnWaitsForNoTimer();
    void clientThatNeverAnswersGetsTodaysBytes();
    void textNeverCarriesNul();
    void mixedRoomChatsTogether();
    void pausedFramedReaderLosesAndMergesNothing();
    void framedMessageLimit_data();
    void framedMessageLimit();

private:
    void startServer(const ServerSettings &settings);
    static ServerSettings testSettings();

    InProcessServer m_server;
};

ServerSettings FramingTest::testSettings()
{
    ServerSettings settings = InProcessServer::settingsFor(serverAddress);
    settings.motd = QStringLiteral("Hello all");
    return settings;
}

void FramingTest::startServer(const ServerSettings &settings)
{
    QVERIFY(m_server.start(settings));
}

void FramingTest::init()
{
    startServer(testSettings());
}

void FramingTest::cleanup()
{
    m_server.stop();
}

void FramingTest::clientSwitchIsFoundHoweverItArrives_data()
{
    QTest::addColumn<QByteArrayList>("sends");
    QTest::addColumn<QStringList>("relayed");
    QTest::addColumn<bool>("switched");

    QTest::newRow("switch and messages each on its own")
        << QByteArrayList{switchBytes, framed("Message ann:one"), framed("Message ann:two")}
        << QStringList{"Message ann:one", "Message ann:two"} << true;
    QTest::newRow("last unframed block, switch and framed messages in one send")
        << QByteArrayList{"Message ann:before" + switchBytes + framed("Message ann:one") + framed("Leave ann")}
        << QStringList{"Message ann:before", "Message ann:one", "Left ann"} << true;
    QTest::newRow("switch cut over three sends")
        << QByteArrayList{switchBytes.left(4), switchBytes.mid(4, 5), switchBytes.mid(9) + framed("Message ann:one")}
        << QStringList{"Message ann:one"} << true;
    QTest::newRow("framed messages cut and merged")
        << QByteArrayList{switchBytes + "Message ann:o", QByteArray("ne\0Message ann:two\0Mess", 23), framed("age ann:three")}
        << QStringList{"Message ann:one", "Message ann:two", "Message ann:three"} << true;
    QTest::newRow("NUL that is no switch, then the switch")
        << QByteArrayList{QByteArray("Message ann:x\0yz", 16), switchBytes + framed("Message ann:one")}
        << QStringList{"Message ann:x", "Message ann:one"} << true;
    QTest::newRow("half a switch, then a message of its own")
        << QByteArrayList{switchBytes.left(5), "Message ann:after"} << QStringList{"Message ann:after"} << false;
    QTest::newRow("never answers") << QByteArrayList{"Message ann:one", "Message ann:two"}
                                   << QStringList{"Message ann:one", "Message ann:two"} << false;
}

void FramingTest::clientSwitchIsFoundHoweverItArrives()
{
    QFETCH(QByteArrayList, sends);
    QFETCH(QStringList, relayed);
    QFETCH(bool, switched);

    // bob reads framed, so what he receives shows ann's messages however fast they are relayed.
    auto *bob = m_server.add<FramedClient>();
    QVERIFY(bob->signOn(serverAddress, m_server.port(), QStringLiteral("bob")));
    auto *ann = m_server.add<FramedClient>(FramedClient::Answer::ByHand);
    // An answer of its own would land inside the framed messages cut by hand.
    ann->setExtensions(FramedClient::Extensions::Unknown);
    QVERIFY(ann->signOn(serverAddress, m_server.port(), QStringLiteral("ann")));
    QCOMPARE(bob->receive(1), QStringList{"Joined ann"});

    for (const QByteArray &bytes : sends)
        ann->sendRaw(bytes);
    bob->send(QStringLiteral("Message bob:end"));
    QCOMPARE(bob->receive(int(relayed.size()) + 1), relayed + QStringList{"Message bob:end"});
    QCOMPARE(ann->serverSwitched(), switched);
    QCOMPARE(ann->protocolError(), QString());
}

void FramingTest::serverSwitchFramesTheRestOfTheGreeting()
{
    QStringList greeting{"Welcome Test", "Msgday Hello all"};
    for (int i = 0; i < 40; ++i) {
        const QString name = QStringLiteral("member%1").arg(i);
        QVERIFY(m_server.add<TestClient>()->signOn(serverAddress, m_server.port(), name));
        greeting += QStringLiteral("UserList ") + name;
    }
    greeting += QStringLiteral("UserList ann");

    // ann switches as soon as the offer arrives, while most of its greeting still waits.
    auto *ann = m_server.add<FramedClient>();
    QVERIFY(ann->connectTo(serverAddress, m_server.port()));
    ann->sendRaw("Join ann");
    QCOMPARE(ann->receive(int(greeting.size())), greeting);
    QVERIFY(ann->serverSwitched());
    ann->send(QStringLiteral("Message ann:one"));
    ann->send(QStringLiteral("Message ann:two"));
    QCOMPARE(ann->receive(2), (QStringList{"Message ann:one", "Message ann:two"}));
    QCOMPARE(ann->takeMessages(), QStringList{});
    QCOMPARE(ann->protocolError(), QString());
}

void FramingTest::framedSignOnWaitsForNoTimer()
{
    QVERIFY(m_server.add<TestClient>()->signOn(serverAddress, m_server.port(), QStringLiteral("anna")));
    QTcpSocket ann;
    ann.connectToHost(serverAddress, m_server.port());
    QVERIFY(ann.waitForConnected());
    // Rounds of the event loop that never wait: a greeting held back by a pause of the server's
    // does not arrive within them.
    QByteArray received;
    const auto receiveWithoutWaiting = [&](qsizetype size) {
        for (int round = 0; round < 200 && received.size() < size; ++round) {
            QCoreApplication::processEvents();
            received += ann.readAll();
        }
        return std::exchange(received, {});
    };

    ann.write("Join ann");
    // Nothing was sent before the offer, so nothing waits before it.
    QCOMPARE(receiveWithoutWaiting(offerBytes.size()), offerBytes);
    ann.write(switchBytes);
    // The switch ends the wait after the offer; the offer of extensions follows at once.
    const QByteArray extensionsOffer = switchBytes + framed("Extensions UTF-8");
    QCOMPARE(receiveWithoutWaiting(extensionsOffer.size()), extensionsOffer);
    ann.write(framed("Extensions UTF-8"));
    // The answer ends the wait for it: the confirmation and the whole greeting follow at once.
    const QByteArray greeting = framed("Extensions UTF-8") + framed("Welcome Test") + framed("Msgday Hello all")
        + framed("UserList anna") + framed("UserList ann");
    QCOMPARE(receiveWithoutWaiting(greeting.size()), greeting);
}

void FramingTest::clientThatNeverAnswersGetsTodaysBytes()
{
    auto *anna = m_server.add<TestClient>();
    QVERIFY(anna->signOn(serverAddress, m_server.port(), QStringLiteral("anna")));
    auto *bert = m_server.add<TestClient>();
    QVERIFY(bert->connectTo(serverAddress, m_server.port()));
    bert->send(QStringLiteral("Join bert"));
    // Each message a block of its own, the offer among them as a message with an unknown command.
    const QByteArrayList greeting{offerBytes, "Welcome Test", "Msgday Hello all", "UserList anna", "UserList bert"};
    QVERIFY(bert->waitForBlocks(int(greeting.size())));
    EventLoopWait::during(50);
    QCOMPARE(bert->takeRawBlocks(), greeting);

    for (int i = 0; i < 20; ++i)
        anna->send(QStringLiteral("Message anna:line %1").arg(i));
    QByteArrayList lines;
    for (int i = 0; i < 20; ++i)
        lines += QStringLiteral("Message anna:line %1").arg(i).toLatin1();
    QVERIFY(bert->waitForBlocks(int(lines.size())));
    EventLoopWait::during(50);
    QCOMPARE(bert->takeRawBlocks(), lines);
}

void FramingTest::textNeverCarriesNul()
{
    ServerSettings settings = testSettings();
    settings.name = QString::fromLatin1("Te\0st", 5);
    settings.motd = QString::fromLatin1("Hello\0all", 9);
    startServer(settings);
    auto *ann = m_server.add<FramedClient>();
    QVERIFY(ann->connectTo(serverAddress, m_server.port()));
    ann->sendRaw("Join ann");
    QCOMPARE(ann->receive(3), (QStringList{"Welcome Test", "Msgday Helloall", "UserList ann"}));
    QCOMPARE(ann->protocolError(), QString());
}

void FramingTest::mixedRoomChatsTogether()
{
    auto *ann = m_server.add<FramedClient>();
    QVERIFY(ann->signOn(serverAddress, m_server.port(), QStringLiteral("ann")));
    auto *bob = m_server.add<TestClient>();
    QVERIFY(bob->signOn(serverAddress, m_server.port(), QStringLiteral("bob")));
    auto *cyd = m_server.add<FramedClient>();
    QVERIFY(cyd->signOn(serverAddress, m_server.port(), QStringLiteral("cyd")));
    QCOMPARE(ann->receive(2), (QStringList{"Joined bob", "Joined cyd"}));
    QCOMPARE(bob->receive(1), QStringList{"Joined cyd"});

    QStringList expected;
    for (int round = 0; round < 3; ++round) {
        ann->send(QStringLiteral("Message ann:a%1").arg(round));
        bob->send(QStringLiteral("Message bob:b%1").arg(round));
        cyd->send(QStringLiteral("PMMessage bob:cyd|private %1").arg(round));
        cyd->send(QStringLiteral("Message cyd:c%1").arg(round));
        expected += {QStringLiteral("Message ann:a%1").arg(round), QStringLiteral("Message bob:b%1").arg(round),
                     QStringLiteral("Message cyd:c%1").arg(round)};
    }
    QCOMPARE(ann->receive(9), expected);
    QCOMPARE(cyd->receive(9), expected);
    QStringList toBob = expected;
    for (int round = 0; round < 3; ++round)
        toBob.insert(3 * round + 2 + round, QStringLiteral("PMMessage cyd|private %1").arg(round));
    QCOMPARE(bob->receive(12), toBob);
    QVERIFY(ann->serverSwitched());
    QVERIFY(cyd->serverSwitched());
    QCOMPARE(ann->protocolError() + cyd->protocolError(), QString());
}

void FramingTest::pausedFramedReaderLosesAndMergesNothing()
{
    ServerSettings settings = testSettings();
    // The flood is what this test is about, so the sender may send it at once.
    settings.limits.messageBurst = 1e6;
    settings.limits.byteBurst = 1e9;
    startServer(settings);
    auto *flooder = m_server.add<FramedClient>();
    QVERIFY(flooder->signOn(serverAddress, m_server.port(), QStringLiteral("flooder")));
    auto *paused = m_server.add<FramedClient>();
    QVERIFY(paused->signOn(serverAddress, m_server.port(), QStringLiteral("paused")));
    QCOMPARE(flooder->receive(1), QStringList{"Joined paused"});

    paused->pauseReading();
    constexpr int messages = 3000;
    const QString padding(1000, QLatin1Char('x'));
    QStringList sent;
    QByteArray burst;
    for (int i = 0; i < messages; ++i) {
        sent += QStringLiteral("Message flooder:%1 %2").arg(i).arg(padding);
        burst += framed(Windows1250::encode(sent.constLast()));
        if (burst.size() > 100000 || i == messages - 1)
            flooder->sendRaw(std::exchange(burst, {}));
    }
    // The server has relayed the whole flood once the sender has it back.
    QCOMPARE(flooder->receive(messages), sent);
    paused->resumeReading();
    QCOMPARE(paused->receive(messages), sent);
    QVERIFY(paused->isConnected());
    QCOMPARE(paused->protocolError(), QString());
}

void FramingTest::framedMessageLimit_data()
{
    QTest::addColumn<int>("textLength");
    QTest::addColumn<bool>("accepted");

    const int prefix = int(QByteArray("Message ann:").size());
    QTest::newRow("at the limit") << int(ClientConnection::MaxBlockSize) - prefix << true;
    QTest::newRow("over the limit") << int(ClientConnection::MaxBlockSize) - prefix + 1 << false;
}

void FramingTest::framedMessageLimit()
{
    QFETCH(int, textLength);
    QFETCH(bool, accepted);

    auto *bob = m_server.add<FramedClient>();
    QVERIFY(bob->signOn(serverAddress, m_server.port(), QStringLiteral("bob")));
    auto *ann = m_server.add<FramedClient>();
    QVERIFY(ann->signOn(serverAddress, m_server.port(), QStringLiteral("ann")));
    QCOMPARE(bob->receive(1), QStringList{"Joined ann"});

    const QString message = QStringLiteral("Message ann:") + QString(textLength, QLatin1Char('t'));
    ann->send(message);
    if (accepted) {
        QCOMPARE(bob->receive(1), QStringList{message});
        QVERIFY(ann->isConnected());
        return;
    }
    QVERIFY(ann->waitForDisconnected());
    QCOMPARE(bob->receive(1), QStringList{"Left ann"});
    QVERIFY2(m_server.logHas(QStringLiteral("closed: received a framed message over 65536 bytes")), qPrintable(m_server.log()));
    bob->send(QStringLiteral("Message bob:still running"));
    QCOMPARE(bob->receive(1), QStringList{"Message bob:still running"});
}

QTEST_GUILESS_MAIN(FramingTest)
#include "tst_framing.moc"
