#include "LogFolderName.h"

#include <QCryptographicHash>

namespace {

bool keeps(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('.') || c == QLatin1Char('-') || c == QLatin1Char('_');
}

} // namespace

QString LogFolderName::forServer(const QString &server)
{
    QString name;
    const qsizetype kept = std::min<qsizetype>(server.size(), MaxKept);
    name.reserve(kept + 9);
    for (qsizetype i = 0; i < kept; ++i) {
        const QChar c = server.at(i);
        name.append(keeps(c) ? c.toLower() : QLatin1Char('_'));
    }
    // A leading dot would make "." or "..", or hide the folder from the user.
    if (name.isEmpty() || name.startsWith(QLatin1Char('.')))
        name.prepend(QLatin1Char('_'));
    if (server.size() > MaxKept) {
        const QByteArray hash = QCryptographicHash::hash(server.toUtf8(), QCryptographicHash::Sha1).toHex();
        name += QLatin1Char('-') + QLatin1String(hash.left(8));
    }
    return name;
}
