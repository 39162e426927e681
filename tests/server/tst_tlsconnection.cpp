// Korvani's connection and korvani-server speaking TLS in this process, with certificates the test
// makes: the handshake and a chat inside it, who is asked about which certificate, the server's
// certificate files, and connections that never finish their handshake.

#include "ChatServer.h"
#include "InProcessServer.h"
#include "TlsCredentials.h"
#include "support/EventLoopWait.h"
#include "support/TestCertificates.h"

#include "net/CertificateCheck.h"
#include "net/ChatConnection.h"

#include <QProcess>
#include <QRegularExpression>
#include <QSslSocket>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QHostAddress serverAddress(QStringLiteral("127.0.0.180"));

// Answers as told and notes what it was asked.
class AnsweringCheck : public CertificateCheck
{
public:
    bool answer = true;
    // How long the user takes to answer.
    int thinkMs = 0;
    QStringList servers;
    QList<QSslError::SslError> errors;

    bool accepts(const QString &server, const QList<QSslError> &shown, const QSslCertificate &) override
    {
        servers += server;
        for (const QSslError &error : shown)
            errors += error.error();
        EventLoopWait::during(thinkMs);
        return answer;
    }
};
}

class TlsConnectionTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void chatInsideTls();
    void certificateCheckIsAskedOnlyWhenNeeded_data();
    void certificateCheckIsAskedOnlyWhenNeeded();
    void userHasTheSignOnTimeToTrustACertificate();
    void credentials_data();
    void credentials();
    void unfinishedHandshakeIsClosedLikeAnUnsignedConnection_data();
    void unfinishedHandshakeIsClosedLikeAnUnsignedConnection();

private:
    bool startServer(const QString &certificate, const ConnectionLimits &limits = ConnectionLimits());
    QString tlsAddress(const QString &host) const;
    // Signs `connection` on as name once it is connected; the blocks it receives go to `blocks`.
    static void signOnWhenConnected(ChatConnection &connection, const QString &name, QStringList *blocks);

    QTemporaryDir m_folder;
    TestCertificates m_certificates{m_folder.path()};
    InProcessServer m_server;
};

void TlsConnectionTest::initTestCase()
{
    QVERIFY(QSslSocket::supportsSsl());
    QVERIFY2(m_certificates.makeSelfSigned(QStringLiteral("self"), serverAddress.toString()),
             qPrintable(m_certificates.error()));
    QVERIFY(m_certificates.makeAuthority(QStringLiteral("authority")));
    QVERIFY(m_certificates.makeSigned(QStringLiteral("signed"), serverAddress.toString(), QStringLiteral("authority")));
    QVERIFY(m_certificates.makeSigned(QStringLiteral("other"), QStringLiteral("chat.example.org"),
                                      QStringLiteral("authority")));
    // The test's authority is known to this process, as a public one is to a user's system.
    QSslConfiguration defaults = QSslConfiguration::defaultConfiguration();
    defaults.addCaCertificate(m_certificates.certificate(QStringLiteral("authority")));
    QSslConfiguration::setDefaultConfiguration(defaults);
}

void TlsConnectionTest::cleanup()
{
    m_server.stop();
}

bool TlsConnectionTest::startServer(const QString &certificate, const ConnectionLimits &limits)
{
    QSslConfiguration tls;
    QString error;
    if (!TlsCredentials::load(m_certificates.certFile(certificate), m_certificates.keyFile(certificate), &tls, &error)) {
        qWarning("%s", qPrintable(error));
        return false;
    }
    ServerSettings settings = InProcessServer::settingsFor(serverAddress);
    settings.limits = limits;
    return m_server.start(settings, tls);
}

QString TlsConnectionTest::tlsAddress(const QString &host) const
{
    return QStringLiteral("tls://%1:%2").arg(host).arg(m_server.tlsPort());
}

void TlsConnectionTest::signOnWhenConnected(ChatConnection &connection, const QString &name, QStringList *blocks)
{
    QObject::connect(&connection, &ChatConnection::connected, &connection,
                     [&connection, name] { connection.send(QStringLiteral("Join ") + name); });
    QObject::connect(&connection, &ChatConnection::blockReceived, &connection,
                     [blocks](const QString &block) { *blocks += block; });
}

