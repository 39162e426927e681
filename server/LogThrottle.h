#pragma once

#include "TokenBucket.h"

#include <QHash>
#include <QHostAddress>

// How many lines the log takes about the connections from one address: a burst, then a few a
// second. A line beyond that is left out and counted; the next line about that address that goes
// to the log is preceded by the count. Bookkeeping only, with the time passed in.
class LogThrottle
{
public:
    static constexpr double BurstLines = 100;
    static constexpr double LinesPerSecond = 10;
    // An address this long without a line is forgotten, with any count of lines left out.
    static constexpr qint64 ForgetAfterMs = 60000;

    // Whether a line about `source` goes to the log at nowMs. When it does, *leftOut is the number
    // of lines about `source` left out since the last one that went.
    bool admit(const QHostAddress &source, qint64 nowMs, qint64 *leftOut);

private:
    struct Source
    {
        TokenBucket lines;
        qint64 lastMs = 0;
        qint64 leftOut = 0;
    };

    void forgetQuietSources(qint64 nowMs);

    QHash<QHostAddress, Source> m_sources;
    // Quiet addresses are looked for once this many are known, so the table stays as small as the
    // addresses that spoke lately.
    qsizetype m_forgetAt = 64;
};
