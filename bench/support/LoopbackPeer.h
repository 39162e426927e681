#pragma once

#include <QByteArrayView>

#include <cstddef>

// The server side of a benchmark: plain POSIX calls on one socket, so it runs the same in a forked
// child and between the measurements of a single-threaded benchmark, and costs the client nothing.
namespace LoopbackPeer {

// CLOCK_MONOTONIC in nanoseconds.
qint64 nowNs();
void sleepUntil(qint64 deadlineNs);

bool sendAll(int fd, const char *data, size_t size);
bool readExactly(int fd, char *data, size_t size);

// A listening socket on address and the chat port; ends the program when the address is taken.
int listenOn(const char *address);
// Accepts one client within timeoutMs (with no-delay set, as the server paces each message);
// -1 when none came.
int acceptClient(int listener, int timeoutMs);

// The server's greeting after a Join: "Welcome NAME", then, when offerFraming, the offer and, if
// the client answers within a second, the server's switch. Returns whether the connection is now
// framed both ways; a client that does not answer is served unframed, as it expects.
bool greet(int fd, const char *serverName, bool offerFraming);
// One message in one send: its bytes, then a NUL when framed.
bool sendMessage(int fd, QByteArrayView text, bool framed);
// The short gap the server leaves after an unframed message of a greeting, so that two rarely
// reach the client in one read.
void leaveGreetingGap();

} // namespace LoopbackPeer
