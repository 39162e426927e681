#pragma once

#include <QtGlobal>

// A rate with a burst: holds up to `burst` tokens and gains `perSecond` a second. Taking more than
// it holds leaves a debt, which is paid off before the next take may go, so a client that sends a
// large piece at once waits in proportion. Time comes in from outside (milliseconds on any steady
// clock), so tests need no clock.
class TokenBucket
{
public:
    TokenBucket(double burst, double perSecond, qint64 nowMs);

    void take(double tokens, qint64 nowMs);
    // How long until the debt is paid; 0 when a take may go now.
    qint64 waitMs(qint64 nowMs) const;

private:
    double tokensAt(qint64 nowMs) const;

    double m_burst;
    double m_perSecond;
    double m_tokens;
    qint64 m_lastMs;
};
