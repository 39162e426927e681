#pragma once

#include <QtGlobal>

// What one connection may cost the server, so no client can take the service from the others.
struct ConnectionLimits
{
    // A connection that has sent nothing this long after connecting is closed.
    int firstMessageTimeoutMs = 10000;
    // A connection not signed on this long after connecting is closed; a person answering "name in
    // use" with another name needs a while.
    int signOnTimeoutMs = 120000;
    // Connections not yet signed on, in all and from one address. When a limit is reached the
    // oldest such connection makes room if it has waited at least the grace time; otherwise the
    // newcomer is refused, so a crowd of users connecting at once is never cut short.
    int maxPendingConnections = 256;
    int maxPendingPerAddress = 64;
    int pendingGraceMs = 1000;

    // What a client may send: a burst, then a steady rate, in messages and in bytes. A client
    // sending faster is not read until its rate allows: TCP makes it wait, nothing is dropped.
    double messageBurst = 100;
    double messagesPerSecond = 20;
    double byteBurst = 256 * 1024;
    double bytesPerSecond = 64 * 1024;

    // A reader with more than this waiting (the server's queue and what the kernel holds that the
    // reader has not acknowledged) must show progress: when nothing of it has left for
    // stallTimeoutMs the connection is closed.
    qint64 stalledQueueBytes = 1024 * 1024;
    int stallTimeoutMs = 10000;
    // More waiting than this closes the connection at once, progress or not: memory stays bounded
    // even for a reader that takes a byte now and then.
    qint64 maxQueuedBytes = 8 * 1024 * 1024;
};
