#include "LinkPolicy.h"

#include <QRegularExpression>
#include <QStringList>

namespace {

// "name:" at the start, where what follows the colon is not a port number ("localhost:8080/x" has
// no scheme).
QString schemeOf(const QString &address)
{
    static const QRegularExpression scheme(QStringLiteral("^([A-Za-z][A-Za-z0-9+.-]*):(?!\\d+(?:[/?#]|$))"));
    const QRegularExpressionMatch match = scheme.match(address);
    return match.hasMatch() ? match.captured(1).toLower() : QString();
}

} // namespace

QUrl LinkPolicy::urlToOpen(const QString &href)
{
    static const QStringList openable = {QStringLiteral("http"), QStringLiteral("https"), QStringLiteral("ftp"),
                                         QStringLiteral("mailto")};
    const QString address = href.trimmed();
    if (address.isEmpty())
        return {};
    const QString scheme = schemeOf(address);
    if (!scheme.isEmpty() && !openable.contains(scheme))
        return {};
    QUrl url;
    if (!scheme.isEmpty())
        url = QUrl(address, QUrl::TolerantMode);
    else if (address.startsWith(QStringLiteral("//")))
        url = QUrl(QStringLiteral("http:") + address, QUrl::TolerantMode);
    else
        url = QUrl(QStringLiteral("http://") + address, QUrl::TolerantMode);
    const bool needsHost = url.scheme() != QStringLiteral("mailto");
    if (!url.isValid() || (needsHost ? url.host().isEmpty() : url.path().isEmpty()))
        return {};
    return url;
}
