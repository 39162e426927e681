#pragma once

#include "BenchClient.h"

#include <QHostAddress>

#include <functional>
#include <memory>
#include <vector>

class DeliveryStats;

// What every scenario of the benchmark does with its clients: waits that keep the event loop
// running, and connecting a crowd of users.
namespace BenchLoop {
using Clients = std::vector<std::unique_ptr<BenchClient>>;

// Runs events until `done` holds or `timeoutMs` passes; true when done.
bool runUntil(const std::function<bool()> &done, int timeoutMs);
// Source address of the well-behaved users, so that limits per address show as they would on a
// network: users connect from many addresses, fifty to an address here.
QHostAddress userAddress(int index);
// Adds `count` clients, connected in batches so the listen backlog never overflows into SYN retries.
bool connectClients(Clients *clients, int count, BenchClient::Mode mode, int messages, const QElapsedTimer *clock,
                    DeliveryStats *stats, const QHostAddress &address, quint16 port);
bool allHeardOf(const Clients &clients, int users, int timeoutMs);
double median(std::vector<double> values);
// Every client sends its messages at `perSecond`; true when each has received `perClient` messages
// within the sending time and drainMs more.
bool sendAtRate(const Clients &clients, double perSecond, int messages, qint64 perClient, int drainMs);
}
