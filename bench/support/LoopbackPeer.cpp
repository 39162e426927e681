#include "LoopbackPeer.h"

#include "net/ChatConnection.h"
#include "net/Framing.h"

#include <arpa/inet.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

namespace LoopbackPeer {

namespace {
// The gap the server leaves between two unframed messages of a greeting.
constexpr useconds_t greetingGapUs = 20000;
constexpr int switchAnswerMs = 1000;
} // namespace

qint64 nowNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

void sleepUntil(qint64 deadlineNs)
{
    const qint64 wait = deadlineNs - nowNs();
    if (wait > 0) {
        const timespec pause{time_t(wait / 1000000000), long(wait % 1000000000)};
        nanosleep(&pause, nullptr);
    }
}

bool sendAll(int fd, const char *data, size_t size)
{
    while (size > 0) {
        const ssize_t sent = ::send(fd, data, size, MSG_NOSIGNAL);
        if (sent <= 0)
            return false;
        data += sent;
        size -= size_t(sent);
    }
    return true;
}

bool readExactly(int fd, char *data, size_t size)
{
    while (size > 0) {
        const ssize_t got = ::recv(fd, data, size, 0);
        if (got <= 0)
            return false;
        data += got;
        size -= size_t(got);
    }
    return true;
}

int listenOn(const char *address)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    const int one = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_port = htons(ChatConnection::ChatPort);
    inet_pton(AF_INET, address, &where.sin_addr);
    if (::bind(fd, reinterpret_cast<sockaddr *>(&where), sizeof where) != 0 || ::listen(fd, 4) != 0) {
        std::perror("listen");
        std::exit(1);
    }
    return fd;
}

int acceptClient(int listener, int timeoutMs)
{
    pollfd waits{listener, POLLIN, 0};
    if (::poll(&waits, 1, timeoutMs) != 1)
        return -1;
    const int fd = ::accept(listener, nullptr, nullptr);
    if (fd >= 0) {
        const int one = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    }
    return fd;
}

bool greet(int fd, const char *serverName, bool offerFraming)
{
    char welcome[128];
    const int size = std::snprintf(welcome, sizeof welcome, "Welcome %s", serverName);
    sendAll(fd, welcome, size_t(size));
    usleep(greetingGapUs);
    bool framed = false;
    if (offerFraming) {
        const QByteArrayView offer = Framing::offer();
        sendAll(fd, offer.data(), size_t(offer.size()));
        pollfd answerWaits{fd, POLLIN, 0};
        // The client's switch is as long as the server's.
        char answer[16];
        framed = ::poll(&answerWaits, 1, switchAnswerMs) == 1 && readExactly(fd, answer, size_t(Framing::switchOver().size()));
        if (framed) {
            const QByteArrayView switchOver = Framing::switchOver();
            sendAll(fd, switchOver.data(), size_t(switchOver.size()));
        }
    }
    usleep(greetingGapUs);
    return framed;
}

bool sendMessage(int fd, QByteArrayView text, bool framed)
{
    const QByteArray bytes = framed ? Framing::frame(text.toByteArray()) : text.toByteArray();
    return sendAll(fd, bytes.constData(), size_t(bytes.size()));
}

void leaveGreetingGap()
{
    usleep(greetingGapUs);
}

} // namespace LoopbackPeer
