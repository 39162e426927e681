// Several korvani-server processes sharing one room through real nats-server processes: users of
// different servers chat, names are unique across servers, and a server or a NATS server killed
// costs only what it must.

#include "support/EventLoopWait.h"
#include "support/TestClient.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>
#include <vector>

namespace {
// NATS servers on .229 to .231, chat servers on .232 to .234.
QHostAddress natsAddress(int index)
{
    return QHostAddress(QStringLiteral("127.0.0.%1").arg(229 + index));
}
QHostAddress nodeAddress(int index)
{
    return QHostAddress(QStringLiteral("127.0.0.%1").arg(232 + index));
}
constexpr quint16 natsPort = 4222;
constexpr quint16 routePort = 6222;
constexpr quint16 chatPort = 1290;
// What the room promises for a server gone without a word.
constexpr int DeadNodeMs = 30000;

QString natsUrl(int index, quint16 port = natsPort)
{
    return QStringLiteral("nats://%1:%2").arg(natsAddress(index).toString()).arg(port);
}

// A child process whose standard error is collected, killed when the test is done with it.
struct Child
{
    QProcess process;
    QString log;

    ~Child()
    {
        process.kill();
        process.waitForFinished();
    }

    bool start(const QString &program, const QStringList &arguments, const QString &ready)
    {
        process.setProcessChannelMode(QProcess::MergedChannels);
        QObject::connect(&process, &QProcess::readyRead, [this] { log += QString::fromLocal8Bit(process.readAll()); });
        process.start(program, arguments);
        return EventLoopWait::until([&] { return log.contains(ready); }, 20000);
    }
};
} // namespace

class ClusterProcessTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void usersOfTwoServersChat();
    void nameTakenOnOneServerIsRefusedOnAnother();
    void killedServerLeavesOncePerUser();
    void killedNatsServerLosesNothing();

private:
    bool startNats(int count);
    bool startNode(int index, const QStringList &urls);

    QTemporaryDir m_storage;
    std::vector<std::unique_ptr<Child>> m_nats;
    std::vector<std::unique_ptr<Child>> m_nodes;
};

void ClusterProcessTest::initTestCase()
{
    if (QStandardPaths::findExecutable(QStringLiteral("nats-server")).isEmpty())
        QSKIP("nats-server is not installed (scripts/install-deps.sh installs it)");
    const QString module = QFileInfo(QStringLiteral(KORVANI_SERVER_PATH)).absolutePath() + "/korvani-cluster.so";
    if (!QFileInfo::exists(module))
        QSKIP("korvani-cluster.so was not built: libnats-dev is missing");
    QVERIFY(m_storage.isValid());
}

void ClusterProcessTest::cleanup()
{
    if (QTest::currentTestFailed())
        for (const auto &node : m_nodes)
            qInfo().noquote() << "korvani-server log:\n" << node->log;
    m_nodes.clear();
    m_nats.clear();
}

// One NATS server with JetStream, or a NATS cluster of `count` of them.
bool ClusterProcessTest::startNats(int count)
{
    QStringList routes;
    for (int index = 0; index < count; ++index)
        routes += QStringLiteral("nats://%1:%2").arg(natsAddress(index).toString()).arg(routePort);
    for (int index = 0; index < count; ++index) {
        const QString storage = m_storage.filePath(QStringLiteral("nats%1-%2").arg(index).arg(QTest::currentTestFunction()));
        QStringList arguments{"-a", natsAddress(index).toString(), "-p", QString::number(natsPort), "-js",
                              "-sd", storage, "-n", QStringLiteral("nats%1").arg(index)};
        if (count > 1)
            arguments += {"--cluster_name", "korvani", "--cluster", routes.at(index), "--routes", routes.join(',')};
        m_nats.push_back(std::make_unique<Child>());
        if (!m_nats.back()->start(QStringLiteral("nats-server"), arguments, QStringLiteral("Server is ready")))
            return false;
    }
    // A NATS cluster has JetStream once its servers have chosen a leader.
    return count == 1
        || EventLoopWait::until(
               [&] {
                   for (const auto &nats : m_nats)
                       if (nats->log.contains(QStringLiteral("JetStream cluster new metadata leader")))
                           return true;
                   return false;
               },
               20000);
}

bool ClusterProcessTest::startNode(int index, const QStringList &urls)
{
    m_nodes.push_back(std::make_unique<Child>());
    return m_nodes.back()->start(QStringLiteral(KORVANI_SERVER_PATH),
                                 {"--listen", nodeAddress(index).toString(), "--port", QString::number(chatPort),
                                  "--admin-password", "secret", "--cluster", urls.join(',')},
                                 QStringLiteral("listening on"));
}

void ClusterProcessTest::usersOfTwoServersChat()
{
    QVERIFY(startNats(1));
    QVERIFY(startNode(0, {natsUrl(0)}));
    QVERIFY(startNode(1, {natsUrl(0)}));
    TestClient anna;
    QVERIFY(anna.signOn(nodeAddress(0), chatPort, QStringLiteral("anna")));
    TestClient bert;
    QVERIFY(bert.connectTo(nodeAddress(1), chatPort));
    bert.send(QStringLiteral("Join bert"));
    QVERIFY(bert.waitForBlocks(4));
    QCOMPARE(bert.takeBlocks().mid(2), (QStringList{"UserList anna", "UserList bert"}));
    QCOMPARE(anna.receive(1), QStringList{"Joined bert"});

    QStringList expected;
    // Within what a client may send at once.
    for (int number = 1; number <= 90; ++number) {
        anna.send(QStringLiteral("Message anna:line %1").arg(number));
        expected += QStringLiteral("Message anna:line %1").arg(number);
    }
    QVERIFY(bert.waitForBlocks(int(expected.size())));
    EventLoopWait::during(300);
    QCOMPARE(bert.takeBlocks(), expected);

    QCOMPARE(anna.receive(int(expected.size())), expected);
    bert.send(QStringLiteral("PMMessage anna:bert|psst"));
    QVERIFY(anna.waitForBlocks(1));
    QCOMPARE(anna.takeBlocks(), QStringList{"PMMessage bert|psst"});

    // An operator on one server kicks a user of the other.
    anna.send(QStringLiteral("Prompt login secret"));
    anna.send(QStringLiteral("Prompt kick bert"));
    QCOMPARE(bert.receive(1), QStringList{"UKicked anna"});
    QVERIFY(bert.waitForDisconnected());
    QCOMPARE(anna.receive(1), QStringList{"Kicked bert"});
}