void TlsConnectionTest::chatInsideTls()
{
    QVERIFY(startServer(QStringLiteral("self")));
    AnsweringCheck check;
    ChatConnection alice;
    ChatConnection bob;
    QStringList aliceBlocks;
    QStringList bobBlocks;
    for (ChatConnection *connection : {&alice, &bob}) {
        connection->setCertificateCheck(&check);
        connection->connectToServer(tlsAddress(serverAddress.toString()));
    }
    signOnWhenConnected(alice, QStringLiteral("alice"), &aliceBlocks);
    signOnWhenConnected(bob, QStringLiteral("bob"), &bobBlocks);
    QVERIFY(EventLoopWait::until([&] { return aliceBlocks.contains(QStringLiteral("UserList bob"))
                                              || bobBlocks.contains(QStringLiteral("UserList alice")); }, 10000));
    QVERIFY(alice.isPrivate());
    QVERIFY(bob.isPrivate());

    // Messages inside TLS come framed, each on its own, however fast they follow each other.
    const auto message = [](int i) { return QStringLiteral("Message alice:line ") + QString::number(i); };
    for (int i = 0; i < 50; ++i)
        QVERIFY(alice.send(message(i)));
    QVERIFY2(EventLoopWait::until([&] { return bobBlocks.contains(message(49)); }, 10000),
             qPrintable(bobBlocks.join(QLatin1Char('|'))));
    const qsizetype first = bobBlocks.indexOf(message(0));
    QVERIFY(first >= 0);
    for (int i = 0; i < 50; ++i)
        QCOMPARE(bobBlocks.value(first + i), message(i));
    QCOMPARE(m_server.log().count(QRegularExpression(QStringLiteral("connected from \\S+ with TLS"))), 2);
}

void TlsConnectionTest::certificateCheckIsAskedOnlyWhenNeeded_data()
{
    QTest::addColumn<QString>("certificate");
    QTest::addColumn<QString>("host");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<bool>("connected");

    const QString address = serverAddress.toString();
    QTest::newRow("self-signed, trusted") << "self" << address << true << true << true;
    QTest::newRow("self-signed, not trusted") << "self" << address << false << true << false;
    QTest::newRow("authority-signed for the host") << "signed" << address << false << false << true;
    QTest::newRow("authority-signed for another name") << "other" << address << false << true << false;
}

void TlsConnectionTest::certificateCheckIsAskedOnlyWhenNeeded()
{
    QFETCH(QString, certificate);
    QFETCH(QString, host);
    QFETCH(bool, answer);
    QFETCH(bool, asked);
    QFETCH(bool, connected);

    QVERIFY(startServer(certificate));
    AnsweringCheck check;
    check.answer = answer;
    ChatConnection connection;
    connection.setCertificateCheck(&check);
    bool madeIt = false;
    bool dropped = false;
    connect(&connection, &ChatConnection::connected, this, [&] { madeIt = true; });
    connect(&connection, &ChatConnection::disconnectedByPeer, this, [&] { dropped = true; });
    connection.connectToServer(tlsAddress(host));
    QVERIFY(EventLoopWait::until([&] { return madeIt || !check.servers.isEmpty(); }, 10000));
    EventLoopWait::until([&] { return madeIt; }, 2000);

    QCOMPARE(!check.servers.isEmpty(), asked);
    if (asked)
        QCOMPARE(check.servers, QStringList{host + QStringLiteral(":") + QString::number(m_server.tlsPort())});
    QCOMPARE(madeIt, connected);
    QCOMPARE(connection.isPrivate(), connected);
    // A refused certificate ends the attempt; it is no drop of a chat that never began.
    QVERIFY(!dropped);
}

void TlsConnectionTest::userHasTheSignOnTimeToTrustACertificate()
{
    ConnectionLimits limits;
    limits.firstMessageTimeoutMs = 200;
    limits.signOnTimeoutMs = 10000;
    QVERIFY(startServer(QStringLiteral("self"), limits));
    AnsweringCheck check;
    check.thinkMs = 1000;
    ChatConnection connection;
    connection.setCertificateCheck(&check);
    QStringList blocks;
    signOnWhenConnected(connection, QStringLiteral("carol"), &blocks);
    connection.connectToServer(tlsAddress(serverAddress.toString()));
    QVERIFY2(EventLoopWait::until([&] { return blocks.contains(QStringLiteral("UserList carol")); }, 10000),
             qPrintable(m_server.log()));
}

