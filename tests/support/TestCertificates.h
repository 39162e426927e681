#pragma once

#include <QSslCertificate>
#include <QString>
#include <QStringList>

// Certificates and keys that a test makes with the openssl program, as PEM files NAME.crt and
// NAME.key in a folder of the test's. Keys are EC P-256: quick to make.
class TestCertificates
{
public:
    explicit TestCertificates(const QString &folder);

    // A certificate signed by its own key, for host (a name or an IP address).
    bool makeSelfSigned(const QString &name, const QString &host);
    // An authority that can sign certificates.
    bool makeAuthority(const QString &name);
    // A certificate for host that the authority made by makeAuthority signed.
    bool makeSigned(const QString &name, const QString &host, const QString &authority);

    QString certFile(const QString &name) const;
    QString keyFile(const QString &name) const;
    QSslCertificate certificate(const QString &name) const;
    // What openssl said when it failed.
    QString error() const;

private:
    bool run(const QStringList &arguments);
    static QString subjectAltName(const QString &host);

    QString m_folder;
    QString m_error;
};
