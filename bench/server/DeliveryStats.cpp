#include "DeliveryStats.h"

#include <algorithm>

void DeliveryStats::reserve(qint64 deliveries)
{
    m_latenciesNs.reserve(size_t(deliveries));
}

void DeliveryStats::addDelivery(qint64 latencyNs)
{
    m_latenciesNs.push_back(latencyNs);
    m_sorted = false;
}

void DeliveryStats::addMergedBlock()
{
    ++m_mergedBlocks;
}

qint64 DeliveryStats::deliveries() const
{
    return qint64(m_latenciesNs.size());
}

qint64 DeliveryStats::mergedBlocks() const
{
    return m_mergedBlocks;
}

double DeliveryStats::latencyMs(double fraction)
{
    if (m_latenciesNs.empty())
        return 0;
    if (!m_sorted) {
        std::sort(m_latenciesNs.begin(), m_latenciesNs.end());
        m_sorted = true;
    }
    const size_t at = std::min(m_latenciesNs.size() - 1, size_t(fraction * double(m_latenciesNs.size())));
    return double(m_latenciesNs[at]) / 1e6;
}
