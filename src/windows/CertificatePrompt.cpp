#include "CertificatePrompt.h"

#include "app/Dialogs.h"
#include "app/FileReplacement.h"
#include "app/SettingsLocation.h"

#include <QFile>
#include <QSslCertificate>

namespace {
const QString boxTitle = QStringLiteral("Private connection");
}

CertificatePrompt::CertificatePrompt(QWidget *parent)
    : m_parent(parent)
{
}

QString CertificatePrompt::filePath()
{
    return SettingsLocation::userFolder() + QStringLiteral("/known-servers");
}

bool CertificatePrompt::accepts(const QString &server, const QList<QSslError> &errors,
                                const QSslCertificate &certificate)
{
    const ServerTrust::Presented presented = ServerTrust::presented(server, errors, certificate);
    const ServerTrust trust = readTrust();
    switch (trust.judge(presented)) {
    case ServerTrust::Verdict::Accept:
        return true;
    case ServerTrust::Verdict::AskFirstUse:
        return askFirstUse(presented);
    case ServerTrust::Verdict::RefuseChanged:
        warn(QStringLiteral("The certificate of %1 has CHANGED since you trusted it.\n\n"
                              "Trusted SHA-256 fingerprint:\n%2\n\nFingerprint shown now:\n%3\n\n"
                              "Someone may be listening in between you and the server, or its operator "
                              "has replaced the certificate. The connection is refused. If the operator "
                              "confirms the new fingerprint, remove the line of %1 from %4 and connect "
                              "again.")
                   .arg(server, ServerTrust::readable(trust.known(server)),
                        ServerTrust::readable(presented.fingerprint), filePath()));
        return false;
    case ServerTrust::Verdict::RefuseOtherName:
        warn(QStringLiteral("The certificate shown by %1 was signed by a known authority for other "
                              "names (%2), so it belongs to another server. The connection is refused.")
                   .arg(server, certificate.subjectAlternativeNames().values().join(QStringLiteral(", "))));
        return false;
    }
    return false;
}

ServerTrust CertificatePrompt::readTrust() const
{
    ServerTrust trust;
    QFile file(filePath());
    if (file.open(QIODevice::ReadOnly))
        trust.readText(file.read(ServerTrust::MaxFileBytes));
    return trust;
}

bool CertificatePrompt::askFirstUse(const ServerTrust::Presented &presented)
{
    const QString text = QStringLiteral("%1 shows a certificate that no known authority signed for it.\n\n"
                                        "SHA-256 fingerprint:\n%2\n\n"
                                        "Compare it with the fingerprint the server's operator gives you. "
                                        "Trust this certificate for %1 from now on?")
                             .arg(presented.server, ServerTrust::readable(presented.fingerprint));
    if (Dialogs::current().messageBox(m_parent, QMessageBox::Question, boxTitle, text,
                                      QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        != QMessageBox::Yes)
        return false;
    // Read again: another Korvani may have remembered a server while the box was open.
    ServerTrust trust = readTrust();
    trust.remember(presented.server, presented.fingerprint);
    QString error;
    if (!SettingsLocation::prepareFolderOf(filePath()) || !FileReplacement::replace(filePath(), trust.text(), &error))
        warn(QStringLiteral("The certificate is trusted for this connection only: %1")
                   .arg(error.isEmpty() ? QStringLiteral("cannot create ") + SettingsLocation::userFolder() : error));
    return true;
}

void CertificatePrompt::warn(const QString &text)
{
    Dialogs::current().messageBox(m_parent, QMessageBox::Warning, boxTitle, text, QMessageBox::Ok, QMessageBox::Ok);
}
