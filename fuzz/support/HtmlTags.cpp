#include "HtmlTags.h"

#include <QStringList>

#include <algorithm>

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

class Tokenizer
{
public:
    explicit Tokenizer(const QString &html)
        : m_html(html)
    {
    }

    QList<HtmlTag> tags()
    {
        QList<HtmlTag> found;
        while ((m_at = m_html.indexOf(u'<', m_at)) >= 0) {
            ++m_at;
            const bool closing = peek() == u'/';
            if (closing)
                ++m_at;
            if (m_at >= m_html.size() || !m_html.at(m_at).isLetter())
                continue; // "<" before anything but a name is text
            HtmlTag tag;
            tag.name = (closing ? QStringLiteral("/") : QString()) + readWhile([](QChar c) {
                           return !isBlank(c) && c != u'/' && c != u'>';
                       }).toLower();
            readAttributes(&tag);
            found.append(tag);
        }
        return found;
    }

private:
    QChar peek() const { return m_at < m_html.size() ? m_html.at(m_at) : QChar(); }

    template <class Predicate>
    QString readWhile(Predicate accepts)
    {
        const qsizetype start = m_at;
        while (m_at < m_html.size() && accepts(m_html.at(m_at)))
            ++m_at;
        return m_html.mid(start, m_at - start);
    }

    void skipBlanks() { readWhile(isBlank); }

    void readAttributes(HtmlTag *tag)
    {
        for (;;) {
            readWhile([](QChar c) { return isBlank(c) || c == u'/'; });
            if (m_at >= m_html.size())
                return;
            if (peek() == u'>') {
                ++m_at;
                return;
            }
            // A name starts with any character, even "=" (the tokenizer's rule for a stray one).
            QString name(m_html.at(m_at++));
            name += readWhile([](QChar c) { return !isBlank(c) && c != u'/' && c != u'>' && c != u'='; });
            skipBlanks();
            QString value;
            if (peek() == u'=') {
                ++m_at;
                skipBlanks();
                value = readValue();
            }
            tag->attributes.append({name.toLower(), value});
        }
    }

    QString readValue()
    {
        const QChar quote = peek();
        if (quote == u'\'' || quote == u'"') {
            ++m_at;
            const QString value = readWhile([quote](QChar c) { return c != quote; });
            ++m_at;
            return value;
        }
        return readWhile([](QChar c) { return !isBlank(c) && c != u'>'; });
    }

    const QString &m_html;
    qsizetype m_at = 0;
};

} // namespace

QList<HtmlTag> htmlTags(const QString &html)
{
    return Tokenizer(html).tags();
}

HtmlAllowList &HtmlAllowList::allow(const QString &tag, const QStringList &attributes)
{
    m_tags.append({tag, attributes});
    return *this;
}

QString HtmlAllowList::firstViolation(const QString &html) const
{
    for (const HtmlTag &tag : htmlTags(html)) {
        const QString bare = tag.name.startsWith(u'/') ? tag.name.mid(1) : tag.name;
        const auto allowed = std::find_if(m_tags.cbegin(), m_tags.cend(),
                                          [&bare](const auto &entry) { return entry.first == bare; });
        if (allowed == m_tags.cend())
            return QStringLiteral("tag <%1>").arg(tag.name);
        for (const auto &[name, value] : tag.attributes) {
            if (tag.name.startsWith(u'/') || !allowed->second.contains(name))
                return QStringLiteral("attribute %1 on <%2>").arg(name, tag.name);
        }
    }
    return QString();
}
