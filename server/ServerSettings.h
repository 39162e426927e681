#pragma once

#include "ConnectionLimits.h"

#include <QHostAddress>
#include <QString>

// How korvani-server runs; the defaults are those of a server started with no options.
struct ServerSettings
{
    // Only this machine can connect unless an address open to the network is given.
    QHostAddress address = QHostAddress(QHostAddress::LocalHost);
    quint16 port = 1290;
    QString name = QStringLiteral("Korvani");
    QString motd;
    QString adminPassword;
    // Pause after each message leaves a connection's socket before the next one goes out.
    int gapMs = 5;
    int maxConnections = 1000;
    ConnectionLimits limits;
};
