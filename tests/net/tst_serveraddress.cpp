// The server as the user writes it: plain as ever, or tls://host[:port] for a private connection.

#include "net/ServerAddress.h"

#include <QTest>

class ServerAddressTest : public QObject
{
    Q_OBJECT

private slots:
    void parse_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("host"); // empty: not a usable address
        QTest::addColumn<int>("port");
        QTest::addColumn<bool>("tls");
        QTest::addColumn<QString>("endpoint");

        QTest::newRow("plain name") << "chat.example.org" << "chat.example.org" << 1290 << false << "chat.example.org:1290";
        QTest::newRow("plain text is taken whole") << "host:1300" << "host:1300" << 1290 << false << "[host:1300]:1290";
        QTest::newRow("tls name") << "tls://chat.example.org" << "chat.example.org" << 1291 << true
                                  << "chat.example.org:1291";
        QTest::newRow("tls with port") << "tls://10.0.0.5:1300" << "10.0.0.5" << 1300 << true << "10.0.0.5:1300";
        QTest::newRow("scheme in capitals") << "TLS://Host" << "Host" << 1291 << true << "Host:1291";
        QTest::newRow("trailing slash") << "tls://host:1400/" << "host" << 1400 << true << "host:1400";
        QTest::newRow("IPv6 in brackets") << "tls://[::1]:1300" << "::1" << 1300 << true << "[::1]:1300";
        QTest::newRow("IPv6 without port") << "tls://[fe80::1]" << "fe80::1" << 1291 << true << "[fe80::1]:1291";
        QTest::newRow("IPv6 bare") << "tls://::1" << "::1" << 1291 << true << "[::1]:1291";
        QTest::newRow("no host") << "tls://" << "" << 0 << true << "";
        QTest::newRow("port 0") << "tls://host:0" << "" << 0 << true << "";
        QTest::newRow("port too high") << "tls://host:65536" << "" << 0 << true << "";
        QTest::newRow("port not a number") << "tls://host:https" << "" << 0 << true << "";
        QTest::newRow("empty port") << "tls://host:" << "" << 0 << true << "";
        QTest::newRow("empty port after bracket") << "tls://[::1]:" << "" << 0 << true << "";
        QTest::newRow("unclosed bracket") << "tls://[::1:1300" << "" << 0 << true << "";
        QTest::newRow("text after bracket") << "tls://[::1]x" << "" << 0 << true << "";
    }

    void parse()
    {
        QFETCH(QString, typed);
        QFETCH(QString, host);
        QFETCH(int, port);
        QFETCH(bool, tls);
        QFETCH(QString, endpoint);

        const ServerAddress address = ServerAddress::parse(typed, 1290);
        QCOMPARE(address.host, host);
        QCOMPARE(address.tls, tls);
        if (!host.isEmpty()) {
            QCOMPARE(int(address.port), port);
            QCOMPARE(address.endpoint(), endpoint);
        }
    }

    void megabyteAddress()
    {
        const QString huge = QStringLiteral("tls://") + QString(1000 * 1000, QLatin1Char('h')) + QStringLiteral(":1300");
        const ServerAddress address = ServerAddress::parse(huge, 1290);
        QCOMPARE(address.host.size(), 1000 * 1000);
        QCOMPARE(int(address.port), 1300);
    }
};

QTEST_GUILESS_MAIN(ServerAddressTest)
#include "tst_serveraddress.moc"
