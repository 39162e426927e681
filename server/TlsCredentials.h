#pragma once

#include <QSslConfiguration>
#include <QString>

// The server's certificate and key for connections with TLS, read from PEM files and checked
// before the server uses them: a file that cannot be read, holds no certificate or key, or a key
// of another kind or size than the certificate's is refused with a reason, so a reload never swaps a
// working certificate for a broken one.
class TlsCredentials
{
public:
    // A certificate chain or key file longer than this is refused rather than read.
    static constexpr qint64 MaxFileBytes = 1024 * 1024;

    // The server side of a TLS connection with the certificate of certFile (the server's own
    // first, then its chain) and the key of keyFile. False with *error when they cannot be used.
    static bool load(const QString &certFile, const QString &keyFile, QSslConfiguration *configuration,
                     QString *error);
};
