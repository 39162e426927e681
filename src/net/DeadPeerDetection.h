#pragma once

#include <QtGlobal>

// A peer that vanishes without closing (its machine off, its network gone) sends nothing more, and
// TCP on its own notices only after about 15 minutes of resending, or never on a quiet connection.
// These socket options let the kernel find it within a minute on either side: keep-alive probes
// after a quiet spell, and a time-out for data that stays unacknowledged. The kernel then fails
// the socket with "connection timed out", which the program handles like any broken connection.
class DeadPeerDetection
{
public:
    static constexpr int IdleSeconds = 20;
    static constexpr int ProbeIntervalSeconds = 5;
    static constexpr int Probes = 4;
    // Also ends a quiet connection: once the first probe is out, a peer that has said nothing for
    // this long is given up at the next probe (about 35 s after it fell silent).
    static constexpr int UnacknowledgedTimeoutMs = 30000;

    // Sets the options on a connected TCP socket; false when the system refused one of them.
    static bool enable(qintptr socketDescriptor);
};
