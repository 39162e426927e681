#include "LoginThrottle.h"

#include <QDeadlineTimer>

#include <algorithm>
#include <utility>

namespace {
qint64 steadyMilliseconds()
{
    return QDeadlineTimer::current().deadline();
}
} // namespace

LoginThrottle::LoginThrottle(std::function<qint64()> clock)
    : m_clock(clock ? std::move(clock) : steadyMilliseconds)
{
}

bool LoginThrottle::allows(qint64 *waitMs) const
{
    const qint64 wait = m_lastFailureMs + pauseMs() - m_clock();
    if (waitMs)
        *waitMs = std::max<qint64>(wait, 0);
    return wait <= 0;
}

void LoginThrottle::failed()
{
    ++m_failures;
    m_lastFailureMs = m_clock();
}

void LoginThrottle::succeeded()
{
    m_failures = 0;
}

qint64 LoginThrottle::pauseMs() const
{
    if (m_failures < FreeFailures)
        return 0;
    const int doublings = std::min(m_failures - FreeFailures, 15);
    return std::min(FirstPauseMs << doublings, LongestPauseMs);
}
