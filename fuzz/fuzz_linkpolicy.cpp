// A link's address, as another user wrote it, through the policy that decides what may be opened.
// Input: the address (UTF-8).
#include "support/FuzzInput.h"

#include "transcript/LinkPolicy.h"

#include <QStringList>
#include <QUrlQuery>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QStringList openable = {QStringLiteral("http"), QStringLiteral("https"), QStringLiteral("ftp"),
                                         QStringLiteral("mailto")};
    static const QStringList messageFields = {QStringLiteral("subject"), QStringLiteral("body"), QStringLiteral("cc"),
                                              QStringLiteral("bcc")};
    const QString href = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const QUrl url = LinkPolicy::urlToOpen(href);
    if (url.isEmpty())
        return 0;
    fuzzCheck(url.isValid(), "an invalid address is offered for opening", href.toUtf8());
    fuzzCheck(openable.contains(url.scheme()), "a scheme outside http, https, ftp, mailto opens",
              (url.scheme() + QStringLiteral(" <- ") + href).toUtf8());
    // The desktop receives the address as encoded text and parses it again: it must read the same scheme.
    const QUrl handedOver = QUrl::fromEncoded(url.toEncoded());
    fuzzCheck(handedOver.scheme() == url.scheme(), "the address changes its scheme on the way to the desktop",
              url.toEncoded());
    if (url.scheme() != QLatin1String("mailto")) {
        fuzzCheck(!url.host().isEmpty(), "a web address without a host opens", url.toEncoded());
        return 0;
    }
    // A mail link fills in a message and nothing else: no attachment, no header of the sender's choice.
    fuzzCheck(!handedOver.hasFragment(), "a mail link keeps a fragment", url.toEncoded());
    const QList<std::pair<QString, QString>> fields = QUrlQuery(handedOver).queryItems(QUrl::FullyDecoded);
    for (const auto &[name, value] : fields)
        fuzzCheck(messageFields.contains(name.toLower()), "a mail link carries a field beyond subject, body, cc, bcc",
                  url.toEncoded());
    return 0;
}