void TlsConnectionTest::credentials_data()
{
    QTest::addColumn<QString>("certificate");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("complaint"); // empty: loads

    QTest::newRow("certificate and its key") << "self.crt" << "self.key" << "";
    QTest::newRow("chain and key") << "chain.crt" << "signed.key" << "";
    QTest::newRow("no such certificate") << "missing.crt" << "self.key" << "cannot read";
    QTest::newRow("key for certificate") << "self.key" << "self.key" << "holds no PEM certificate";
    QTest::newRow("certificate for key") << "self.crt" << "self.crt" << "holds no unencrypted PEM private key";
    QTest::newRow("key of another kind") << "self.crt" << "rsa.key" << "is not of the kind and size";
    QTest::newRow("certificate file too large") << "huge.crt" << "self.key" << "is larger than 1048576 bytes";
}

void TlsConnectionTest::credentials()
{
    QFETCH(QString, certificate);
    QFETCH(QString, key);
    QFETCH(QString, complaint);

    const QString folder = m_folder.path() + QLatin1Char('/');
    QFile chain(folder + QStringLiteral("chain.crt"));
    QVERIFY(chain.open(QIODevice::WriteOnly));
    for (const char *name : {"signed", "authority"}) {
        QFile part(m_certificates.certFile(QLatin1String(name)));
        QVERIFY(part.open(QIODevice::ReadOnly));
        chain.write(part.readAll());
    }
    chain.close();
    QFile huge(folder + QStringLiteral("huge.crt"));
    QVERIFY(huge.open(QIODevice::WriteOnly));
    huge.write(QByteArray(TlsCredentials::MaxFileBytes + 1, 'A'));
    huge.close();
    if (!QFile::exists(folder + QStringLiteral("rsa.key"))) {
        QProcess openssl;
        openssl.start(QStringLiteral("openssl"), {QStringLiteral("genrsa"), QStringLiteral("-out"),
                                                  folder + QStringLiteral("rsa.key"), QStringLiteral("2048")});
        QVERIFY(openssl.waitForFinished(30000));
    }

    QSslConfiguration configuration;
    QString error;
    const bool loaded = TlsCredentials::load(folder + certificate, folder + key, &configuration, &error);
    QCOMPARE(loaded, complaint.isEmpty());
    QVERIFY2(error.contains(complaint), qPrintable(error));
    if (loaded)
        QCOMPARE(configuration.localCertificateChain().size(), certificate == QLatin1String("chain.crt") ? 2 : 1);
}

void TlsConnectionTest::unfinishedHandshakeIsClosedLikeAnUnsignedConnection_data()
{
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<QString>("logged");

    QTest::newRow("silent") << QByteArray() << "not signed on in time";
    QTest::newRow("half a client hello") << QByteArray::fromHex("160301020001") << "not signed on in time";
    QTest::newRow("a megabyte of plain chat") << QByteArray(1024 * 1024, 'x') << "closed: ";
}

void TlsConnectionTest::unfinishedHandshakeIsClosedLikeAnUnsignedConnection()
{
    QFETCH(QByteArray, sent);
    QFETCH(QString, logged);

    ConnectionLimits limits;
    limits.firstMessageTimeoutMs = 200;
    limits.signOnTimeoutMs = 600;
    QVERIFY(startServer(QStringLiteral("self"), limits));
    QTcpSocket client;
    client.connectToHost(serverAddress, m_server.tlsPort());
    QVERIFY(client.waitForConnected(5000));
    client.write(sent);
    QVERIFY(EventLoopWait::until([&] { return client.state() == QAbstractSocket::UnconnectedState; }, 10000));
    QVERIFY2(m_server.logHas(logged), qPrintable(m_server.log()));
    QCOMPARE(m_server.server().connectionCount(), 0);
}

QTEST_GUILESS_MAIN(TlsConnectionTest)
#include "tst_tlsconnection.moc"
