// Service for well-behaved users while others abuse the server: crowds of connections that never
// sign on, a client flooding the room, readers that stop reading.

#include "ChatServer.h"
#include "InProcessServer.h"
#include "LogThrottle.h"
#include "support/EventLoopWait.h"
#include "FramedClient.h"
#include "RawClient.h"
#include "support/TestClient.h"

#include "net/Windows1250.h"

#include <QTest>

#include <memory>
#include <vector>

namespace {
const QHostAddress serverAddress(QStringLiteral("127.0.0.110"));
// Source addresses, so that limits per address can be seen on loopback.
const QHostAddress crowdAddress(QStringLiteral("127.0.0.111"));
const QHostAddress otherAddress(QStringLiteral("127.0.0.112"));
const QHostAddress userAddress(QStringLiteral("127.0.0.113"));
}

class FairServiceTest : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();

    void silentConnectionsNeverLockOutUsers();
    void refusedNamesCostTheLogLittle();
    void flooderIsHeldBackAndNobodyIsCutOff();
    void emptyFramesCostTheirRateToo();
    void readerIsClosedOnlyWhenItStopsTaking_data();
    void readerIsClosedOnlyWhenItStopsTaking();
    void readerIsClosedWhileTheKernelHoldsWhatWaits();
    void newcomerAmongNonReadersIsServed_data();
    void newcomerAmongNonReadersIsServed();

private:
    void startServer(const ServerSettings &settings);

    InProcessServer m_server;
    std::vector<std::unique_ptr<RawClient>> m_rawClients;
};

void FairServiceTest::startServer(const ServerSettings &settings)
{
    QVERIFY(m_server.start(settings));
}

void FairServiceTest::cleanup()
{
    m_rawClients.clear();
    m_server.stop();
}

void FairServiceTest::silentConnectionsNeverLockOutUsers()
{
    ServerSettings settings = InProcessServer::settingsFor(serverAddress);
    settings.limits.maxPendingPerAddress = 4;
    settings.limits.maxPendingConnections = 6;
    settings.limits.pendingGraceMs = 300;
    settings.limits.firstMessageTimeoutMs = 2000;
    startServer(settings);

    auto silent = [this](const QHostAddress &source) {
        m_rawClients.push_back(std::make_unique<RawClient>());
        return m_rawClients.back()->connectTo(serverAddress, m_server.port(), source);
    };
    for (int i = 0; i < 10; ++i)
        QVERIFY(silent(crowdAddress));
    QVERIFY(EventLoopWait::until([this] { return m_server.logCount(QStringLiteral("refused")) == 6; }, 10000));
    QCOMPARE(m_server.logCount(QStringLiteral("already 4 connections from this address not signed on")), 6);
    for (int i = 0; i < 2; ++i)
        QVERIFY(silent(otherAddress));
    QVERIFY(EventLoopWait::until([this] { return m_server.server().connectionCount() == 6; }, 10000));

    // Past their grace the oldest silent connections make room, for newcomers from anywhere.
    EventLoopWait::during(400);
    auto *ann = m_server.add<FramedClient>();
    QVERIFY(ann->signOn(serverAddress, m_server.port(), QStringLiteral("ann"), userAddress));
    auto *bob = m_server.add<FramedClient>();
    QVERIFY(bob->signOn(serverAddress, m_server.port(), QStringLiteral("bob"), crowdAddress));
    QVERIFY(m_server.logCount(QStringLiteral("closed: not signed on, making room for newer connections")) >= 1);
    ann->send(QStringLiteral("Message ann:hello"));
    QCOMPARE(bob->receive(1), QStringList{"Message ann:hello"});

    // Connections that never speak are closed; the users stay.
    QVERIFY(EventLoopWait::until([this] { return m_server.server().connectionCount() == 2; }, 10000));
    QVERIFY(m_server.logCount(QStringLiteral("closed: not signed on in time")) >= 1);
    bob->send(QStringLiteral("Message bob:still here"));
    QCOMPARE(ann->receive(3), (QStringList{"Joined bob", "Message ann:hello", "Message bob:still here"}));
    QCOMPARE(m_server.server().room().userNames(), (QStringList{"ann", "bob"}));
}

