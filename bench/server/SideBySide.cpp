#include "SideBySide.h"

#include "BenchLoop.h"
#include "DeliveryStats.h"

#include <algorithm>
#include <cstdio>

using namespace BenchLoop;

namespace {
// Newcomers of a sign-on run, and the room they join.
constexpr int signOnCount = 20;
constexpr int signOnRoom = 10;

const char *modeName(BenchClient::Mode mode)
{
    switch (mode) {
    case BenchClient::Mode::Paced:
        return "paced";
    case BenchClient::Mode::Framed:
        return "framed";
    case BenchClient::Mode::FramedUtf8:
        return "framed UTF-8";
    case BenchClient::Mode::FramedTls:
        return "framed TLS";
    case BenchClient::Mode::Irc:
        break;
    }
    return "irc";
}


void waitQuietly(int ms)
{
    runUntil([] { return false; }, ms);
}
}

QString SideBySide::Column::name() const
{
    return server.label + QLatin1Char(' ') + QLatin1String(modeName(mode));
}

SideBySide::SideBySide(const QHostAddress &address, quint16 port, const QList<Server> &servers,
                       const QStringList &korvaniArguments)
    : m_address(address)
    , m_port(port)
    , m_servers(servers)
    , m_korvaniArguments(korvaniArguments)
{
    for (const Column &column : columns())
        m_columnNames += column.name();
}

void SideBySide::setTls(const QStringList &tlsArguments)
{
    m_tlsArguments = tlsArguments;
    m_columnNames.clear();
    for (const Column &column : columns())
        m_columnNames += column.name();
}

void SideBySide::rateRuns(const RateRun &run, int repeat)
{
    for (int round = 0; round < repeat; ++round) {
        for (const Column &column : columnsInRound(round))
            rateRun(run, column);
    }
}

void SideBySide::signOnRuns(int repeat)
{
    for (int round = 0; round < repeat; ++round) {
        for (const Column &column : columnsInRound(round))
            signOnRun(column);
    }
}

void SideBySide::printMedians() const
{
    const bool hasReference = m_servers.constLast().irc || !m_tlsArguments.isEmpty();
    const QString reference = m_servers.constLast().irc ? m_columnNames.constLast() : m_columnNames.constFirst();
    std::printf("\nMedians over the runs%s\n", hasReference ? qPrintable(QStringLiteral(", with the ratio to ") + reference) : "");
    for (const QString &row : m_rows) {
        std::printf("\n%s\n\n| figure | %s |\n|---|", qPrintable(row), qPrintable(m_columnNames.join(QStringLiteral(" | "))));
        for (qsizetype i = 0; i < m_columnNames.size(); ++i)
            std::printf("---|");
        std::printf("\n");
        const QMap<QString, Figures> &columns = m_figures.value(row);
        for (const QString &figure : columns.value(m_columnNames.constFirst()).keys()) {
            std::printf("| %s |", qPrintable(figure));
            const double referenceValue = median(columns.value(reference).value(figure));
            for (const QString &column : m_columnNames) {
                const double value = median(columns.value(column).value(figure));
                if (hasReference && column != reference && referenceValue > 0)
                    std::printf(" %.1f (%.2fx) |", value, value / referenceValue);
                else
                    std::printf(" %.1f |", value);
            }
            std::printf("\n");
        }
    }
    std::fflush(stdout);
}

QList<SideBySide::Column> SideBySide::columns() const
{
    QList<Column> columns;
    for (const Server &server : m_servers) {
        if (server.irc) {
            columns += Column{server, BenchClient::Mode::Irc};
        } else if (!m_tlsArguments.isEmpty()) {
            columns += Column{server, BenchClient::Mode::Framed};
            columns += Column{server, BenchClient::Mode::FramedTls};
        } else {
            columns += Column{server, BenchClient::Mode::Paced};
            columns += Column{server, BenchClient::Mode::Framed};
        }
    }
    return columns;
}

QList<SideBySide::Column> SideBySide::columnsInRound(int round) const
{
    QList<Column> ordered = columns();
    std::rotate(ordered.begin(), ordered.begin() + round % ordered.size(), ordered.end());
    return ordered;
}

bool SideBySide::startServer(ServerChild *child, const Column &column, int connections) const
{
    if (column.server.irc)
        return child->startNgircd(column.server.program, m_address, m_port);
    const QStringList tls = m_tlsArguments.isEmpty()
        ? QStringList()
        : m_tlsArguments + QStringList{"--tls-port", QString::number(m_port + 1)};
    return child->start(column.server.program, m_address, m_port,
                        m_korvaniArguments + tls + QStringList{"--max-connections", QString::number(connections)});
}

quint16 SideBySide::portOf(const Column &column) const
{
    return column.mode == BenchClient::Mode::FramedTls ? quint16(m_port + 1) : m_port;
}

