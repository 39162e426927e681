#pragma once

#include <QtGlobal>

#include <vector>

// What every client saw of the public messages: latencies from send to delivery, blocks that held
// more than one message.
class DeliveryStats
{
public:
    void reserve(qint64 deliveries);
    void addDelivery(qint64 latencyNs);
    void addMergedBlock();

    qint64 deliveries() const;
    qint64 mergedBlocks() const;
    // Latency at the given fraction (0.5 = median) in milliseconds.
    double latencyMs(double fraction);

private:
    std::vector<qint64> m_latenciesNs;
    qint64 m_mergedBlocks = 0;
    bool m_sorted = false;
};
