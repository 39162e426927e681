#pragma once

#include "net/CertificateCheck.h"
#include "net/ServerTrust.h"

class QWidget;

// The user's side of certificate trust: the boxes that ask about a server's certificate on first
// use and tell why one is refused, and the known-servers file in the user's configuration folder
// that remembers the answers. ServerTrust decides.
class CertificatePrompt : public CertificateCheck
{
public:
    explicit CertificatePrompt(QWidget *parent);

    bool accepts(const QString &server, const QList<QSslError> &errors, const QSslCertificate &certificate) override;

    // The known-servers file.
    static QString filePath();

private:
    ServerTrust readTrust() const;
    bool askFirstUse(const ServerTrust::Presented &presented);
    void warn(const QString &text);

    QWidget *m_parent;
};
