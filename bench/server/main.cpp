// bench_server: N clients on loopback, each sending M public messages through a korvani-server
// child process. Prints deliveries per second, latency from send to delivery at every client,
// merged or lost messages, the server's peak memory and its memory per idle connection.
//
//   bench_server [--address 127.0.0.39] [--port 1290] [--runs 10x100,100x100,1000x2] [--send-gap MS]

#include "BenchClient.h"
#include "DeliveryStats.h"
#include "ServerChild.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <cstdio>
#include <functional>
#include <memory>
#include <sys/resource.h>
#include <vector>

namespace {
struct Run
{
    int clients = 0;
    int messages = 0;
};

// Runs events until `done` holds or `timeoutMs` passes; true when done.
bool runUntil(const std::function<bool()> &done, int timeoutMs)
{
    if (done())
        return true;
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    check.start(10);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
    return done();
}

void raiseFileLimit()
{
    rlimit limit = {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        ::setrlimit(RLIMIT_NOFILE, &limit);
    }
}

bool runOne(const Run &run, const QString &serverProgram, const QHostAddress &address, quint16 port,
            const QStringList &serverArguments)
{
    ServerChild server;
    if (!server.start(serverProgram, address, port,
                      serverArguments + QStringList{"--max-connections", QString::number(run.clients + 16)}))
        return false;
    const qint64 emptyKiB = server.residentKiB();

    QElapsedTimer clock;
    clock.start();
    DeliveryStats stats;
    stats.reserve(qint64(run.clients) * run.clients * run.messages);
    std::vector<std::unique_ptr<BenchClient>> clients;
    // Connect in batches, so the listen backlog never overflows into SYN retries.
    constexpr int batch = 50;
    for (int first = 0; first < run.clients; first += batch) {
        const int last = std::min(run.clients, first + batch);
        for (int i = first; i < last; ++i) {
            clients.push_back(std::make_unique<BenchClient>(i, run.messages, &clock, &stats));
            clients.back()->connectTo(address, port);
        }
        if (!runUntil([&] { return std::all_of(clients.begin() + first, clients.end(), [](auto &c) { return c->isConnected(); }); }, 20000)) {
            std::printf("  could not connect %d clients\n", run.clients);
            return false;
        }
    }
    const qint64 setupStart = clock.elapsed();
    const bool everyoneKnown = runUntil([&] {
        return std::all_of(clients.begin(), clients.end(), [&](auto &c) { return c->usersHeardOf() >= run.clients; });
    }, 120000);
    const qint64 setupMs = clock.elapsed() - setupStart;
    // Let the last greeting messages drain, and the server hand the memory of its queues back,
    // before looking at idle memory.
    runUntil([] { return false; }, 3000);
    const qint64 idleKiB = server.residentKiB();
    int mergedGreeting = 0;
    for (const auto &client : clients)
        mergedGreeting += client->mergedGreetingBlocks();

    const qint64 expectedPerClient = qint64(run.clients) * run.messages;
    const qint64 sendStart = clock.nsecsElapsed();
    for (const auto &client : clients)
        client->startSending();
    // Bounded: generous for the server's pacing, which caps each client at one message per gap.
    const int timeoutMs = int(std::min<qint64>(600000, 60000 + expectedPerClient * 20));
    const bool allDelivered = runUntil([&] {
        return std::all_of(clients.begin(), clients.end(), [&](auto &c) { return c->messagesReceived() >= expectedPerClient; });
    }, timeoutMs);
    const double seconds = double(clock.nsecsElapsed() - sendStart) / 1e9;
    qint64 received = 0;
    for (const auto &client : clients)
        received += client->messagesReceived();
    const qint64 expected = expectedPerClient * run.clients;
    const qint64 peakKiB = server.peakResidentKiB();

    clients.clear();
    const bool stoppedCleanly = server.stop();

    std::printf("%d clients x %d messages\n", run.clients, run.messages);
    std::printf("  sign-on of all clients: %s in %lld ms, greeting blocks holding more than one message: %d\n",
                everyoneKnown ? "complete" : "INCOMPLETE", static_cast<long long>(setupMs), mergedGreeting);
    std::printf("  server memory: %lld KiB with no client, %lld KiB with %d idle clients: %.1f KiB per idle connection\n",
                static_cast<long long>(emptyKiB), static_cast<long long>(idleKiB), run.clients,
                double(idleKiB - emptyKiB) / run.clients);
    std::printf("  delivered %lld of %lld messages (%lld lost) in %.2f s: %.0f messages delivered per second\n",
                static_cast<long long>(received), static_cast<long long>(expected),
                static_cast<long long>(expected - received), seconds, double(received) / seconds);
    std::printf("  blocks holding more than one message: %lld\n", static_cast<long long>(stats.mergedBlocks()));
    std::printf("  latency send to delivery: median %.1f ms, 99th percentile %.1f ms\n", stats.latencyMs(0.5),
                stats.latencyMs(0.99));
    std::printf("  server peak memory (VmHWM): %lld KiB; stopped cleanly on SIGTERM: %s\n",
                static_cast<long long>(peakKiB), stoppedCleanly ? "yes" : "NO");
    std::fflush(stdout);
    return allDelivered;
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
                                        QStringLiteral("Runs as CLIENTSxMESSAGES, comma-separated (10x100,100x100,1000x2)."),
                                        QStringLiteral("LIST"), QStringLiteral("10x100,100x100,1000x2"));
    const QCommandLineOption gapOption(QStringLiteral("send-gap"), QStringLiteral("Passed on to the server."),
                                       QStringLiteral("MS"));
    parser.addOptions({addressOption, portOption, runsOption, gapOption});
    parser.process(app);

    const QHostAddress address(parser.value(addressOption));
    if (!address.isLoopback()) {
        std::fprintf(stderr, "bench_server runs on loopback addresses only\n");
        return 2;
    }
    QStringList serverArguments;
    if (parser.isSet(gapOption))
        serverArguments << QStringLiteral("--send-gap") << parser.value(gapOption);
    std::vector<Run> runs;
    for (const QString &text : parser.value(runsOption).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QStringList parts = text.split(QLatin1Char('x'));
        if (parts.size() != 2 || parts[0].toInt() < 1 || parts[1].toInt() < 1) {
            std::fprintf(stderr, "bad run %s\n", qPrintable(text));
            return 2;
        }
        runs.push_back(Run{parts[0].toInt(), parts[1].toInt()});
    }

    raiseFileLimit();
    const QString serverProgram = QCoreApplication::applicationDirPath() + QStringLiteral("/korvani-server");
    std::printf("korvani-server on %s:%s, send gap %s\n", qPrintable(address.toString()),
                qPrintable(parser.value(portOption)),
                parser.isSet(gapOption) ? qPrintable(parser.value(gapOption) + QStringLiteral(" ms")) : "default");
    bool allDelivered = true;
    for (const Run &run : runs)
        allDelivered = runOne(run, serverProgram, address, quint16(parser.value(portOption).toUInt()), serverArguments)
            && allDelivered;
    return allDelivered ? 0 : 1;
}
