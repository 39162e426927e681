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

// A mail link keeps its addresses and only the fields that fill in a message; any other field
// (some mail programs attach the file that "attach=" names) and the fragment are left out. Field
// names are compared without regard to case, as mail programs read them.
QUrl withMessageFieldsOnly(QUrl mail)
{
    static const QStringList messageFields = {QStringLiteral("subject"), QStringLiteral("body"), QStringLiteral("cc"),
                                              QStringLiteral("bcc")};
    QStringList kept;
    const QStringList fields = mail.query(QUrl::FullyEncoded).split(u'&', Qt::SkipEmptyParts);
    for (const QString &field : fields) {
        const QString name = QUrl::fromPercentEncoding(field.section(u'=', 0, 0).toLatin1()).toLower();
        if (messageFields.contains(name))
            kept.append(field);
    }
    mail.setQuery(kept.isEmpty() ? QString() : kept.join(u'&'));
    mail.setFragment(QString());
    return mail;
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
    return needsHost ? url : withMessageFieldsOnly(url);
}
