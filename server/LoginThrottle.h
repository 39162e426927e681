#pragma once

#include <QtGlobal>

#include <functional>

// Slows down guessing the operator password. The first few wrong passwords in a row cost nothing
// (a typo); after that every attempt must wait for a pause that doubles with each further wrong
// password, up to a limit. An attempt made during the pause is refused unchecked, the right
// password included. A right password ends the pauses.
class LoginThrottle
{
public:
    static constexpr int FreeFailures = 3;
    static constexpr qint64 FirstPauseMs = 1000;
    static constexpr qint64 LongestPauseMs = 30000;

    // clock: milliseconds from any fixed start; a steady clock unless a test gives its own.
    explicit LoginThrottle(std::function<qint64()> clock = {});

    // Whether an attempt is checked now; otherwise the milliseconds still to wait in *waitMs.
    bool allows(qint64 *waitMs = nullptr) const;
    void failed();
    void succeeded();
    qint64 lastFailureMs() const { return m_lastFailureMs; }

private:
    qint64 pauseMs() const;

    std::function<qint64()> m_clock;
    int m_failures = 0;
    qint64 m_lastFailureMs = 0;
};
