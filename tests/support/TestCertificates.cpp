#include "TestCertificates.h"

#include <QFile>
#include <QHostAddress>
#include <QProcess>

namespace {
const QStringList newKey{QStringLiteral("-newkey"), QStringLiteral("ec"), QStringLiteral("-pkeyopt"),
                         QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes")};
}

TestCertificates::TestCertificates(const QString &folder)
    : m_folder(folder)
{
}

bool TestCertificates::makeSelfSigned(const QString &name, const QString &host)
{
    return run(QStringList{QStringLiteral("req"), QStringLiteral("-x509")} + newKey
               + QStringList{QStringLiteral("-keyout"), keyFile(name), QStringLiteral("-out"), certFile(name),
                             QStringLiteral("-days"), QStringLiteral("30"), QStringLiteral("-subj"),
                             QStringLiteral("/CN=") + host, QStringLiteral("-addext"), subjectAltName(host)});
}

bool TestCertificates::makeAuthority(const QString &name)
{
    return run(QStringList{QStringLiteral("req"), QStringLiteral("-x509")} + newKey
               + QStringList{QStringLiteral("-keyout"), keyFile(name), QStringLiteral("-out"), certFile(name),
                             QStringLiteral("-days"), QStringLiteral("30"), QStringLiteral("-subj"),
                             QStringLiteral("/CN=Korvani test authority"), QStringLiteral("-addext"),
                             QStringLiteral("basicConstraints=critical,CA:TRUE"), QStringLiteral("-addext"),
                             QStringLiteral("keyUsage=critical,keyCertSign,cRLSign")});
}

bool TestCertificates::makeSigned(const QString &name, const QString &host, const QString &authority)
{
    const QString request = m_folder + QLatin1Char('/') + name + QStringLiteral(".csr");
    return run(QStringList{QStringLiteral("req"), QStringLiteral("-new")} + newKey
               + QStringList{QStringLiteral("-keyout"), keyFile(name), QStringLiteral("-out"), request,
                             QStringLiteral("-subj"), QStringLiteral("/CN=") + host, QStringLiteral("-addext"),
                             subjectAltName(host)})
        && run({QStringLiteral("x509"), QStringLiteral("-req"), QStringLiteral("-in"), request, QStringLiteral("-CA"),
                certFile(authority), QStringLiteral("-CAkey"), keyFile(authority), QStringLiteral("-set_serial"),
                QStringLiteral("1"), QStringLiteral("-days"), QStringLiteral("30"), QStringLiteral("-copy_extensions"),
                QStringLiteral("copyall"), QStringLiteral("-out"), certFile(name)});
}

QString TestCertificates::certFile(const QString &name) const
{
    return m_folder + QLatin1Char('/') + name + QStringLiteral(".crt");
}

QString TestCertificates::keyFile(const QString &name) const
{
    return m_folder + QLatin1Char('/') + name + QStringLiteral(".key");
}

QSslCertificate TestCertificates::certificate(const QString &name) const
{
    QFile file(certFile(name));
    if (!file.open(QIODevice::ReadOnly))
        return QSslCertificate();
    return QSslCertificate(file.readAll(), QSsl::Pem);
}

QString TestCertificates::error() const
{
    return m_error;
}

bool TestCertificates::run(const QStringList &arguments)
{
    QProcess openssl;
    openssl.start(QStringLiteral("openssl"), arguments);
    if (openssl.waitForFinished(30000) && openssl.exitStatus() == QProcess::NormalExit && openssl.exitCode() == 0)
        return true;
    m_error = QString::fromLocal8Bit(openssl.readAllStandardError()) + openssl.errorString();
    return false;
}

QString TestCertificates::subjectAltName(const QString &host)
{
    const bool isAddress = !QHostAddress(host).isNull();
    return QStringLiteral("subjectAltName=") + (isAddress ? QStringLiteral("IP:") : QStringLiteral("DNS:")) + host;
}
