#include "LogThrottle.h"

bool LogThrottle::admit(const QHostAddress &source, qint64 nowMs, qint64 *leftOut)
{
    *leftOut = 0;
    auto found = m_sources.find(source);
    if (found == m_sources.end()) {
        if (m_sources.size() >= m_forgetAt)
            forgetQuietSources(nowMs);
        found = m_sources.insert(source, Source{TokenBucket(BurstLines, LinesPerSecond, nowMs)});
    }
    found->lastMs = nowMs;
    if (found->lines.waitMs(nowMs) > 0) {
        ++found->leftOut;
        return false;
    }
    found->lines.take(1, nowMs);
    *leftOut = std::exchange(found->leftOut, 0);
    return true;
}

void LogThrottle::forgetQuietSources(qint64 nowMs)
{
    // An address whose burst has come back and nothing left out is as good as new.
    const qint64 refillMs = qint64(BurstLines / LinesPerSecond * 1000);
    m_sources.removeIf([&](const auto &entry) {
        const qint64 quietMs = nowMs - entry.value().lastMs;
        return quietMs >= ForgetAfterMs || (quietMs >= refillMs && entry.value().leftOut == 0);
    });
    m_forgetAt = std::max<qsizetype>(64, 2 * m_sources.size());
}
