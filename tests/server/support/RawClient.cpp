#include "RawClient.h"

#include "support/EventLoopWait.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

RawClient::~RawClient()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool RawClient::connectTo(const QHostAddress &address, quint16 port, const QHostAddress &source)
{
    m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_fd < 0)
        return false;
    const int receiveBuffer = 4096;
    ::setsockopt(m_fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    if (!source.isNull()) {
        sockaddr_in local = {};
        local.sin_family = AF_INET;
        local.sin_addr.s_addr = htonl(source.toIPv4Address());
        if (::bind(m_fd, reinterpret_cast<const sockaddr *>(&local), sizeof local) != 0)
            return false;
    }
    sockaddr_in peer = {};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(port);
    peer.sin_addr.s_addr = htonl(address.toIPv4Address());
    // Loopback: the handshake completes in the kernel, before the server accepts.
    return ::connect(m_fd, reinterpret_cast<const sockaddr *>(&peer), sizeof peer) == 0;
}

bool RawClient::send(const QByteArray &bytes)
{
    const bool sent = ::send(m_fd, bytes.constData(), size_t(bytes.size()), MSG_NOSIGNAL) == bytes.size();
    EventLoopWait::during(15);
    return sent;
}
