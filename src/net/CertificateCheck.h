#pragma once

#include <QList>
#include <QSslError>
#include <QString>

class QSslCertificate;

// What the connection asks when a server's certificate is not trusted as it is: whether to go on
// with it. The program's answer may ask the user.
class CertificateCheck
{
public:
    virtual ~CertificateCheck() = default;

    // server is host:port as the user wrote it; errors are the handshake's.
    virtual bool accepts(const QString &server, const QList<QSslError> &errors,
                         const QSslCertificate &certificate) = 0;
};
