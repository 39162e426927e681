// Which server certificates are trusted: what a handshake's errors say, the verdict for each kind
// of certificate against what is remembered, and the known-servers text.

#include "net/ServerTrust.h"

#include <QSslCertificate>
#include <QTest>

namespace {
const QByteArray first = QByteArray(32, '\x11');
const QByteArray second = QByteArray(32, '\x22');
const QString server = QStringLiteral("chat.example.org:1291");

QByteArray line(const QString &name, const QByteArray &fingerprint)
{
    return name.toUtf8() + ' ' + fingerprint.toHex() + '\n';
}
}

using Verdict = ServerTrust::Verdict;
Q_DECLARE_METATYPE(ServerTrust::Verdict)
Q_DECLARE_METATYPE(QList<QSslError::SslError>)

class ServerTrustTest : public QObject
{
    Q_OBJECT

private slots:
    void handshakeErrorsSayWhoSigned_data()
    {
        QTest::addColumn<QList<QSslError::SslError>>("errors");
        QTest::addColumn<bool>("authoritySigned");
        QTest::addColumn<bool>("nameMatches");

        using E = QSslError;
        QTest::newRow("none") << QList<E::SslError>{} << true << true;
        QTest::newRow("other name") << QList<E::SslError>{E::HostNameMismatch} << true << false;
        QTest::newRow("self-signed") << QList<E::SslError>{E::SelfSignedCertificate} << false << true;
        QTest::newRow("self-signed for another name")
            << QList<E::SslError>{E::SelfSignedCertificate, E::HostNameMismatch} << false << false;
        QTest::newRow("unknown authority") << QList<E::SslError>{E::UnableToGetLocalIssuerCertificate} << false << true;
        QTest::newRow("expired") << QList<E::SslError>{E::CertificateExpired} << false << true;
    }

    void handshakeErrorsSayWhoSigned()
    {
        QFETCH(QList<QSslError::SslError>, errors);
        QFETCH(bool, authoritySigned);
        QFETCH(bool, nameMatches);

        QList<QSslError> shown;
        for (const QSslError::SslError error : errors)
            shown += QSslError(error);
        const ServerTrust::Presented presented = ServerTrust::presented(server, shown, QSslCertificate());
        QCOMPARE(presented.server, server);
        QCOMPARE(presented.authoritySigned, authoritySigned);
        QCOMPARE(presented.nameMatches, nameMatches);
    }

    void verdicts_data()
    {
        QTest::addColumn<QByteArray>("known"); // the known-servers text
        QTest::addColumn<bool>("authoritySigned");
        QTest::addColumn<bool>("nameMatches");
        QTest::addColumn<QByteArray>("fingerprint");
        QTest::addColumn<Verdict>("verdict");

        const QByteArray remembered = line(server, first);
        QTest::newRow("first use is asked") << QByteArray() << false << true << first << Verdict::AskFirstUse;
        QTest::newRow("same as remembered") << remembered << false << true << first << Verdict::Accept;
        QTest::newRow("changed is refused") << remembered << false << true << second << Verdict::RefuseChanged;
        QTest::newRow("remembered for another host")
            << line(QStringLiteral("other.example.org:1291"), first) << false << true << first << Verdict::AskFirstUse;
        QTest::newRow("remembered for another port")
            << line(QStringLiteral("chat.example.org:1292"), first) << false << true << first << Verdict::AskFirstUse;
        QTest::newRow("remembered, whatever name it is for")
            << remembered << false << false << first << Verdict::Accept;
        QTest::newRow("authority-signed for the host") << QByteArray() << true << true << first << Verdict::Accept;
        QTest::newRow("authority-signed, though another was remembered")
            << remembered << true << true << second << Verdict::Accept;
        QTest::newRow("authority-signed for another name is refused")
            << QByteArray() << true << false << first << Verdict::RefuseOtherName;
        QTest::newRow("authority-signed for another name, even when remembered")
            << remembered << true << false << first << Verdict::RefuseOtherName;
    }

    void verdicts()
    {
        QFETCH(QByteArray, known);
        QFETCH(bool, authoritySigned);
        QFETCH(bool, nameMatches);
        QFETCH(QByteArray, fingerprint);
        QFETCH(Verdict, verdict);

        ServerTrust trust;
        trust.readText(known);
        QCOMPARE(trust.judge({server, authoritySigned, nameMatches, fingerprint}), verdict);
    }

    // Asked once, then remembered: the same certificate is trusted, another one refused.
    void firstUseIsRememberedThroughTheFile()
    {
        ServerTrust asked;
        const ServerTrust::Presented shown{server, false, false, first};
        QCOMPARE(asked.judge(shown), Verdict::AskFirstUse);
        asked.remember(server, first);
        ServerTrust later;
        later.readText(asked.text());
        QCOMPARE(later.judge(shown), Verdict::Accept);
        QCOMPARE(later.judge({server, false, false, second}), Verdict::RefuseChanged);
        QCOMPARE(later.known(server), first);
    }

    void knownServersText_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("kept");

        const QByteArray a = line(QStringLiteral("a:1291"), first);
        const QByteArray b = line(QStringLiteral("[::1]:1291"), second);
        QTest::newRow("two servers in order") << a + b << a + b;
        QTest::newRow("blank and CR line ends") << "\n" + a.chopped(1) + "\r\n\n" + b << a + b;
        QTest::newRow("short fingerprint") << QByteArray("a:1291 1122\n") + b << b;
        QTest::newRow("not hexadecimal") << QByteArray("a:1291 ") + QByteArray(64, 'z') + "\n" + b << b;
        QTest::newRow("three fields") << QByteArray("a:1291 x ") + first.toHex() + "\n" + b << b;
        QTest::newRow("nul bytes") << QByteArray(100, '\0') + "\n" + b << b;
        QTest::newRow("later line for the same server wins")
            << a + line(QStringLiteral("a:1291"), second) << line(QStringLiteral("a:1291"), second);
    }

    void knownServersText()
    {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, kept);

        ServerTrust trust;
        trust.readText(text);
        QCOMPARE(trust.text(), kept);
    }

    // A file of any size is read as far as the bound, once.
    void hugeFileIsReadToItsBound()
    {
        QByteArray text;
        const QByteArray entry = line(QStringLiteral("host:1291"), first);
        while (text.size() < 2 * ServerTrust::MaxFileBytes)
            text += entry;
        ServerTrust trust;
        trust.readText(text);
        QCOMPARE(trust.text(), entry);
        trust.readText(QByteArray(8 * 1024 * 1024, 'x'));
        QVERIFY(trust.text().isEmpty());
    }

    void readableFingerprint()
    {
        QCOMPARE(ServerTrust::readable(QByteArray::fromHex("00ab10ff")), QStringLiteral("00:AB:10:FF"));
    }
};

QTEST_GUILESS_MAIN(ServerTrustTest)
#include "tst_servertrust.moc"
