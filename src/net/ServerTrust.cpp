#include "ServerTrust.h"

#include <QCryptographicHash>
#include <QSslCertificate>

namespace {
constexpr qsizetype fingerprintBytes = 32;

bool isAuthorityError(QSslError::SslError error)
{
    return error != QSslError::HostNameMismatch;
}
}

ServerTrust::Presented ServerTrust::presented(const QString &server, const QList<QSslError> &errors,
                                              const QSslCertificate &certificate)
{
    Presented shown;
    shown.server = server;
    shown.authoritySigned = std::none_of(errors.begin(), errors.end(),
                                         [](const QSslError &error) { return isAuthorityError(error.error()); });
    shown.nameMatches = std::none_of(errors.begin(), errors.end(), [](const QSslError &error) {
        return error.error() == QSslError::HostNameMismatch;
    });
    shown.fingerprint = certificate.digest(QCryptographicHash::Sha256);
    return shown;
}

QString ServerTrust::readable(const QByteArray &fingerprint)
{
    return QString::fromLatin1(fingerprint.toHex(':').toUpper());
}

ServerTrust::Verdict ServerTrust::judge(const Presented &presented) const
{
    if (presented.authoritySigned)
        return presented.nameMatches ? Verdict::Accept : Verdict::RefuseOtherName;
    const QByteArray known = m_known.value(presented.server);
    if (known.isEmpty())
        return Verdict::AskFirstUse;
    return known == presented.fingerprint ? Verdict::Accept : Verdict::RefuseChanged;
}

QByteArray ServerTrust::known(const QString &server) const
{
    return m_known.value(server);
}

void ServerTrust::remember(const QString &server, const QByteArray &fingerprint)
{
    if (!m_known.contains(server))
        m_order.append(server);
    m_known.insert(server, fingerprint);
}

void ServerTrust::readText(const QByteArray &text)
{
    m_known.clear();
    m_order.clear();
    const QList<QByteArray> lines = text.left(MaxFileBytes).split('\n');
    for (const QByteArray &line : lines) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() != 2)
            continue;
        const QByteArray fingerprint = QByteArray::fromHex(fields.at(1));
        if (fingerprint.size() == fingerprintBytes && fingerprint.toHex() == fields.at(1).toLower())
            remember(QString::fromUtf8(fields.at(0)), fingerprint);
    }
}

QByteArray ServerTrust::text() const
{
    QByteArray text;
    for (const QString &server : m_order)
        text += server.toUtf8() + ' ' + m_known.value(server).toHex() + '\n';
    return text;
}
