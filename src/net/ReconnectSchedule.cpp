#include "ReconnectSchedule.h"

#include <QRandomGenerator>

#include <algorithm>
#include <utility>

namespace {

// 2^6 seconds is past the longest wait: doubling further only risks overflow.
constexpr int doublingsToLongest = 6;

} // namespace

ReconnectSchedule::ReconnectSchedule(RandomSource random)
    : m_random(std::move(random))
{
    if (!m_random)
        m_random = [] { return QRandomGenerator::global()->generateDouble(); };
}

int ReconnectSchedule::nextDelayMs()
{
    const int doublings = std::min(m_attempt, doublingsToLongest);
    if (m_attempt < doublingsToLongest)
        ++m_attempt;
    const int full = std::min(FirstDelayMs << doublings, LongestDelayMs);
    const double share = std::clamp(m_random(), 0.0, 1.0);
    return full - int(full * share / 5);
}

void ReconnectSchedule::restart()
{
    m_attempt = 0;
}
