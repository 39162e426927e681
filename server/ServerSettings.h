#pragma once

#include "ConnectionLimits.h"

#include <QHostAddress>
#include <QString>
#include <QStringList>

// How korvani-server runs; the defaults are those of a server started with no options.
struct ServerSettings
{
    // Only this machine can connect unless an address open to the network is given.
    QHostAddress address = QHostAddress(QHostAddress::LocalHost);
    quint16 port = 1290;
    // With a certificate and its key (PEM files) the server also listens with TLS on tlsPort.
    QString tlsCertFile;
    QString tlsKeyFile;
    quint16 tlsPort = 1291;
    // False: only the TLS port is open.
    bool plainPort = true;
    QString name = QStringLiteral("Korvani");
    QString motd;
    QString adminPassword;
    // Pause after each message leaves a connection's socket before the next one goes out.
    int gapMs = 5;
    int maxConnections = 1000;
    ConnectionLimits limits;
    // nats://HOST:PORT of the NATS servers through which this server shares its room with others;
    // none: the room is this server's alone.
    QStringList clusterUrls;
};
