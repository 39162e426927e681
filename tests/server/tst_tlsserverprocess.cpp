// korvani-server as a program with TLS: its certificate files read again on SIGHUP (a broken new
// one keeps the old), and the plain port closed by tls-only.

#include "support/EventLoopWait.h"
#include "support/TestCertificates.h"

#include <QFile>
#include <QProcess>
#include <QSslSocket>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

namespace {
const QHostAddress serverAddress(QStringLiteral("127.0.0.182"));
constexpr quint16 plainPort = 1290;
constexpr quint16 tlsPort = 1291;
}

class TlsServerProcessTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void sighupReadsTheCertificateAgain();
    void tlsOnlyKeepsThePlainPortClosed();

private:
    bool startServer(const QStringList &arguments);
    bool waitForLog(const QString &text);
    bool install(const QString &name);
    // The SHA-256 fingerprint the TLS port shows; empty when no handshake came about.
    QByteArray shownFingerprint();

    QTemporaryDir m_folder;
    TestCertificates m_certificates{m_folder.path()};
    QProcess m_server;
    QString m_log;
};

void TlsServerProcessTest::initTestCase()
{
    QVERIFY2(m_certificates.makeSelfSigned(QStringLiteral("first"), serverAddress.toString()),
             qPrintable(m_certificates.error()));
    QVERIFY(m_certificates.makeSelfSigned(QStringLiteral("second"), serverAddress.toString()));
    connect(&m_server, &QProcess::readyReadStandardError, this,
            [this] { m_log += QString::fromLocal8Bit(m_server.readAllStandardError()); });
}

void TlsServerProcessTest::cleanup()
{
    if (m_server.state() != QProcess::NotRunning) {
        m_server.kill();
        m_server.waitForFinished();
    }
    m_log.clear();
}

bool TlsServerProcessTest::startServer(const QStringList &arguments)
{
    m_log.clear();
    m_server.start(QStringLiteral(KORVANI_SERVER_PATH), arguments);
    return m_server.waitForStarted() && waitForLog(QStringLiteral("listening with TLS on 127.0.0.182:1291"));
}

bool TlsServerProcessTest::waitForLog(const QString &text)
{
    return EventLoopWait::until([&] { return m_log.contains(text); }, 10000);
}

// The server's certificate files are live.crt and live.key; this puts another one there.
bool TlsServerProcessTest::install(const QString &name)
{
    for (const auto &[from, to] : {std::pair{m_certificates.certFile(name), m_certificates.certFile("live")},
                                   std::pair{m_certificates.keyFile(name), m_certificates.keyFile("live")}}) {
        QFile::remove(to);
        if (!QFile::copy(from, to))
            return false;
    }
    return true;
}

QByteArray TlsServerProcessTest::shownFingerprint()
{
    QSslSocket client;
    client.setPeerVerifyMode(QSslSocket::VerifyNone);
    client.connectToHostEncrypted(serverAddress.toString(), tlsPort);
    if (!EventLoopWait::until([&] { return client.isEncrypted(); }, 10000))
        return QByteArray();
    return client.peerCertificate().digest(QCryptographicHash::Sha256);
}

void TlsServerProcessTest::sighupReadsTheCertificateAgain()
{
    QVERIFY(install(QStringLiteral("first")));
    const QString config = m_folder.filePath(QStringLiteral("server.conf"));
    QFile file(config);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("listen=127.0.0.182\ntls-cert=" + QFile::encodeName(m_certificates.certFile("live")) + "\ntls-key="
               + QFile::encodeName(m_certificates.keyFile("live")) + "\n");
    file.close();
    QVERIFY(startServer({QStringLiteral("--config"), config}));
    const QByteArray first = m_certificates.certificate(QStringLiteral("first")).digest(QCryptographicHash::Sha256);
    const QByteArray second = m_certificates.certificate(QStringLiteral("second")).digest(QCryptographicHash::Sha256);
    QCOMPARE(shownFingerprint(), first);

    // Renewed in place.
    QVERIFY(install(QStringLiteral("second")));
    QCOMPARE(::kill(pid_t(m_server.processId()), SIGHUP), 0);
    QVERIFY(waitForLog(QStringLiteral("SIGHUP: read the TLS certificate")));
    QCOMPARE(shownFingerprint(), second);

    // A broken renewal keeps what worked, and the log says why.
    QFile broken(m_certificates.certFile(QStringLiteral("live")));
    QVERIFY(broken.open(QIODevice::WriteOnly | QIODevice::Truncate));
    broken.write("-----BEGIN CERTIFICATE-----\nnot one\n-----END CERTIFICATE-----\n");
    broken.close();
    QCOMPARE(::kill(pid_t(m_server.processId()), SIGHUP), 0);
    QVERIFY(waitForLog(QStringLiteral("SIGHUP: kept the old certificate: ")));
    QVERIFY(m_log.contains(QLatin1String("holds no PEM certificate")));
    QCOMPARE(shownFingerprint(), second);
}

void TlsServerProcessTest::tlsOnlyKeepsThePlainPortClosed()
{
    QVERIFY(startServer({QStringLiteral("--listen"), serverAddress.toString(), QStringLiteral("--tls-cert"),
                         m_certificates.certFile(QStringLiteral("first")), QStringLiteral("--tls-key"),
                         m_certificates.keyFile(QStringLiteral("first")), QStringLiteral("--tls-only")}));
    QVERIFY(!shownFingerprint().isEmpty());
    QVERIFY(!m_log.contains(QLatin1String("listening on")));
    QTcpSocket plain;
    plain.connectToHost(serverAddress, plainPort);
    QVERIFY(!plain.waitForConnected(5000));
    QCOMPARE(plain.error(), QAbstractSocket::ConnectionRefusedError);
}

QTEST_GUILESS_MAIN(TlsServerProcessTest)
#include "tst_tlsserverprocess.moc"