void FairServiceTest::refusedNamesCostTheLogLittle()
{
    startServer(InProcessServer::settingsFor(serverAddress));
    auto *anna = m_server.add<FramedClient>();
    QVERIFY(anna->signOn(serverAddress, m_server.port(), QStringLiteral("anna"), userAddress));
    std::vector<FramedClient *> refused;
    for (int i = 0; i < 4; ++i) {
        refused.push_back(m_server.add<FramedClient>());
        QVERIFY(refused.back()->connectTo(serverAddress, m_server.port(), crowdAddress));
    }
    const QByteArray longName = "Join " + QByteArray(2000, 'n') + '\n';
    for (int i = 0; i < 40; ++i) {
        for (FramedClient *client : refused)
            client->queueRaw(longName);
        EventLoopWait::during(5);
    }
    QVERIFY(EventLoopWait::until([&] { return refused.front()->messageCount() == 40; }, 20000));
    const int linesAboutCrowd = m_server.logCount(crowdAddress.toString()) + m_server.logCount(QStringLiteral("refused name"));
    QVERIFY2(linesAboutCrowd <= LogThrottle::BurstLines + 8, qPrintable(QString::number(linesAboutCrowd)));
    for (const QString &line : m_server.log().split(QLatin1Char('\n')))
        QVERIFY2(line.size() <= 200, qPrintable(line.left(200)));

    // Lines about other addresses still go, and the crowd's next line says how many were left out.
    anna->send(QStringLiteral("Leave anna"));
    QVERIFY(m_server.logHas(QStringLiteral("\"anna\" left")));
    QVERIFY(EventLoopWait::until([&] {
        refused.front()->sendRaw("Join " + QByteArray(10, 'n') + '\n');
        return m_server.logHas(QStringLiteral("lines about connections from 127.0.0.111 left out"));
    }, 20000));
}

void FairServiceTest::flooderIsHeldBackAndNobodyIsCutOff()
{
    ServerSettings settings = InProcessServer::settingsFor(serverAddress);
    settings.limits.messageBurst = 20;
    settings.limits.messagesPerSecond = 50;
    // Unframed readers take one message per gap, as fast as the flood comes in: their queue stays
    // above this for much longer than the stall time-out, and they still take data all along.
    settings.gapMs = 20;
    settings.limits.stalledQueueBytes = 8 * 1024;
    settings.limits.stallTimeoutMs = 300;
    startServer(settings);

    auto *anna = m_server.add<TestClient>();
    QVERIFY(anna->signOn(serverAddress, m_server.port(), QStringLiteral("anna")));
    auto *bert = m_server.add<FramedClient>();
    QVERIFY(bert->signOn(serverAddress, m_server.port(), QStringLiteral("bert")));
    auto *cyd = m_server.add<FramedClient>();
    QVERIFY(cyd->signOn(serverAddress, m_server.port(), QStringLiteral("cyd")));
    auto *flooder = m_server.add<FramedClient>();
    QVERIFY(flooder->signOn(serverAddress, m_server.port(), QStringLiteral("flooder")));
    QCOMPARE(anna->receive(3), (QStringList{"Joined bert", "Joined cyd", "Joined flooder"}));
    QCOMPARE(bert->receive(2), (QStringList{"Joined cyd", "Joined flooder"}));
    QCOMPARE(cyd->receive(1), QStringList{"Joined flooder"});

    constexpr int floodSize = 200;
    const QString padding(1000, QLatin1Char('f'));
    QStringList flood;
    QByteArray bytes;
    for (int i = 0; i < floodSize; ++i) {
        flood += QStringLiteral("Message flooder:%1 %2").arg(i).arg(padding);
        bytes += Windows1250::encode(flood.constLast()) + '\0';
    }
    flooder->sendRaw(bytes);
    cyd->send(QStringLiteral("Message cyd:hello"));

    // The flood is delivered whole and in order, and cyd's message is not stuck behind it.
    for (auto *reader : {bert, cyd}) {
        QStringList received = reader->receive(floodSize + 1);
        const qsizetype hello = received.indexOf(QStringLiteral("Message cyd:hello"));
        QVERIFY(hello >= 0 && hello < floodSize / 2);
        received.remove(hello);
        QCOMPARE(received, flood);
    }
    QStringList received = anna->receive(floodSize + 1);
    const qsizetype hello = received.indexOf(QStringLiteral("Message cyd:hello"));
    QVERIFY(hello >= 0 && hello < floodSize / 2);
    received.remove(hello);
    QCOMPARE(received, flood);
    QCOMPARE(flooder->receive(floodSize + 1).size(), floodSize + 1);
    QCOMPARE(m_server.logCount(QStringLiteral("closed:")), 0);
    QCOMPARE(m_server.server().room().userNames(), (QStringList{"anna", "bert", "cyd", "flooder"}));
}

