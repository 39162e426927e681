#include "DeadPeerDetection.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

namespace {
bool setOption(int descriptor, int level, int option, int value)
{
    return ::setsockopt(descriptor, level, option, &value, sizeof value) == 0;
}
} // namespace

bool DeadPeerDetection::enable(qintptr socketDescriptor)
{
    const int descriptor = int(socketDescriptor);
    return setOption(descriptor, SOL_SOCKET, SO_KEEPALIVE, 1)
        && setOption(descriptor, IPPROTO_TCP, TCP_KEEPIDLE, IdleSeconds)
        && setOption(descriptor, IPPROTO_TCP, TCP_KEEPINTVL, ProbeIntervalSeconds)
        && setOption(descriptor, IPPROTO_TCP, TCP_KEEPCNT, Probes)
        && setOption(descriptor, IPPROTO_TCP, TCP_USER_TIMEOUT, UnacknowledgedTimeoutMs);
}