void SideBySide::rateRun(const RateRun &run, const Column &column)
{
    const QString row = QStringLiteral("%1 users sending %2 messages each at %3 a second")
                            .arg(run.clients)
                            .arg(run.messages)
                            .arg(run.perSecond);
    ServerChild server;
    QElapsedTimer clock;
    clock.start();
    DeliveryStats stats;
    Clients clients;
    if (!startServer(&server, column, run.clients + 16))
        return;
    const qint64 emptyKiB = server.residentKiB();
    if (!connectClients(&clients, run.clients, column.mode, run.messages, &clock, &stats, m_address, portOf(column)))
        return;
    const bool everyoneKnown = allHeardOf(clients, run.clients, 300000);
    // Idle memory once the greetings have drained and freed memory has gone back.
    waitQuietly(3000);
    const qint64 idleKiB = server.residentKiB();

    const qint64 perClient = qint64(run.clients - (clients.front()->receivesOwnMessages() ? 0 : 1)) * run.messages;
    const qint64 expected = perClient * run.clients;
    stats.reserve(expected);
    const qint64 cpuBefore = server.cpuMs();
    const qint64 start = clock.elapsed();
    // Everything should have arrived this long after the last message was sent.
    constexpr int drainMs = 90000;
    sendAtRate(clients, run.perSecond, run.messages, perClient, drainMs);
    const double seconds = double(clock.elapsed() - start) / 1000;
    const qint64 cpuMs = server.cpuMs() - cpuBefore;
    const qint64 peakKiB = server.peakResidentKiB();
    qint64 received = 0;
    for (const auto &client : clients)
        received += client->messagesReceived();
    clients.clear();
    server.stop();

    const double idlePerConnection = double(idleKiB - emptyKiB) / run.clients;
    std::printf("%s, %s: sign-on %s; idle %.1f KiB per connection; delivered %lld of %lld in %.1f s, latency median "
                "%.1f ms, 99th percentile %.1f ms, merged blocks %lld; server processor %lld ms (%.1f us per "
                "delivery), peak %.1f MiB\n",
                qPrintable(row), qPrintable(column.name()), everyoneKnown ? "complete" : "INCOMPLETE", idlePerConnection,
                static_cast<long long>(received), static_cast<long long>(expected), seconds, stats.latencyMs(0.5),
                stats.latencyMs(0.99), static_cast<long long>(stats.mergedBlocks()), static_cast<long long>(cpuMs),
                received ? 1000.0 * double(cpuMs) / double(received) : 0.0, double(peakKiB) / 1024);
    std::fflush(stdout);
    record(row, column, QStringLiteral("delivered %"), 100.0 * double(received) / double(expected));
    record(row, column, QStringLiteral("deliveries per second"), double(received) / seconds);
    record(row, column, QStringLiteral("latency median ms"), stats.latencyMs(0.5));
    record(row, column, QStringLiteral("latency p99 ms"), stats.latencyMs(0.99));
    record(row, column, QStringLiteral("merged blocks"), double(stats.mergedBlocks()));
    record(row, column, QStringLiteral("processor us per delivery"),
           received ? 1000.0 * double(cpuMs) / double(received) : 0.0);
    record(row, column, QStringLiteral("idle KiB per connection"), idlePerConnection);
    record(row, column, QStringLiteral("peak MiB"), double(peakKiB) / 1024);
}

void SideBySide::signOnRun(const Column &column)
{
    const QString row = QStringLiteral("%1 sign-ons one after the other to a room of %2").arg(signOnCount).arg(signOnRoom);
    ServerChild server;
    QElapsedTimer clock;
    clock.start();
    DeliveryStats stats;
    Clients room;
    if (!startServer(&server, column, signOnRoom + signOnCount + 16)
        || !connectClients(&room, signOnRoom, column.mode, 0, &clock, &stats, m_address, portOf(column))
        || !allHeardOf(room, signOnRoom, 60000)) {
        return;
    }
    std::vector<double> signOnMs;
    int merged = 0;
    for (int i = 0; i < signOnCount; ++i) {
        // From the connect to the own entry in the user list.
        Clients newcomer;
        const qint64 start = clock.nsecsElapsed();
        newcomer.push_back(std::make_unique<BenchClient>(signOnRoom + i, column.mode, 0, &clock, &stats));
        newcomer.front()->connectTo(m_address, portOf(column), userAddress(i));
        if (!allHeardOf(newcomer, signOnRoom + 1, 10000))
            std::printf("  newcomer %d did not get the user list in 10 s\n", i);
        signOnMs.push_back(double(clock.nsecsElapsed() - start) / 1e6);
        merged += newcomer.front()->mergedGreetingBlocks();
        newcomer.clear();
        // The room hears of the leave before the next one comes.
        waitQuietly(100);
    }
    room.clear();
    server.stop();
    std::printf("%s, %s: median %.1f ms, longest %.1f ms, greeting blocks holding more than one message %d\n",
                qPrintable(row), qPrintable(column.name()), median(signOnMs),
                *std::max_element(signOnMs.begin(), signOnMs.end()), merged);
    std::fflush(stdout);
    record(row, column, QStringLiteral("sign-on median ms"), median(signOnMs));
    record(row, column, QStringLiteral("sign-on longest ms"), *std::max_element(signOnMs.begin(), signOnMs.end()));
    record(row, column, QStringLiteral("merged greeting blocks"), merged);
}

void SideBySide::record(const QString &row, const Column &column, const QString &figure, double value)
{
    if (!m_rows.contains(row))
        m_rows += row;
    m_figures[row][column.name()][figure].push_back(value);
}
