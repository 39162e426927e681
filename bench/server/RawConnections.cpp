#include "RawConnections.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
sockaddr_in socketAddress(const QHostAddress &address, quint16 port)
{
    sockaddr_in result = {};
    result.sin_family = AF_INET;
    result.sin_port = htons(port);
    result.sin_addr.s_addr = htonl(address.toIPv4Address());
    return result;
}
}

RawConnections::~RawConnections()
{
    for (const int fd : m_fds)
        ::close(fd);
}

bool RawConnections::open(const QHostAddress &address, quint16 port, const QHostAddress &source,
                          const QByteArray &firstBytes)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    const int receiveBuffer = 4096;
    ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    const sockaddr_in local = socketAddress(source, 0);
    const sockaddr_in peer = socketAddress(address, port);
    if (::bind(fd, reinterpret_cast<const sockaddr *>(&local), sizeof local) != 0
        || ::connect(fd, reinterpret_cast<const sockaddr *>(&peer), sizeof peer) != 0) {
        ::close(fd);
        return false;
    }
    m_fds.push_back(fd);
    return firstBytes.isEmpty()
        || ::send(fd, firstBytes.constData(), size_t(firstBytes.size()), MSG_NOSIGNAL) == firstBytes.size();
}

int RawConnections::count() const
{
    return int(m_fds.size());
}

int RawConnections::closedByServer() const
{
    int closed = 0;
    for (const int fd : m_fds) {
        pollfd state = {fd, POLLRDHUP, 0};
        if (::poll(&state, 1, 0) > 0 && (state.revents & (POLLRDHUP | POLLHUP | POLLERR)))
            ++closed;
    }
    return closed;
}
