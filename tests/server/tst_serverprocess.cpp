// korvani-server as a program: its options, its log lines, its stop on signals, and messages that
// stay apart on their way to a client in another process.

#include "support/EventLoopWait.h"
#include "support/TestClient.h"

#include <QProcess>
#include <QTcpServer>
#include <QTest>

#include <csignal>
#include <memory>
#include <sys/resource.h>
#include <vector>

namespace {
const QHostAddress serverAddress(QStringLiteral("127.0.0.21"));
constexpr quint16 serverPort = 1290;
}

class ServerProcessTest : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();

    void helpExplainsEveryOption();
    void badOptionsAreRefused_data();
    void badOptionsAreRefused();
    void portInUseEndsWithAnError();
    void logHasALineForEachEvent();
    void fileLimitLowersTheConnectionLimit();
    void messagesReachAnotherProcessAsSeparateBlocks();
    void stopsCleanlyOnSignal_data();
    void stopsCleanlyOnSignal();

private:
    bool startServer(const QStringList &extraArguments, int fileLimit = 0);
    bool waitForLog(const QString &text);

    QProcess m_server;
    QString m_log;
};

void ServerProcessTest::cleanup()
{
    if (m_server.state() != QProcess::NotRunning) {
        m_server.kill();
        m_server.waitForFinished();
    }
    m_log.clear();
}

bool ServerProcessTest::startServer(const QStringList &extraArguments, int fileLimit)
{
    m_log.clear();
    m_server.setChildProcessModifier([fileLimit] {
        if (fileLimit > 0) {
            const rlimit limit = {rlim_t(fileLimit), rlim_t(fileLimit)};
            ::setrlimit(RLIMIT_NOFILE, &limit);
        }
    });
    disconnect(&m_server, nullptr, this, nullptr);
    connect(&m_server, &QProcess::readyReadStandardError, this,
            [this] { m_log += QString::fromLocal8Bit(m_server.readAllStandardError()); });
    m_server.start(QStringLiteral(KORVANI_SERVER_PATH),
                   QStringList{"--listen", serverAddress.toString(), "--port", QString::number(serverPort)}
                       + extraArguments);
    return waitForLog(QStringLiteral("listening on"));
}

bool ServerProcessTest::waitForLog(const QString &text)
{
    return EventLoopWait::until([&] { return m_log.contains(text); }, 10000);
}

void ServerProcessTest::helpExplainsEveryOption()
{
    QProcess process;
    process.start(QStringLiteral(KORVANI_SERVER_PATH), {QStringLiteral("--help")});
    QVERIFY(process.waitForFinished());
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 0);
    const QString help = QString::fromLocal8Bit(process.readAllStandardOutput());
    for (const char *option : {"--listen <ADDRESS>", "--port <N>", "--name <NAME>", "--motd <TEXT>",
                               "--admin-password <PW>", "--send-gap <MS>", "--max-connections <N>", "--tls-cert <FILE>",
                               "--tls-key <FILE>", "--tls-port <N>", "--tls-only", "--help"}) {
        QVERIFY2(help.contains(QLatin1String(option)), option);
    }
    QVERIFY(help.contains(QLatin1String("127.0.0.1")));
}

void ServerProcessTest::badOptionsAreRefused_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("complaint");

    QTest::newRow("port 0") << QStringList{"--port", "0"} << "--port takes a whole number from 1 to 65535, not \"0\"";
    QTest::newRow("port too high") << QStringList{"--port", "65536"} << "--port takes a whole number";
    QTest::newRow("port not a number") << QStringList{"--port", "http"} << "--port takes a whole number";
    QTest::newRow("host name as address") << QStringList{"--listen", "example.org"} << "Not an IP address: \"example.org\"";
    QTest::newRow("negative gap") << QStringList{"--send-gap", "-1"} << "--send-gap takes a whole number";
    QTest::newRow("no connections") << QStringList{"--max-connections", "0"} << "--max-connections takes";
    QTest::newRow("unknown option") << QStringList{"--verbose"} << "Unknown option \"verbose\"";
    QTest::newRow("value missing") << QStringList{"--motd"} << "Missing value after '--motd'";
    QTest::newRow("stray argument") << QStringList{"1290"} << "Unexpected argument: \"1290\"";
}

void ServerProcessTest::badOptionsAreRefused()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, complaint);

    QProcess process;
    process.start(QStringLiteral(KORVANI_SERVER_PATH), arguments);
    QVERIFY(process.waitForFinished());
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 2);
    const QString errors = QString::fromLocal8Bit(process.readAllStandardError());
    QVERIFY2(errors.contains(complaint), qPrintable(errors));
}

void ServerProcessTest::portInUseEndsWithAnError()
{
    QTcpServer occupant;
    QVERIFY(occupant.listen(serverAddress, serverPort));
    QProcess process;
    process.start(QStringLiteral(KORVANI_SERVER_PATH),
                  {"--listen", serverAddress.toString(), "--port", QString::number(serverPort)});
    QVERIFY(process.waitForFinished());
    QCOMPARE(process.exitCode(), 1);
    QVERIFY(QString::fromLocal8Bit(process.readAllStandardError()).contains(QLatin1String("cannot listen on 127.0.0.21 port 1290")));
}

