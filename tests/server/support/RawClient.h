#pragma once

#include <QByteArray>
#include <QHostAddress>

// A connection that never reads: a plain socket with a small receive buffer that no event loop
// watches, so whatever the server sends piles up.
class RawClient
{
public:
    RawClient() = default;
    ~RawClient();
    RawClient(const RawClient &) = delete;
    RawClient &operator=(const RawClient &) = delete;

    // Connects from `source` (any loopback address) when it is given.
    bool connectTo(const QHostAddress &address, quint16 port, const QHostAddress &source = QHostAddress());
    // Writes the bytes as one send and lets the server take them.
    bool send(const QByteArray &bytes);

private:
    int m_fd = -1;
};