void ClusterProcessTest::nameTakenOnOneServerIsRefusedOnAnother()
{
    QVERIFY(startNats(1));
    QVERIFY(startNode(0, {natsUrl(0)}));
    TestClient anna;
    QVERIFY(anna.signOn(nodeAddress(0), chatPort, QStringLiteral("anna")));
    // A server that starts later learns of the users already there.
    QVERIFY(startNode(1, {natsUrl(0)}));
    // Each look signs on under a name of its own, so it never waits for an earlier look's name to
    // come free, and has the time a loaded machine may take for a paced greeting.
    int look = 0;
    QVERIFY(EventLoopWait::until(
        [&] {
            TestClient bert;
            bert.connectTo(nodeAddress(1), chatPort);
            bert.send(QStringLiteral("Join bert%1").arg(++look));
            return bert.waitForBlocks(4, 5000) && bert.takeBlocks().contains(QStringLiteral("UserList anna"));
        },
        30000));
    TestClient other;
    QVERIFY(other.connectTo(nodeAddress(1), chatPort));
    other.send(QStringLiteral("Join anna"));
    QCOMPARE(other.receive(1), QStringList{"ErrUsername anna"});

    // Free again as soon as its holder leaves.
    anna.send(QStringLiteral("Leave anna"));
    QVERIFY(anna.waitForDisconnected());
    other.send(QStringLiteral("Join anna"));
    QVERIFY(other.waitForBlocks(3));
    QVERIFY(other.takeBlocks().contains(QStringLiteral("Welcome Korvani")));
}

void ClusterProcessTest::killedServerLeavesOncePerUser()
{
    QVERIFY(startNats(1));
    QVERIFY(startNode(0, {natsUrl(0)}));
    QVERIFY(startNode(1, {natsUrl(0)}));
    TestClient anna;
    QVERIFY(anna.signOn(nodeAddress(0), chatPort, QStringLiteral("anna")));
    TestClient bert;
    QVERIFY(bert.signOn(nodeAddress(0), chatPort, QStringLiteral("bert")));
    TestClient cyril;
    QVERIFY(cyril.signOn(nodeAddress(1), chatPort, QStringLiteral("cyril")));
    QVERIFY(anna.waitForBlocks(2));
    cyril.takeBlocks();

    m_nodes.front()->process.kill();
    QVERIFY(cyril.waitForBlocks(2, DeadNodeMs));
    QStringList left = cyril.takeBlocks();
    left.sort();
    QCOMPARE(left, (QStringList{"Left anna", "Left bert"}));

    // The dead server's names come free for the servers left.
    TestClient again;
    QVERIFY(again.connectTo(nodeAddress(1), chatPort));
    QStringList answers;
    QVERIFY(EventLoopWait::until(
        [&] {
            again.send(QStringLiteral("Join anna"));
            again.waitForBlocks(1, 500);
            answers += again.takeBlocks();
            return answers.contains(QStringLiteral("Welcome Korvani"));
        },
        DeadNodeMs));
    EventLoopWait::during(1000);
    QCOMPARE(cyril.takeBlocks(), QStringList{"Joined anna"});
}

void ClusterProcessTest::killedNatsServerLosesNothing()
{
    QVERIFY(startNats(3));
    const QStringList urls{natsUrl(0), natsUrl(1), natsUrl(2)};
    for (int node = 0; node < 3; ++node)
        QVERIFY(startNode(node, urls));
    TestClient anna;
    QVERIFY(anna.signOn(nodeAddress(0), chatPort, QStringLiteral("anna")));
    TestClient bert;
    QVERIFY(bert.signOn(nodeAddress(1), chatPort, QStringLiteral("bert")));
    TestClient cyril;
    QVERIFY(cyril.signOn(nodeAddress(2), chatPort, QStringLiteral("cyril")));
    QCOMPARE(anna.receive(2), (QStringList{"Joined bert", "Joined cyril"}));
    QCOMPARE(bert.receive(1), QStringList{"Joined cyril"});

    // The NATS server that anna's server goes through.
    const auto through = std::find_if(m_nats.begin(), m_nats.end(), [&](const auto &nats) {
        const qsizetype index = &nats - &m_nats.front();
        return m_nodes.front()->log.contains(QStringLiteral("through the NATS server at ") + natsUrl(int(index)));
    });
    QVERIFY(through != m_nats.end());

    QStringList expected;
    for (int number = 1; number <= 90; ++number) {
        if (number == 30)
            (*through)->process.kill();
        anna.send(QStringLiteral("Message anna:line %1").arg(number));
        expected += QStringLiteral("Message anna:line %1").arg(number);
    }
    for (TestClient *reader : {&bert, &cyril}) {
        QVERIFY(reader->waitForBlocks(int(expected.size()), 30000));
        EventLoopWait::during(1000);
        QCOMPARE(reader->takeBlocks(), expected);
    }
}

QTEST_GUILESS_MAIN(ClusterProcessTest)
#include "tst_clusterprocess.moc"
