#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QSslError>
#include <QString>

class QSslCertificate;

// Whether a server's certificate is trusted, as SSH trusts host keys. A certificate that a known
// authority signed for the name the user wrote is trusted as it is. Any other certificate (the
// self-signed one a fresh server makes, say) is trusted by its SHA-256 fingerprint: on first use the
// user is asked, and the answer is remembered for that server (host and port); a later, different
// certificate from the same server is refused, as it may be someone in between. A certificate an
// authority signed for other names is refused: it is a real certificate of some other server.
//
// The remembered fingerprints are the text of the known-servers file: one "host:port fingerprint"
// a line, the fingerprint in hexadecimal. Lines it does not understand are left out.
class ServerTrust
{
public:
    // A file longer than this is read no further; the servers in its first part stay known.
    static constexpr qsizetype MaxFileBytes = 1024 * 1024;

    struct Presented
    {
        // host:port as the user wrote it.
        QString server;
        // A known authority signed the chain, whatever names it is for.
        bool authoritySigned = false;
        // The certificate is for the host name the user wrote.
        bool nameMatches = false;
        QByteArray fingerprint;
    };

    enum class Verdict { Accept, AskFirstUse, RefuseChanged, RefuseOtherName };

    // What a TLS handshake with `server` showed: its errors and the server's certificate.
    static Presented presented(const QString &server, const QList<QSslError> &errors,
                               const QSslCertificate &certificate);
    // A fingerprint as the user reads it: pairs of hexadecimal digits with colons between.
    static QString readable(const QByteArray &fingerprint);

    Verdict judge(const Presented &presented) const;
    // The fingerprint remembered for server; empty when none is.
    QByteArray known(const QString &server) const;
    void remember(const QString &server, const QByteArray &fingerprint);

    void readText(const QByteArray &text);
    QByteArray text() const;

private:
    QHash<QString, QByteArray> m_known;
    // The order the servers were remembered in, so the file keeps its order.
    QList<QString> m_order;
};
