#include "TlsCredentials.h"

#include <QFile>
#include <QSslCertificate>
#include <QSslKey>

namespace {

bool readPem(const QString &path, QByteArray *bytes, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return false;
    }
    *bytes = file.read(TlsCredentials::MaxFileBytes + 1);
    if (bytes->size() > TlsCredentials::MaxFileBytes) {
        *error = QStringLiteral("%1 is larger than %2 bytes").arg(path).arg(TlsCredentials::MaxFileBytes);
        return false;
    }
    return true;
}

QSslKey privateKey(const QByteArray &pem)
{
    for (const QSsl::KeyAlgorithm algorithm : {QSsl::Rsa, QSsl::Ec, QSsl::Dsa}) {
        QSslKey key(pem, algorithm, QSsl::Pem, QSsl::PrivateKey);
        if (!key.isNull())
            return key;
    }
    return QSslKey();
}

// A key of another kind or size than the certificate's cannot be its key. (Qt offers no check of the
// key itself; a wrong key of the right kind shows in the first handshake.)
bool keyFits(const QSslKey &key, const QSslCertificate &certificate)
{
    const QSslKey publicKey = certificate.publicKey();
    return key.algorithm() == publicKey.algorithm() && key.length() == publicKey.length();
}

} // namespace

bool TlsCredentials::load(const QString &certFile, const QString &keyFile, QSslConfiguration *configuration,
                          QString *error)
{
    QByteArray certPem;
    QByteArray keyPem;
    if (!readPem(certFile, &certPem, error) || !readPem(keyFile, &keyPem, error))
        return false;
    const QList<QSslCertificate> chain = QSslCertificate::fromData(certPem, QSsl::Pem);
    if (chain.isEmpty() || chain.constFirst().isNull()) {
        *error = QStringLiteral("%1 holds no PEM certificate").arg(certFile);
        return false;
    }
    const QSslKey key = privateKey(keyPem);
    if (key.isNull()) {
        *error = QStringLiteral("%1 holds no unencrypted PEM private key").arg(keyFile);
        return false;
    }
    if (!keyFits(key, chain.constFirst())) {
        *error = QStringLiteral("the key of %1 is not of the kind and size of the certificate of %2").arg(keyFile, certFile);
        return false;
    }
    QSslConfiguration server = QSslConfiguration::defaultConfiguration();
    server.setLocalCertificateChain(chain);
    server.setPrivateKey(key);
    server.setPeerVerifyMode(QSslSocket::VerifyNone);
    server.setProtocol(QSsl::TlsV1_2OrLater);
    *configuration = server;
    return true;
}
