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

    bool connectTo(const QHostAddress &address, quint16 port);
    // Writes the bytes as one send and lets the server take them.
    bool send(const QByteArray &bytes);

private:
    int m_fd = -1;
};