void FairServiceTest::emptyFramesCostTheirRateToo()
{
    ServerSettings settings = InProcessServer::settingsFor(serverAddress);
    settings.limits.byteBurst = 16 * 1024;
    settings.limits.bytesPerSecond = 16 * 1024;
    startServer(settings);
    auto *anna = m_server.add<FramedClient>();
    QVERIFY(anna->signOn(serverAddress, m_server.port(), QStringLiteral("anna")));
    auto *flooder = m_server.add<FramedClient>();
    QVERIFY(flooder->signOn(serverAddress, m_server.port(), QStringLiteral("flooder")));
    QCOMPARE(anna->receive(1), QStringList{"Joined flooder"});

    // Empty frames carry no message, but reading them costs the server all the same.
    flooder->sendRaw(QByteArray(256 * 1024, '\0') + "Message flooder:after" + '\0');
    anna->send(QStringLiteral("Message anna:hello"));
    QCOMPARE(anna->receive(1), QStringList{"Message anna:hello"});
    QCOMPARE(anna->takeMessages(), QStringList{});
    QVERIFY(flooder->isConnected());
}

void FairServiceTest::readerIsClosedOnlyWhenItStopsTaking_data()
{
    QTest::addColumn<int>("stallTimeoutMs");
    QTest::addColumn<qint64>("maxQueuedBytes");
    QTest::addColumn<QString>("reason");

    QTest::newRow("takes nothing for a while") << 500 << qint64(64 * 1024 * 1024)
                                               << QStringLiteral("waiting bytes for");
    QTest::newRow("queue reaches the hard cap") << 600000 << qint64(1024 * 1024)
                                                << QStringLiteral("more than 1048576 bytes waiting to be sent");
}

void FairServiceTest::readerIsClosedOnlyWhenItStopsTaking()
{
    QFETCH(int, stallTimeoutMs);
    QFETCH(qint64, maxQueuedBytes);
    QFETCH(QString, reason);

    ServerSettings settings = InProcessServer::settingsFor(serverAddress);
    settings.limits.byteBurst = 1e9;
    settings.limits.stalledQueueBytes = 256 * 1024;
    settings.limits.stallTimeoutMs = stallTimeoutMs;
    settings.limits.maxQueuedBytes = maxQueuedBytes;
    startServer(settings);
    // Framed readers: a message this long could reach an unframed one in two reads.
    auto *anna = m_server.add<FramedClient>();
    QVERIFY(anna->signOn(serverAddress, m_server.port(), QStringLiteral("anna")));
    auto *bert = m_server.add<FramedClient>();
    QVERIFY(bert->signOn(serverAddress, m_server.port(), QStringLiteral("bert")));
    m_rawClients.push_back(std::make_unique<RawClient>());
    RawClient *stuck = m_rawClients.back().get();
    QVERIFY(stuck->connectTo(serverAddress, m_server.port()));
    QVERIFY(stuck->send("Join stuck"));
    QCOMPARE(bert->receive(1), QStringList{"Joined stuck"});
    anna->takeMessages();

    // Large messages fill the kernel's buffers towards the stuck client first, then the server's
    // queue for it; anna and bert read every one of them meanwhile.
    const QString message = QStringLiteral("Message anna:") + QString(60000, QLatin1Char('m'));
    const QString left = QStringLiteral("Left stuck");
    // The stuck client may be closed while a message is on its way; its "Left" then comes first.
    QStringList leftSeen;
    auto receiveMessage = [&](FramedClient *reader, const QString &name) {
        QStringList next = reader->receive(1);
        if (next == QStringList{left}) {
            leftSeen.append(name);
            next = reader->receive(1);
        }
        return next;
    };
    int sent = 0;
    while (m_server.logCount(reason) == 0 && sent < 1000) {
        anna->send(message);
        ++sent;
        QCOMPARE(receiveMessage(anna, QStringLiteral("anna")), QStringList{message});
        QCOMPARE(receiveMessage(bert, QStringLiteral("bert")), QStringList{message});
    }
    QCOMPARE(m_server.logCount(QStringLiteral("closed:")), 1);
    QVERIFY2(m_server.logCount(reason) == 1, qPrintable(m_server.log()));
    if (!leftSeen.contains(QStringLiteral("anna")))
        QCOMPARE(anna->receive(1), QStringList{left});
    if (!leftSeen.contains(QStringLiteral("bert")))
        QCOMPARE(bert->receive(1), QStringList{left});
    QCOMPARE(m_server.server().room().userNames(), (QStringList{"anna", "bert"}));
    QCOMPARE(m_server.server().connectionCount(), 2);
}

