#pragma once

#include <QByteArray>
#include <QHostAddress>

#include <vector>

// Plain sockets that an abusive client holds open: they may send something once, and never read,
// so whatever the server sends them piles up. No event loop watches them.
class RawConnections
{
public:
    RawConnections() = default;
    ~RawConnections();
    RawConnections(const RawConnections &) = delete;
    RawConnections &operator=(const RawConnections &) = delete;

    // Opens one more connection from `source` and sends `firstBytes` (if any); false on failure.
    bool open(const QHostAddress &address, quint16 port, const QHostAddress &source, const QByteArray &firstBytes);
    int count() const;
    // How many the server has closed by now.
    int closedByServer() const;

private:
    std::vector<int> m_fds;
};
