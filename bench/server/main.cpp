// bench_server: clients on loopback against a korvani-server child process.
//
// Throughput: N clients, each sending M public messages, once with clients that read as today's
// client does (the server paces its messages) and once with clients that switch to framing. Prints
// deliveries per second, latency from send to delivery at every client, merged and lost messages,
// the server's memory.
//
// Abuse: 1,000 connections that never sign on; one user flooding the room with 500 messages of
// 1 KB a second; one framed client writing 1 KB messages as fast as it can for 30 s; a room of 1,000 reading users (the time one message takes to reach everyone, the
// server's processor time for the sign-ons); a newcomer among 1,000 users who never read. Each
// prints what well-behaved users get meanwhile.
//
// TLS: rate runs of framed clients, plain and with TLS, side by side (--tls-rates): deliveries per
// second and the server's processor time per delivery, with a self-signed certificate made by the
// openssl program.
//
// Mixed room: 100 framed users chatting in Polish with an emoji, once all in Windows-1250 and once
// half of them in UTF-8, in turn; the server's processor time per delivery of each, and their ratio.
//
// Cluster (--cluster, ClusterBench): rate runs of one room on three korvani-servers through three
// nats-servers, and of one korvani-server holding the same users; the korvani-servers listen on
// --address and the two addresses after it, the NATS servers on the three after those.
//
// Side by side (SideBySide): rate runs and sign-on runs of this server, of any other builds given
// with --compare, and of ngircd when it is installed, in turn; medians and ratios to ngircd.
//
//   bench_server [--address 127.0.0.39] [--port 1290] [--runs 10x100,100x100,1000x2]
//                [--modes paced,framed]
//                [--scenarios throughput,silent,flooder,framedflood,room,newcomer,mixed,rates,signon,tls]
//                [--rates 1000x0.2x6,100x1x30,1000x5x2] [--tls-rates 100x10x100] [--repeat 3]
//                [--compare LABEL=PATH,...] [--ngircd /usr/sbin/ngircd]
//                [--send-gap MS] [--server PATH] [--cluster 3000x0.2x12]

#include "BenchClient.h"
#include "BenchLoop.h"
#include "ClusterBench.h"
#include "DeliveryStats.h"
#include "FramingBytes.h"
#include "RawConnections.h"
#include "ServerChild.h"
#include "SideBySide.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <functional>
#include <memory>
#include <sys/resource.h>
#include <vector>

namespace {
using namespace BenchLoop;
using Mode = BenchClient::Mode;

struct Run
{
    int clients = 0;
    int messages = 0;
};

struct Bench
{
    QString serverProgram;
    QHostAddress address;
    quint16 port = 1290;
    QStringList serverArguments;
};

// Source addresses of the abusers, so that limits per address show as they would on a network.
QHostAddress abuserAddress(int index)
{
    return QHostAddress(QStringLiteral("127.0.0.%1").arg(140 + index % 10));
}

const char *modeName(Mode mode)
{
    return mode == Mode::Paced ? "paced" : "framed";
}

void raiseFileLimit()
{
    rlimit limit = {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        ::setrlimit(RLIMIT_NOFILE, &limit);
    }
}

bool startServer(ServerChild *server, const Bench &bench, int connections)
{
    return server->start(bench.serverProgram, bench.address, bench.port,
                         bench.serverArguments + QStringList{"--max-connections", QString::number(connections)});
}

// What every scenario has: the server, the clock that times it, what the clients saw, the clients.
struct Session
{
    ServerChild server;
    QElapsedTimer clock;
    DeliveryStats stats;
    Clients clients;

