#include "ServerAddress.h"

namespace {
const QLatin1String tlsScheme("tls://");

ServerAddress invalidTls()
{
    return ServerAddress{QString(), 0, true};
}
}

ServerAddress ServerAddress::parse(const QString &typed, quint16 chatPort)
{
    if (!typed.startsWith(tlsScheme, Qt::CaseInsensitive))
        return ServerAddress{typed, chatPort, false};
    QString rest = typed.mid(tlsScheme.size());
    if (rest.endsWith(QLatin1Char('/')))
        rest.chop(1);
    QString host = rest;
    QString port;
    bool portGiven = false;
    if (rest.startsWith(QLatin1Char('['))) {
        const qsizetype close = rest.indexOf(QLatin1Char(']'));
        if (close < 0)
            return invalidTls();
        host = rest.mid(1, close - 1);
        const QString after = rest.mid(close + 1);
        if (!after.isEmpty() && !after.startsWith(QLatin1Char(':')))
            return invalidTls();
        portGiven = !after.isEmpty();
        port = after.mid(1);
    } else if (rest.count(QLatin1Char(':')) == 1) {
        host = rest.section(QLatin1Char(':'), 0, 0);
        port = rest.section(QLatin1Char(':'), 1);
        portGiven = true;
    }
    bool ok = true;
    const int number = portGiven ? port.toInt(&ok) : TlsPort;
    if (host.isEmpty() || !ok || number < 1 || number > 65535)
        return invalidTls();
    return ServerAddress{host, quint16(number), true};
}

QString ServerAddress::endpoint() const
{
    const QString name = host.contains(QLatin1Char(':')) ? QLatin1Char('[') + host + QLatin1Char(']') : host;
    return name + QLatin1Char(':') + QString::number(port);
}
