#include "BenchLoop.h"

#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace BenchLoop {
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
    check.start(2);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
    return done();
}

QHostAddress userAddress(int index)
{
    return QHostAddress(QStringLiteral("127.0.0.%1").arg(150 + index % 20));
}

bool connectClients(Clients *clients, int count, BenchClient::Mode mode, int messages, const QElapsedTimer *clock,
                    DeliveryStats *stats, const QHostAddress &address, quint16 port)
{
    constexpr int batch = 50;
    const size_t first = clients->size();
    for (int start = 0; start < count; start += batch) {
        const size_t batchStart = clients->size();
        for (int i = start; i < std::min(count, start + batch); ++i) {
            clients->push_back(std::make_unique<BenchClient>(int(first) + i, mode, messages, clock, stats));
            clients->back()->connectTo(address, port, userAddress(int(first) + i));
        }
        if (!runUntil([&] { return std::all_of(clients->begin() + qsizetype(batchStart), clients->end(), [](auto &c) { return c->isConnected(); }); }, 20000)) {
            std::printf("  could not connect %d clients\n", count);
            std::fflush(stdout);
            return false;
        }
    }
    return true;
}

bool sendAtRate(const Clients &clients, double perSecond, int messages, qint64 perClient, int drainMs)
{
    for (const auto &client : clients)
        client->startSendingAt(perSecond);
    return runUntil([&] {
        return std::all_of(clients.begin(), clients.end(), [&](auto &c) { return c->messagesReceived() >= perClient; });
    }, int(1000 * messages / perSecond) + drainMs);
}

bool allHeardOf(const Clients &clients, int users, int timeoutMs)
{
    return runUntil([&] {
        return std::all_of(clients.begin(), clients.end(), [&](auto &c) { return c->usersHeardOf() >= users; });
    }, timeoutMs);
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}
}