    bool start(const Bench &bench, int connections)
    {
        clock.start();
        return startServer(&server, bench, connections);
    }
};

struct Exchange
{
    qint64 expected = 0;
    qint64 received = 0;
    double seconds = 0;
};

// Every client sends its messages; waits until each client has every message of every client.
Exchange exchangeMessages(const Clients &clients, qint64 messagesPerClient, const QElapsedTimer &clock, int timeoutMs)
{
    Exchange exchange;
    const qint64 expectedPerClient = qint64(clients.size()) * messagesPerClient;
    const qint64 start = clock.nsecsElapsed();
    for (const auto &client : clients)
        client->startSending();
    runUntil([&] {
        return std::all_of(clients.begin(), clients.end(), [&](auto &c) { return c->messagesReceived() >= expectedPerClient; });
    }, timeoutMs);
    exchange.seconds = double(clock.nsecsElapsed() - start) / 1e9;
    exchange.expected = expectedPerClient * qint64(clients.size());
    for (const auto &client : clients)
        exchange.received += client->messagesReceived();
    return exchange;
}

void printExchange(const Exchange &exchange, DeliveryStats &stats)
{
    std::printf("  delivered %lld of %lld messages (%lld missing at the end) in %.2f s: %.0f delivered per second; "
                "latency median %.1f ms, 99th percentile %.1f ms; blocks holding more than one message: %lld\n",
                static_cast<long long>(exchange.received), static_cast<long long>(exchange.expected),
                static_cast<long long>(exchange.expected - exchange.received), exchange.seconds,
                double(exchange.received) / exchange.seconds, stats.latencyMs(0.5), stats.latencyMs(0.99),
                static_cast<long long>(stats.mergedBlocks()));
}

int framedCount(const Clients &clients)
{
    return int(std::count_if(clients.begin(), clients.end(), [](auto &c) { return c->isFramed(); }));
}

bool throughput(const Bench &bench, const Run &run, Mode mode)
{
    Session session;
    if (!session.start(bench, run.clients + 16))
        return false;
    auto &[server, clock, stats, clients] = session;
    const qint64 emptyKiB = server.residentKiB();
    stats.reserve(qint64(run.clients) * run.clients * run.messages);
    if (!connectClients(&clients, run.clients, mode, run.messages, &clock, &stats, bench.address, bench.port))
        return false;
    const qint64 setupStart = clock.elapsed();
    const bool everyoneKnown = allHeardOf(clients, run.clients, 120000);
    const qint64 setupMs = clock.elapsed() - setupStart;
    // Let the last greeting messages drain, and the server hand the memory of its queues back,
    // before looking at idle memory.
    runUntil([] { return false; }, 3000);
    const qint64 idleKiB = server.residentKiB();
    int mergedGreeting = 0;
    for (const auto &client : clients)
        mergedGreeting += client->mergedGreetingBlocks();

    const int timeoutMs = int(std::min<qint64>(600000, 60000 + qint64(run.clients) * run.messages * 20));
    const Exchange exchange = exchangeMessages(clients, run.messages, clock, timeoutMs);
    const qint64 peakKiB = server.peakResidentKiB();
    const int framed = framedCount(clients);
    clients.clear();
    const bool stoppedCleanly = server.stop();

    std::printf("%d clients x %d messages, %s (%d of them framed)\n", run.clients, run.messages, modeName(mode), framed);
    std::printf("  sign-on of all clients: %s in %lld ms, greeting blocks holding more than one message: %d\n",
                everyoneKnown ? "complete" : "INCOMPLETE", static_cast<long long>(setupMs), mergedGreeting);
    std::printf("  server memory: %lld KiB with no client, %.1f KiB per idle connection, peak %lld KiB; "
                "stopped cleanly on SIGTERM: %s\n",
                static_cast<long long>(emptyKiB), double(idleKiB - emptyKiB) / run.clients,
                static_cast<long long>(peakKiB), stoppedCleanly ? "yes" : "NO");
    printExchange(exchange, stats);
    std::fflush(stdout);
    return exchange.received == exchange.expected;
}

// 1,000 connections from ten addresses that never sign on, then ten users chatting.
bool silentCrowd(const Bench &bench, Mode mode)
{
    constexpr int silentCount = 1000;
    constexpr int users = 10;
    constexpr int messages = 100;
    Session session;
    if (!session.start(bench, 1000))
        return false;
    auto &[server, clock, stats, clients] = session;
    RawConnections silent;
    for (int i = 0; i < silentCount; ++i) {
        silent.open(bench.address, bench.port, abuserAddress(i), QByteArray());
        // The server's log lines must keep flowing, or it stops while writing one.
        QCoreApplication::processEvents();
    }
    runUntil([] { return false; }, 1000);

    clock.restart();
    connectClients(&clients, users, mode, messages, &clock, &stats, bench.address, bench.port);
    const bool signedOn = allHeardOf(clients, users, 20000);
    const qint64 signOnMs = clock.elapsed();
    const Exchange exchange = signedOn ? exchangeMessages(clients, messages, clock, 60000) : Exchange{};
    const int closedBefore = silent.closedByServer();
    runUntil([&] { return silent.closedByServer() == silentCount; }, 15000);
    const qint64 allClosedMs = clock.elapsed();
    const int closed = silent.closedByServer();
    clients.clear();
    server.stop();

    std::printf("abuse: %d silent connections, then %d %s users\n", silentCount, users, modeName(mode));
    std::printf("  users signed on: %s after %lld ms; silent connections closed by the server: %d by the end of the "
                "chat, %d of %d after %.1f s\n",
                signedOn ? "all" : "NOT ALL", static_cast<long long>(signOnMs), closedBefore, closed, silentCount,
                double(allClosedMs) / 1000);
    if (signedOn)
        printExchange(exchange, stats);
    std::fflush(stdout);
    return signedOn && exchange.received == exchange.expected;
}

// 100 users chatting while an unframed client sends 500 messages of 1 KB a second.
bool flooder(const Bench &bench, Mode mode)
{
    constexpr int users = 100;
    constexpr int messages = 20;
    Session session;
    if (!session.start(bench, users + 16))
        return false;
    auto &[server, clock, stats, clients] = session;
    if (!connectClients(&clients, users, mode, messages, &clock, &stats, bench.address, bench.port) || !allHeardOf(clients, users, 60000))
        return false;
    runUntil([] { return false; }, 1000);

    QTcpSocket flood;
    flood.connectToHost(bench.address, bench.port);
    if (!runUntil([&] { return flood.state() == QAbstractSocket::ConnectedState; }, 10000))
        return false;
    flood.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    flood.write("Join flooder");
    QObject::connect(&flood, &QTcpSocket::readyRead, &flood, [&] { flood.readAll(); });
    const QByteArray floodMessage = "Message flooder:" + QByteArray(1000, 'f');
    qint64 floodSent = 0;
    QTimer floodTimer;
    QObject::connect(&floodTimer, &QTimer::timeout, &flood, [&] {
        // Held back by the server, the flooder's own buffer would grow without end.
        if (flood.bytesToWrite() < 1024 * 1024) {
            flood.write(floodMessage);
            ++floodSent;
        }
    });
    floodTimer.start(2);
    runUntil([] { return false; }, 1000);

    const Exchange exchange = exchangeMessages(clients, messages, clock, 60000);
    floodTimer.stop();
    const int connected = int(std::count_if(clients.begin(), clients.end(), [](auto &c) { return c->isConnected(); }));
    clients.clear();
    server.stop();

    std::printf("abuse: one client sending 500 messages of 1 KB a second among %d %s users\n", users, modeName(mode));
    std::printf("  flood messages written: %lld; users still connected at the end: %d of %d\n",
                static_cast<long long>(floodSent), connected, users);
    printExchange(exchange, stats);
    std::fflush(stdout);
    return exchange.received == exchange.expected;
}

// One framed client writing messages of 1 KB for 30 s as fast as its socket takes them: the
// server's resident memory before, after and at its peak.
bool framedFlood(const Bench &bench)
{
    constexpr int floodMs = 30000;
    Session session;
    if (!session.start(bench, 16))
        return false;
    QTcpSocket flood;
    flood.connectToHost(bench.address, bench.port);
    if (!runUntil([&] { return flood.state() == QAbstractSocket::ConnectedState; }, 10000))
        return false;
    flood.write("Join flooder");
    QByteArray greeting;
    QObject::connect(&flood, &QTcpSocket::readyRead, &flood, [&] {
        const QByteArray bytes = flood.readAll();
        if (greeting.size() < 4096)
            greeting += bytes;
    });
    if (!runUntil([&] { return greeting.contains(FramingBytes::offer()); }, 10000))
        return false;
    flood.write(FramingBytes::switchOver());
    runUntil([] { return false; }, 1000);
    const qint64 before = session.server.residentKiB();

    QByteArray batch;
    for (int i = 0; i < 64; ++i)
        batch += "Message flooder:" + QByteArray(1000, 'f') + FramingBytes::terminator;
    qint64 written = 0;
    QTimer floodTimer;
    QObject::connect(&floodTimer, &QTimer::timeout, &flood, [&] {
        if (flood.bytesToWrite() < 256 * 1024) {
            flood.write(batch);
            written += batch.size();
        }
    });
    floodTimer.start(0);
    runUntil([] { return false; }, floodMs);
    floodTimer.stop();
    const qint64 after = session.server.residentKiB();
    const qint64 peak = session.server.peakResidentKiB();
    const bool connected = flood.state() == QAbstractSocket::ConnectedState;
    session.server.stop();

    std::printf("abuse: one framed client writing messages of 1 KB as fast as the server takes them, %d s\n",
                floodMs / 1000);
    std::printf("  server resident memory %.1f MB before, %.1f MB after, peak %.1f MB; %.1f MB left the "
                "flooder's socket; flooder %s\n",
                double(before) / 1024, double(after) / 1024, double(peak) / 1024,
                double(written - flood.bytesToWrite()) / (1024 * 1024), connected ? "still connected" : "closed");
    std::fflush(stdout);
    return true;
}

// A self-signed certificate and key in folder, for the server's TLS port: its --tls-cert and
// --tls-key arguments, or none when openssl failed.
QStringList makeCertificate(const QString &folder, const QHostAddress &address)
{
    const QString cert = folder + QStringLiteral("/bench.crt");
    const QString key = folder + QStringLiteral("/bench.key");
    QProcess openssl;
    openssl.start(QStringLiteral("openssl"),
                  {"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes", "-keyout", key,
                   "-out", cert, "-days", "2", "-subj", "/CN=" + address.toString()});
    if (!openssl.waitForFinished(30000) || openssl.exitCode() != 0) {
        std::fprintf(stderr, "openssl could not make a certificate: %s\n", openssl.readAllStandardError().constData());
        return {};
    }
    return {QStringLiteral("--tls-cert"), cert, QStringLiteral("--tls-key"), key};
}

// One room of the mixed-room scenario: `users` framed users, every `utf8Every`-th of them in UTF-8
// (0: none), each sending `messages` messages of `text`. The server's processor time per delivery in
// microseconds; negative when not everything was delivered.
double roomCpuPerDelivery(const Bench &bench, int users, int utf8Every, int messages, const QString &text)
{
    Session session;
    if (!session.start(bench, users + 16))
        return -1;
    auto &[server, clock, stats, clients] = session;
    for (int i = 0; i < users; ++i) {
        const Mode mode = utf8Every > 0 && i % utf8Every == 0 ? Mode::FramedUtf8 : Mode::Framed;
        if (!connectClients(&clients, 1, mode, messages, &clock, &stats, bench.address, bench.port))
            return -1;
        clients.back()->setText(text);
    }
    if (!allHeardOf(clients, users, 60000))
        return -1;
    runUntil([] { return false; }, 500);
    const qint64 cpuBefore = server.cpuMs();
    const Exchange exchange = exchangeMessages(clients, messages, clock, 120000);
    const qint64 cpuMs = server.cpuMs() - cpuBefore;
    clients.clear();
    server.stop();
    if (exchange.received != exchange.expected)
        return -1;
    return double(cpuMs) * 1000 / double(exchange.received);
}

// A room where half the users read UTF-8 and half Windows-1250 costs the server no more per delivery
// than one where all read Windows-1250: each message is encoded once per encoding.
bool mixedRoom(const Bench &bench, int repeat)
{
    constexpr int users = 100;
    // Enough deliveries for the server's processor time to be read in whole seconds.
    constexpr int messages = 200;
    const QString text = QString::fromUtf8("Zażółć gęślą jaźń, gdzie są moje klucze? Już idę 😀");
    std::vector<double> windows1250;
    std::vector<double> mixed;
    for (int run = 0; run < repeat; ++run) {
        windows1250.push_back(roomCpuPerDelivery(bench, users, 0, messages, text));
        mixed.push_back(roomCpuPerDelivery(bench, users, 2, messages, text));
        std::printf("mixed room, run %d: %.2f us per delivery all Windows-1250, %.2f us half UTF-8\n", run + 1,
                    windows1250.back(), mixed.back());
    }
    const bool delivered = std::none_of(windows1250.begin(), windows1250.end(), [](double v) { return v < 0; })
        && std::none_of(mixed.begin(), mixed.end(), [](double v) { return v < 0; });
    const double reference = median(windows1250);
    std::printf("mixed room: %d framed users x %d messages; server CPU per delivery, median of %d: %.2f us all "
                "Windows-1250, %.2f us half UTF-8, ratio %.2f (goal at most 1.10)%s\n",
                users, messages, repeat, reference, median(mixed), reference > 0 ? median(mixed) / reference : 0.0,
                delivered ? "" : "; NOT ALL DELIVERED");
    std::fflush(stdout);
    return delivered;
}

// 1,000 reading users sign on; then one of them sends one message.
bool bigRoom(const Bench &bench, Mode mode)
{
    constexpr int users = 1000;
    Session session;
    if (!session.start(bench, users + 16))
        return false;
    auto &[server, clock, stats, clients] = session;
    const qint64 cpuBefore = server.cpuMs();
    if (!connectClients(&clients, users, mode, 0, &clock, &stats, bench.address, bench.port))
        return false;
    const bool everyoneKnown = allHeardOf(clients, users, 300000);
    const qint64 signOnMs = clock.elapsed();
    const qint64 signOnCpuMs = server.cpuMs() - cpuBefore;
    runUntil([] { return false; }, 2000);

    Clients sender;
    sender.push_back(std::make_unique<BenchClient>(users, mode, 1, &clock, &stats));
    sender.front()->connectTo(bench.address, bench.port, userAddress(users));
    allHeardOf(sender, users + 1, 60000);
    runUntil([] { return false; }, 1000);
    // The others send nothing, but from now on count the messages they receive.
    for (const auto &client : clients)
        client->startSending();
    const qint64 start = clock.elapsed();
    sender.front()->startSending();
    const bool reached = runUntil([&] {
        return std::all_of(clients.begin(), clients.end(), [](auto &c) { return c->messagesReceived() >= 1; });
    }, 120000);
    const qint64 reachMs = clock.elapsed() - start;
    clients.clear();
    sender.clear();
    server.stop();

    std::printf("abuse: a room of %d reading %s users\n", users, modeName(mode));
    std::printf("  sign-on of all: %s in %lld ms, server processor time %lld ms; one message reached %s in %lld ms "
                "(latency median %.1f ms, 99th percentile %.1f ms)\n",
                everyoneKnown ? "complete" : "INCOMPLETE", static_cast<long long>(signOnMs),
                static_cast<long long>(signOnCpuMs), reached ? "everyone" : "NOT everyone",
                static_cast<long long>(reachMs), stats.latencyMs(0.5), stats.latencyMs(0.99));
    std::fflush(stdout);
    return reached;
}

// 1,000 users who signed on and never read; then a newcomer signs on and sends a message.
bool newcomer(const Bench &bench, Mode mode)
{
    constexpr int users = 1000;
    Session session;
    if (!session.start(bench, users + 16))
        return false;
    auto &[server, clock, stats, clients] = session;
    RawConnections deaf;
    for (int i = 0; i < users; ++i) {
        deaf.open(bench.address, bench.port, abuserAddress(i), "Join deaf" + QByteArray::number(i));
        // The server takes each sign-on before the next connection, as real users arrive, and its
        // log lines keep flowing meanwhile.
        QCoreApplication::processEvents();
        if (i % 50 == 49)
            runUntil([] { return false; }, 20);
    }
    runUntil([] { return false; }, 3000);

    clock.restart();
    connectClients(&clients, 1, mode, 1, &clock, &stats, bench.address, bench.port);
    const bool greeted = allHeardOf(clients, users + 1, 300000);
    const qint64 greetingMs = clock.elapsed();
    clients.front()->startSending();
    const bool echoed = runUntil([&] { return clients.front()->messagesReceived() >= 1; }, 120000);
    const qint64 firstMessageMs = clock.elapsed();
    const int deafClosed = deaf.closedByServer();
    clients.clear();
    server.stop();

    std::printf("abuse: a %s newcomer among %d users who never read\n", modeName(mode), users);
    std::printf("  whole user list after %s%lld ms; its first message back after %s%lld ms (latency %.1f ms); "
                "non-readers closed by the server: %d\n",
                greeted ? "" : "MORE THAN ", static_cast<long long>(greetingMs), echoed ? "" : "MORE THAN ",
                static_cast<long long>(firstMessageMs), stats.latencyMs(0.5), deafClosed);
    std::fflush(stdout);
    return echoed;
}

// The servers side by side: this build, the builds to compare, then ngircd where it is installed.
QList<SideBySide::Server> sideBySideServers(const Bench &bench, const QString &compare, const QString &ngircd)
{
    QList<SideBySide::Server> servers{{QStringLiteral("korvani"), bench.serverProgram, false}};
    for (const QString &entry : compare.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const qsizetype equals = entry.indexOf(QLatin1Char('='));
        servers += SideBySide::Server{entry.left(equals), entry.mid(equals + 1), false};
    }
    if (QFileInfo(ngircd).isExecutable())
        servers += SideBySide::Server{QStringLiteral("ngircd"), ngircd, true};
    else
        std::printf("note: %s is not installed, so ngircd is left out of the side-by-side runs\n", qPrintable(ngircd));
    return servers;
}

// CLIENTSxPERSECONDxMESSAGES, comma-separated; empty when one is malformed.
QList<SideBySide::RateRun> parseRateRuns(const QString &text)
{
    QList<SideBySide::RateRun> runs;
    for (const QString &entry : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QStringList parts = entry.split(QLatin1Char('x'));
        if (parts.size() != 3 || parts[0].toInt() < 2 || parts[1].toDouble() <= 0 || parts[2].toInt() < 1)
            return {};
        runs += SideBySide::RateRun{parts[0].toInt(), parts[1].toDouble(), parts[2].toInt()};
    }
    return runs;
}
}

