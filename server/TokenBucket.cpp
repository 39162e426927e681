#include "TokenBucket.h"

#include <algorithm>
#include <cmath>

TokenBucket::TokenBucket(double burst, double perSecond, qint64 nowMs)
    : m_burst(burst)
    , m_perSecond(perSecond)
    , m_tokens(burst)
    , m_lastMs(nowMs)
{
}

void TokenBucket::take(double tokens, qint64 nowMs)
{
    m_tokens = tokensAt(nowMs) - tokens;
    m_lastMs = nowMs;
}

qint64 TokenBucket::waitMs(qint64 nowMs) const
{
    const double tokens = tokensAt(nowMs);
    if (tokens >= 0)
        return 0;
    return std::max<qint64>(1, qint64(std::ceil(-tokens * 1000 / m_perSecond)));
}

double TokenBucket::tokensAt(qint64 nowMs) const
{
    return std::min(m_burst, m_tokens + double(nowMs - m_lastMs) * m_perSecond / 1000);
}