void ServerProcessTest::logHasALineForEachEvent()
{
    QVERIFY(startServer({"--admin-password", "secret", "--max-connections", "3", "--name", "Home"}));
    QVERIFY(m_log.contains(QLatin1String("korvani-server: listening on 127.0.0.21:1290 as \"Home\"\n")));

    TestClient boss;
    QVERIFY(boss.signOn(serverAddress, serverPort, QStringLiteral("boss")));
    QVERIFY(waitForLog(QStringLiteral("#1 signed on as \"boss\"")));
    QVERIFY(m_log.contains(QLatin1String("#1 connected from 127.0.0.1:")));

    TestClient victim;
    QVERIFY(victim.connectTo(serverAddress, serverPort));
    victim.send(QStringLiteral("Join boss"));
    QVERIFY(waitForLog(QStringLiteral("#2 refused name \"boss\": in use")));
    victim.send(QStringLiteral("Join victim\n"));
    QVERIFY(waitForLog(QStringLiteral("#2 refused name \"victim\\x0a\": holds a forbidden character")));
    victim.send(QStringLiteral("Join victim"));

    TestClient leaver;
    QVERIFY(leaver.signOn(serverAddress, serverPort, QStringLiteral("leaver")));
    TestClient extra;
    // The server may close it before connectTo() looks.
    extra.connectTo(serverAddress, serverPort);
    QVERIFY(extra.waitForDisconnected());
    QVERIFY(waitForLog(QStringLiteral("#4 refused 127.0.0.1:")));
    QVERIFY(m_log.contains(QLatin1String("already 3 connections")));

    leaver.send(QStringLiteral("Leave leaver"));
    QVERIFY(waitForLog(QStringLiteral("#3 \"leaver\" left")));
    boss.send(QStringLiteral("Prompt login wrong"));
    QVERIFY(waitForLog(QStringLiteral("#1 refused operator login of \"boss\"")));
    boss.send(QStringLiteral("Prompt login secret"));
    boss.send(QStringLiteral("Prompt kick victim"));
    QVERIFY(waitForLog(QStringLiteral("#2 \"victim\" kicked by \"boss\"")));
    boss.disconnectFromServer();
    QVERIFY(waitForLog(QStringLiteral("#1 \"boss\" left (connection closed)")));
    // The password never reaches the log.
    QVERIFY(!m_log.contains(QLatin1String("secret")));
}

void ServerProcessTest::fileLimitLowersTheConnectionLimit()
{
    // A server out of descriptors could not even accept a connection to refuse it.
    QVERIFY(startServer({}, 24));
    QVERIFY(m_log.contains(QLatin1String("the file descriptor limit allows 8 connections, not 1000")));
    std::vector<std::unique_ptr<TestClient>> clients;
    for (int i = 0; i < 12; ++i) {
        clients.push_back(std::make_unique<TestClient>());
        clients.back()->connectTo(serverAddress, serverPort);
    }
    QVERIFY(waitForLog(QStringLiteral("#12 refused")));
    QCOMPARE(m_log.count(QLatin1String("already 8 connections")), 4);
    for (int i = 8; i < 12; ++i)
        QVERIFY(clients[i]->waitForDisconnected());
    QVERIFY(clients[0]->isConnected());
    clients[0]->send(QStringLiteral("Join user0"));
    QCOMPARE(clients[0]->receive(3), (QStringList{QString::fromLatin1("\0Framing 1\0", 11), "Welcome Korvani",
                                                  "UserList user0"}));
}

void ServerProcessTest::messagesReachAnotherProcessAsSeparateBlocks()
{
    // A wider gap than the default, so this process reads each message before the next is sent
    // even while the machine is busy.
    QVERIFY(startServer({"--send-gap", "30", "--motd", "Rules: be nice"}));
    TestClient anna;
    QVERIFY(anna.signOn(serverAddress, serverPort, QStringLiteral("anna")));
    TestClient bert;
    QVERIFY(bert.signOn(serverAddress, serverPort, QStringLiteral("bert")));
    TestClient cyril;
    QVERIFY(cyril.connectTo(serverAddress, serverPort));
    cyril.send(QStringLiteral("Join cyril"));

    const QStringList greeting{QString::fromLatin1("\0Framing 1\0", 11), "Welcome Korvani", "Msgday Rules: be nice",
                               "UserList anna", "UserList bert", "UserList cyril"};
    QVERIFY(cyril.waitForBlocks(int(greeting.size())));
    EventLoopWait::during(100);
    QCOMPARE(cyril.takeBlocks(), greeting);
    QCOMPARE(anna.receive(2), (QStringList{"Joined bert", "Joined cyril"}));
}

void ServerProcessTest::stopsCleanlyOnSignal_data()
{
    QTest::addColumn<int>("signalNumber");

    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
}

void ServerProcessTest::stopsCleanlyOnSignal()
{
    QFETCH(int, signalNumber);

    QVERIFY(startServer({}));
    TestClient anna;
    QVERIFY(anna.signOn(serverAddress, serverPort, QStringLiteral("anna")));
    TestClient silent;
    QVERIFY(silent.connectTo(serverAddress, serverPort));

    QCOMPARE(::kill(pid_t(m_server.processId()), signalNumber), 0);
    QVERIFY(m_server.waitForFinished());
    QCOMPARE(m_server.exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_server.exitCode(), 0);
    m_log += QString::fromLocal8Bit(m_server.readAllStandardError());
    QVERIFY(m_log.contains(QStringLiteral("stopping on signal %1").arg(signalNumber)));
    QVERIFY(anna.waitForDisconnected());
    QVERIFY(silent.waitForDisconnected());
}

QTEST_GUILESS_MAIN(ServerProcessTest)
#include "tst_serverprocess.moc"
