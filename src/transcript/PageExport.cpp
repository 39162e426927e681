#include "PageExport.h"

#include "ImageCache.h"
#include "LinkPolicy.h"
#include "PageHead.h"
#include "PageText.h"
#include "RowHtmlReader.h"
#include "TranscriptPage.h"

#include <QHash>
#include <QSet>
#include <QStringList>
#include <QUrl>

namespace {

// The tags the rows are built of and the engine shows, each with the attributes kept.
const QHash<QString, QSet<QString>> &keptTags()
{
    static const QSet<QString> common = {QStringLiteral("class"), QStringLiteral("align")};
    static const QHash<QString, QSet<QString>> tags = [] {
        QHash<QString, QSet<QString>> kept;
        for (const char *name : {"div", "span", "p", "b", "strong", "i", "em", "u", "s", "sub", "sup", "small",
                                 "big", "center", "tt", "code", "pre", "blockquote", "ul", "ol", "li", "tr", "br",
                                 "hr", "h1", "h2", "h3", "h4", "h5", "h6"})
            kept.insert(QString::fromLatin1(name), common);
        kept.insert(QStringLiteral("table"), common + QSet<QString>{QStringLiteral("cellspacing"), QStringLiteral("cellpadding"),
                                                                    QStringLiteral("border"), QStringLiteral("width")});
        for (const QString &cell : {QStringLiteral("td"), QStringLiteral("th")})
            kept.insert(cell, common + QSet<QString>{QStringLiteral("colspan"), QStringLiteral("rowspan"),
                                                     QStringLiteral("width"), QStringLiteral("valign"), QStringLiteral("bgcolor")});
        kept.insert(QStringLiteral("font"), {QStringLiteral("color"), QStringLiteral("size"), QStringLiteral("face")});
        kept.insert(QStringLiteral("a"), {QStringLiteral("href")});
        kept.insert(QStringLiteral("img"), {QStringLiteral("src"), QStringLiteral("alt"), QStringLiteral("width"),
                                            QStringLiteral("height")});
        return kept;
    }();
    return tags;
}

bool isVoid(const QString &name)
{
    return name == QLatin1String("br") || name == QLatin1String("hr") || name == QLatin1String("img");
}

// An address as the saved page may carry it, or an empty string when it must go.
QString keptValue(const RowHtmlReader::Attribute &attribute)
{
    if (attribute.name == QLatin1String("href"))
        return LinkPolicy::urlToOpen(attribute.value).toString(QUrl::FullyEncoded);
    if (attribute.name == QLatin1String("src")) {
        const QString path = ImageCache::localPath(QUrl(attribute.value));
        return path.isEmpty() ? QString() : QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded);
    }
    return attribute.value;
}

// Writes one row again from what the reader makes of it.
class RowWriter : public RowHtmlReader::Handler
{
public:
    explicit RowWriter(QString &out)
        : m_out(out)
    {
    }

    bool text(const QString &text) override
    {
        m_out += text.toHtmlEscaped();
        return true;
    }

    bool tag(const RowHtmlReader::Tag &tag) override
    {
        const auto kept = keptTags().constFind(tag.name);
        if (kept == keptTags().cend())
            return true;
        if (tag.closing)
            close(tag.name);
        else
            open(tag, *kept);
        return true;
    }

    void closeAll()
    {
        while (!m_open.isEmpty())
            m_out += QStringLiteral("</") + m_open.takeLast() + u'>';
    }

private:
    void open(const RowHtmlReader::Tag &tag, const QSet<QString> &keptAttributes)
    {
        QString written = u'<' + tag.name;
        for (const RowHtmlReader::Attribute &attribute : tag.attributes) {
            if (!keptAttributes.contains(attribute.name))
                continue;
            const QString value = keptValue(attribute);
            if (value.isEmpty() && attribute.name == QLatin1String("src"))
                return; // a picture from elsewhere is not shown
            if (!value.isEmpty())
                written += u' ' + attribute.name + QStringLiteral("=\"") + value.toHtmlEscaped() + u'"';
        }
        m_out += written + u'>';
        if (!isVoid(tag.name))
            m_open.append(tag.name);
    }

    // A closing tag ends what it opened and everything opened since; one that opened nothing goes.
    void close(const QString &name)
    {
        const qsizetype opened = m_open.lastIndexOf(name);
        if (opened < 0)
            return;
        while (m_open.size() > opened)
            m_out += QStringLiteral("</") + m_open.takeLast() + u'>';
    }

    QString &m_out;
    QStringList m_open;
};

} // namespace

QByteArray PageExport::html(const TranscriptPage &page)
{
    const QString styleSheet = page.styleSheet().isEmpty() ? PageHead::styleSheet() : page.styleSheet();
    QString out = QStringLiteral("<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n"
                                 "<title>Korvani conversation</title>\n<base target=\"_blank\">\n<style>\n")
        + styleSheet + QStringLiteral("\n</style>\n</head>\n<body>\n");
    for (int index = 0; index < page.fragmentCount(); ++index) {
        if (!page.isRow(index))
            continue;
        RowWriter writer(out);
        RowHtmlReader::read(page.fragment(index), writer);
        writer.closeAll();
        out += u'\n';
    }
    out += QStringLiteral("</body>\n</html>\n");
    return out.toUtf8();
}

QByteArray PageExport::plainText(const TranscriptPage &page)
{
    PageText text;
    const QString &lines = text.of(page);
    return lines.isEmpty() ? QByteArray() : (lines + u'\n').toUtf8();
}