int main(int argc, char *argv[])
{
    // A thousand client sockets in one process: the GLib event loop would make the benchmark
    // itself the bottleneck (korvani-server makes the same choice for itself).
    if (!qEnvironmentVariableIsSet("QT_NO_GLIB"))
        qputenv("QT_NO_GLIB", "1");
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Benchmark of korvani-server on loopback."));
    parser.addHelpOption();
    const QCommandLineOption addressOption(QStringLiteral("address"), QStringLiteral("Loopback address (127.0.0.39)."),
                                           QStringLiteral("ADDRESS"), QStringLiteral("127.0.0.39"));
    const QCommandLineOption portOption(QStringLiteral("port"), QStringLiteral("Port (1290)."), QStringLiteral("N"),
                                        QStringLiteral("1290"));
    const QCommandLineOption runsOption(QStringLiteral("runs"),
                                        QStringLiteral("Throughput runs as CLIENTSxMESSAGES, comma-separated (10x100,100x100,1000x2)."),
                                        QStringLiteral("LIST"), QStringLiteral("10x100,100x100,1000x2"));
    const QCommandLineOption modesOption(QStringLiteral("modes"), QStringLiteral("Client modes: paced, framed (both)."),
                                         QStringLiteral("LIST"), QStringLiteral("paced,framed"));
    const QCommandLineOption scenariosOption(QStringLiteral("scenarios"),
                                             QStringLiteral("throughput, silent, flooder, framedflood, room, newcomer, mixed, rates, signon, tls (all)."),
                                             QStringLiteral("LIST"), QStringLiteral("throughput,silent,flooder,framedflood,room,newcomer,mixed,rates,signon,tls"));
    const QCommandLineOption ratesOption(QStringLiteral("rates"),
                                         QStringLiteral("Side-by-side rate runs as CLIENTSxPERSECONDxMESSAGES, comma-separated (1000x0.2x6,100x1x30,1000x5x2)."),
                                         QStringLiteral("LIST"), QStringLiteral("1000x0.2x6,100x1x30,1000x5x2"));
    const QCommandLineOption tlsRatesOption(QStringLiteral("tls-rates"),
                                            QStringLiteral("Rate runs framed plain against framed with TLS, as --rates (100x10x100)."),
                                            QStringLiteral("LIST"), QStringLiteral("100x10x100"));
    const QCommandLineOption repeatOption(QStringLiteral("repeat"), QStringLiteral("Side-by-side runs of each server (3)."),
                                          QStringLiteral("N"), QStringLiteral("3"));
    const QCommandLineOption compareOption(QStringLiteral("compare"),
                                           QStringLiteral("Further korvani-server builds side by side, as LABEL=PATH, comma-separated."),
                                           QStringLiteral("LIST"));
    const QCommandLineOption ngircdOption(QStringLiteral("ngircd"), QStringLiteral("ngircd, side by side (/usr/sbin/ngircd)."),
                                          QStringLiteral("PATH"), QStringLiteral("/usr/sbin/ngircd"));
    const QCommandLineOption gapOption(QStringLiteral("send-gap"), QStringLiteral("Passed on to the server."),
                                       QStringLiteral("MS"));
    const QCommandLineOption serverOption(QStringLiteral("server"),
                                          QStringLiteral("The server program (korvani-server next to this one)."),
                                          QStringLiteral("PATH"));
    const QCommandLineOption clusterOption(QStringLiteral("cluster"),
                                           QStringLiteral("Only rate runs of one room on three servers through NATS against one "
                                                          "server, as --rates (3000x0.2x12)."),
                                           QStringLiteral("LIST"));
    parser.addOptions({addressOption, portOption, runsOption, modesOption, scenariosOption, ratesOption, tlsRatesOption, repeatOption,
                       compareOption, ngircdOption, gapOption, serverOption, clusterOption});
    parser.process(app);

    Bench bench;
    bench.address = QHostAddress(parser.value(addressOption));
    bench.port = quint16(parser.value(portOption).toUInt());
    if (!bench.address.isLoopback()) {
        std::fprintf(stderr, "bench_server runs on loopback addresses only\n");
        return 2;
    }
    if (parser.isSet(gapOption))
        bench.serverArguments << QStringLiteral("--send-gap") << parser.value(gapOption);
    bench.serverProgram = parser.isSet(serverOption)
        ? parser.value(serverOption)
        : QCoreApplication::applicationDirPath() + QStringLiteral("/korvani-server");
    std::vector<Run> runs;
    for (const QString &text : parser.value(runsOption).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QStringList parts = text.split(QLatin1Char('x'));
        if (parts.size() != 2 || parts[0].toInt() < 1 || parts[1].toInt() < 1) {
            std::fprintf(stderr, "bad run %s\n", qPrintable(text));
            return 2;
        }
        runs.push_back(Run{parts[0].toInt(), parts[1].toInt()});
    }
    std::vector<Mode> modes;
    for (const QString &name : parser.value(modesOption).split(QLatin1Char(','), Qt::SkipEmptyParts))
        modes.push_back(name == QLatin1String("framed") ? Mode::Framed : Mode::Paced);
    const QStringList scenarios = parser.value(scenariosOption).split(QLatin1Char(','), Qt::SkipEmptyParts);
    const QList<SideBySide::RateRun> rateRuns = parseRateRuns(parser.value(ratesOption));
    const QList<SideBySide::RateRun> tlsRateRuns = parseRateRuns(parser.value(tlsRatesOption));
    const QList<SideBySide::RateRun> clusterRuns = parseRateRuns(parser.value(clusterOption));
    if (rateRuns.isEmpty() || tlsRateRuns.isEmpty() || (parser.isSet(clusterOption) && clusterRuns.isEmpty())) {
        std::fprintf(stderr, "bad rate runs %s %s %s\n", qPrintable(parser.value(ratesOption)),
                     qPrintable(parser.value(tlsRatesOption)), qPrintable(parser.value(clusterOption)));
        return 2;
    }
    const int repeat = std::max(1, parser.value(repeatOption).toInt());

    raiseFileLimit();
    std::printf("%s on %s:%u, send gap %s\n", qPrintable(bench.serverProgram), qPrintable(bench.address.toString()),
                unsigned(bench.port),
                parser.isSet(gapOption) ? qPrintable(parser.value(gapOption) + QStringLiteral(" ms")) : "default");
    if (parser.isSet(clusterOption)) {
        bool allDelivered = true;
        for (const SideBySide::RateRun &run : clusterRuns)
            allDelivered = ClusterBench::run(bench.serverProgram, bench.address, bench.port, run) && allDelivered;
        return allDelivered ? 0 : 1;
    }
    bool allDelivered = true;
    const std::vector<std::pair<QString, std::function<bool(Mode)>>> abuses = {
        {QStringLiteral("silent"), [&](Mode mode) { return silentCrowd(bench, mode); }},
        {QStringLiteral("flooder"), [&](Mode mode) { return flooder(bench, mode); }},
        {QStringLiteral("framedflood"), [&](Mode mode) { return mode != Mode::Framed || framedFlood(bench); }},
        {QStringLiteral("room"), [&](Mode mode) { return bigRoom(bench, mode); }},
        {QStringLiteral("newcomer"), [&](Mode mode) { return newcomer(bench, mode); }},
    };
    if (scenarios.contains(QLatin1String("throughput"))) {
        for (const Run &run : runs) {
            for (const Mode mode : modes)
                allDelivered = throughput(bench, run, mode) && allDelivered;
        }
    }
    for (const auto &[name, scenario] : abuses) {
        if (!scenarios.contains(name))
            continue;
        for (const Mode mode : modes)
            allDelivered = scenario(mode) && allDelivered;
    }
    if (scenarios.contains(QLatin1String("mixed")))
        allDelivered = mixedRoom(bench, repeat) && allDelivered;
    if (scenarios.contains(QLatin1String("rates")) || scenarios.contains(QLatin1String("signon"))) {
        SideBySide sideBySide(bench.address, bench.port,
                              sideBySideServers(bench, parser.value(compareOption), parser.value(ngircdOption)),
                              bench.serverArguments);
        if (scenarios.contains(QLatin1String("rates"))) {
            for (const SideBySide::RateRun &run : rateRuns)
                sideBySide.rateRuns(run, repeat);
        }
        if (scenarios.contains(QLatin1String("signon")))
            sideBySide.signOnRuns(repeat);
        sideBySide.printMedians();
    }
    if (scenarios.contains(QLatin1String("tls"))) {
        const QTemporaryDir folder;
        const QStringList tls = makeCertificate(folder.path(), bench.address);
        if (tls.isEmpty())
            return 1;
        SideBySide withTls(bench.address, bench.port, {SideBySide::Server{QStringLiteral("korvani-server"), bench.serverProgram}},
                           bench.serverArguments);
        withTls.setTls(tls);
        for (const SideBySide::RateRun &run : tlsRateRuns)
            withTls.rateRuns(run, repeat);
        withTls.printMedians();
    }
    return allDelivered ? 0 : 1;
}
