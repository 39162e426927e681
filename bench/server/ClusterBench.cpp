#include "ClusterBench.h"

#include "BenchLoop.h"
#include "DeliveryStats.h"
#include "ServerChild.h"

#include <QElapsedTimer>
#include <QStandardPaths>

#include <cstdio>
#include <memory>
#include <vector>

namespace ClusterBench {

namespace {
using namespace BenchLoop;
using Children = std::vector<std::unique_ptr<ServerChild>>;

constexpr int Nodes = 3;
constexpr quint16 NatsPort = 4222;
constexpr quint16 RoutePort = 6222;

QHostAddress addressAfter(const QHostAddress &first, int steps)
{
    return QHostAddress(first.toIPv4Address() + quint32(steps));
}

bool startNats(Children *nats, const QHostAddress &first, QStringList *urls)
{
    QStringList routes;
    for (int index = 0; index < Nodes; ++index)
        routes += QStringLiteral("nats://%1:%2").arg(addressAfter(first, Nodes + index).toString()).arg(RoutePort);
    for (int index = 0; index < Nodes; ++index) {
        nats->push_back(std::make_unique<ServerChild>());
        if (!nats->back()->startNats(addressAfter(first, Nodes + index), NatsPort,
                                     {"-n", QStringLiteral("nats%1").arg(index), "--cluster_name", "korvani",
                                      "--cluster", routes.at(index), "--routes", routes.join(',')}))
            return false;
        *urls += QStringLiteral("nats://%1:%2").arg(addressAfter(first, Nodes + index).toString()).arg(NatsPort);
    }
    return true;
}

qint64 cpuMs(const Children &children)
{
    qint64 total = 0;
    for (const auto &child : children)
        total += child->cpuMs();
    return total;
}

struct Outcome
{
    qint64 expected = 0;
    qint64 received = 0;
    double seconds = 0;
};

// The users spread over `nodes` send; every user counts every message.
Outcome exchange(const Children &nodes, const QHostAddress &first, quint16 port, const SideBySide::RateRun &run,
                 DeliveryStats *stats)
{
    QElapsedTimer clock;
    clock.start();
    Clients clients;
    for (int index = 0; index < int(nodes.size()); ++index) {
        const int count = run.clients / int(nodes.size()) + (index < run.clients % int(nodes.size()) ? 1 : 0);
        if (!connectClients(&clients, count, BenchClient::Mode::Framed, run.messages, &clock, stats,
                            addressAfter(first, index), port))
            return {};
    }
    allHeardOf(clients, run.clients, 300000);
    runUntil([] { return false; }, 3000);
    Outcome outcome;
    const qint64 perClient = qint64(run.clients) * run.messages;
    outcome.expected = perClient * run.clients;
    stats->reserve(outcome.expected);
    const qint64 start = clock.elapsed();
    constexpr int drainMs = 30000;
    sendAtRate(clients, run.perSecond, run.messages, perClient, drainMs);
    // Anything delivered twice comes in now.
    runUntil([] { return false; }, 1000);
    outcome.seconds = double(clock.elapsed() - start) / 1000;
    for (const auto &client : clients)
        outcome.received += client->messagesReceived();
    return outcome;
}

void print(const char *label, const Outcome &outcome, DeliveryStats &stats, qint64 korvaniMs, qint64 natsMs)
{
    const double deliveries = double(std::max<qint64>(1, outcome.received));
    std::printf("  %s: delivered %lld of %lld (%lld lost, %lld extra) in %.1f s, %.0f a second; latency median "
                "%.1f ms, 99th percentile %.1f ms; processor korvani-server %lld ms, nats-server %lld ms, "
                "%.1f us per delivery\n",
                label, static_cast<long long>(outcome.received), static_cast<long long>(outcome.expected),
                static_cast<long long>(std::max<qint64>(0, outcome.expected - outcome.received)),
                static_cast<long long>(std::max<qint64>(0, outcome.received - outcome.expected)), outcome.seconds,
                double(outcome.received) / outcome.seconds, stats.latencyMs(0.5), stats.latencyMs(0.99),
                static_cast<long long>(korvaniMs), static_cast<long long>(natsMs),
                1000.0 * double(korvaniMs + natsMs) / deliveries);
    std::fflush(stdout);
}
} // namespace

bool run(const QString &serverProgram, const QHostAddress &first, quint16 port, const SideBySide::RateRun &run)
{
    std::printf("%d users sending %d messages each at %g a second, on three servers through three NATS servers "
                "and on one server\n",
                run.clients, run.messages, run.perSecond);
    if (QStandardPaths::findExecutable(QStringLiteral("nats-server")).isEmpty()) {
        std::printf("  skipped: nats-server is not installed\n");
        return true;
    }
    const QStringList limit{"--max-connections", QString::number(run.clients + 16)};
    Children nats;
    QStringList urls;
    Children nodes;
    if (!startNats(&nats, first, &urls))
        return false;
    for (int index = 0; index < Nodes; ++index) {
        nodes.push_back(std::make_unique<ServerChild>());
        if (!nodes.back()->start(serverProgram, addressAfter(first, index), port,
                                 limit + QStringList{"--cluster", urls.join(',')}))
            return false;
    }
    DeliveryStats clusterStats;
    const qint64 nodesBefore = cpuMs(nodes);
    const qint64 natsBefore = cpuMs(nats);
    const Outcome cluster = exchange(nodes, first, port, run, &clusterStats);
    print("three servers", cluster, clusterStats, cpuMs(nodes) - nodesBefore, cpuMs(nats) - natsBefore);
    nodes.clear();
    nats.clear();

    Children single;
    single.push_back(std::make_unique<ServerChild>());
    if (!single.back()->start(serverProgram, first, port, limit))
        return false;
    DeliveryStats singleStats;
    const qint64 singleBefore = cpuMs(single);
    const Outcome alone = exchange(single, first, port, run, &singleStats);
    print("one server", alone, singleStats, cpuMs(single) - singleBefore, 0);
    return cluster.received == cluster.expected && alone.received == alone.expected;
}

} // namespace ClusterBench
