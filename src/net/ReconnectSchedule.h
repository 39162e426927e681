#pragma once

#include <functional>

// How long to wait before each attempt to reach a server that went away: 1, 2, 4, 8 ... seconds,
// never more than a minute, each wait shortened by up to a fifth at random, so the clients of a
// server that restarts do not all knock at the same moment.
class ReconnectSchedule
{
public:
    static constexpr int FirstDelayMs = 1000;
    static constexpr int LongestDelayMs = 60000;

    // A number in [0, 1) for each wait; the system's random source when none is given.
    using RandomSource = std::function<double()>;

    explicit ReconnectSchedule(RandomSource random = {});

    // The wait before the next attempt; each call is one attempt further.
    int nextDelayMs();
    // The next wait is the first one again.
    void restart();

private:
    RandomSource m_random;
    int m_attempt = 0;
};