void FairServiceTest::readerIsClosedWhileTheKernelHoldsWhatWaits()
{
    ServerSettings settings = InProcessServer::settingsFor(serverAddress);
    settings.limits.stalledQueueBytes = 64 * 1024;
    settings.limits.stallTimeoutMs = 500;
    startServer(settings);
    auto *anna = m_server.add<FramedClient>();
    QVERIFY(anna->signOn(serverAddress, m_server.port(), QStringLiteral("anna")));
    m_rawClients.push_back(std::make_unique<RawClient>());
    RawClient *stuck = m_rawClients.back().get();
    QVERIFY(stuck->connectTo(serverAddress, m_server.port()));
    QVERIFY(stuck->send("Join stuck"));
    QCOMPARE(anna->receive(1), QStringList{"Joined stuck"});

    // Less than the kernel's send buffer: all of it leaves the server's queue, none of it is read.
    const QString message = QStringLiteral("Message anna:") + QString(16000, QLatin1Char('m'));
    for (int i = 0; i < 10; ++i) {
        anna->send(message);
        QCOMPARE(anna->receive(1), QStringList{message});
    }
    QVERIFY2(EventLoopWait::until([this] { return m_server.logHas(QStringLiteral("waiting bytes for")); }, 10000),
             qPrintable(m_server.log()));
    QCOMPARE(anna->receive(1), QStringList{"Left stuck"});
    QCOMPARE(m_server.server().room().userNames(), QStringList{"anna"});
}

void FairServiceTest::newcomerAmongNonReadersIsServed_data()
{
    QTest::addColumn<bool>("framed");

    QTest::newRow("framed newcomer") << true;
    QTest::newRow("newcomer that never answers the offer") << false;
}

void FairServiceTest::newcomerAmongNonReadersIsServed()
{
    QFETCH(bool, framed);

    ServerSettings settings = InProcessServer::settingsFor(serverAddress);
    // The server's usual gap, so the unframed newcomer reads each message of its long greeting on
    // its own.
    settings.gapMs = 5;
    QVERIFY(m_server.start(settings));
    constexpr int nonReaders = 200;
    QStringList userList;
    for (int i = 0; i < nonReaders; ++i) {
        m_rawClients.push_back(std::make_unique<RawClient>());
        QVERIFY(m_rawClients.back()->connectTo(serverAddress, m_server.port(), crowdAddress));
        QVERIFY(m_rawClients.back()->send("Join deaf" + QByteArray::number(i)));
        userList += QStringLiteral("UserList deaf%1").arg(i);
    }
    userList += QStringLiteral("UserList newcomer");

    auto *newcomer = m_server.add<FramedClient>(framed ? FramedClient::Answer::Automatic : FramedClient::Answer::ByHand);
    QVERIFY(newcomer->connectTo(serverAddress, m_server.port(), userAddress));
    newcomer->sendRaw("Join newcomer");
    QCOMPARE(newcomer->receive(int(userList.size()) + 1), QStringList{"Welcome Test"} + userList);
    newcomer->send(QStringLiteral("Message newcomer:hello"));
    QCOMPARE(newcomer->receive(1), QStringList{"Message newcomer:hello"});
    QCOMPARE(newcomer->serverSwitched(), framed);
    QCOMPARE(m_server.server().room().userNames().size(), nonReaders + 1);
}

QTEST_GUILESS_MAIN(FairServiceTest)
#include "tst_fairservice.moc"
