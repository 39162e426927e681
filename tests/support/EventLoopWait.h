#pragma once

#include <functional>

// Waiting that keeps a real event loop running the whole time. QTest's waits sleep between rounds
// of events, and a client that sleeps lets two messages of a server in another process run
// together in its socket.
class EventLoopWait
{
public:
    // Runs events until `done` holds or the time is up; returns `done()`.
    static bool until(const std::function<bool()> &done, int timeoutMs);
    static void during(int ms);
};
