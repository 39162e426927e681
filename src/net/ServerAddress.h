#pragma once

#include <QString>

// The server as the user writes it in the sign-on window: a host name or address for the chat port
// as always, or "tls://host[:port]" for a private connection (TLS, port 1291 unless given). An
// IPv6 address with a port is written in brackets: tls://[::1]:1291.
struct ServerAddress
{
    static constexpr quint16 TlsPort = 1291;

    QString host;
    quint16 port = 0;
    bool tls = false;

    // The address as typed; a plain address is taken whole, for the given chat port. A TLS address
    // with an empty host or a port that is not 1 to 65535 gives an empty host.
    static ServerAddress parse(const QString &typed, quint16 chatPort);
    // "host:port", the name under which a server's certificate is remembered.
    QString endpoint() const;
};
