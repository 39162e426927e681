#include "RowHtmlReader.h"

#include <QHash>
#include <QTextDocumentFragment>

#include <algorithm>
#include <iterator>

namespace {

constexpr qsizetype longestEntityName = 32;

// The blanks that HTML collapses; a no-break space is shown as it is.
bool isBlank(QChar c)
{
    return c.isSpace() && c != QChar::Nbsp;
}

// Tags whose content is never shown.
bool hidesContent(const QString &name)
{
    return name == QLatin1String("style") || name == QLatin1String("script") || name == QLatin1String("head")
        || name == QLatin1String("title");
}

// A named entity as the page engine reads it; each name is asked of the engine once per run.
QString namedEntity(const QString &name)
{
    static QHash<QString, QString> known;
    const auto found = known.constFind(name);
    if (found != known.cend())
        return *found;
    const QString text = QTextDocumentFragment::fromHtml(u'&' + name + u';').toRawText();
    known.insert(name, text);
    return text;
}

// The text of "&name;" given name, or an empty string when it names nothing.
QString entityText(QStringView name)
{
    if (name.isEmpty() || name.size() > longestEntityName)
        return {};
    if (name.startsWith(u'#')) {
        bool ok = false;
        const bool hex = name.size() > 1 && (name.at(1) == u'x' || name.at(1) == u'X');
        const uint code = name.mid(hex ? 2 : 1).toUInt(&ok, hex ? 16 : 10);
        if (!ok || code == 0 || code > 0x10FFFF)
            return {};
        const char32_t character = code;
        return QString::fromUcs4(&character, 1);
    }
    for (const QChar c : name) {
        if (!c.isLetterOrNumber())
            return {};
    }
    return namedEntity(name.toString());
}

class Reader
{
public:
    Reader(QStringView html, RowHtmlReader::Handler &handler)
        : m_html(html)
        , m_handler(handler)
    {
    }

    bool read()
    {
        while (m_at < m_html.size() && m_going) {
            const QChar c = m_html.at(m_at);
            if (c == u'<' && startsTag()) {
                readTag();
            } else if (c == u'&') {
                readEntity();
            } else if (isBlank(c)) {
                ++m_at;
                appendBlank();
            } else {
                appendRun();
            }
        }
        flushText();
        return m_going;
    }

private:
    bool startsTag() const
    {
        if (m_at + 1 >= m_html.size())
            return false;
        const QChar next = m_html.at(m_at + 1);
        return next.isLetter() || next == u'/' || next == u'!';
    }

    void readTag()
    {
        if (m_html.mid(m_at).startsWith(QLatin1String("<!"))) {
            const bool comment = m_html.mid(m_at).startsWith(QLatin1String("<!--"));
            const qsizetype end = comment ? m_html.indexOf(QLatin1String("-->"), m_at + 4) : m_html.indexOf(u'>', m_at);
            m_at = end < 0 ? m_html.size() : end + (comment ? 3 : 1);
            return;
        }
        RowHtmlReader::Tag tag;
        m_at = readTagAt(m_at + 1, tag);
        if (hidesContent(tag.name) && !tag.closing) {
            const qsizetype end = m_html.indexOf(QStringLiteral("</") + tag.name, m_at, Qt::CaseInsensitive);
            RowHtmlReader::Tag ignored;
            m_at = end < 0 ? m_html.size() : readTagAt(end + 1, ignored);
            return;
        }
        flushText();
        if (tag.name == QLatin1String("img"))
            m_afterSpace = false; // a picture stands between two blanks: both are shown
        else if (tag.name == QLatin1String("br") || RowHtmlReader::isBlock(tag.name))
            m_afterSpace = true;
        m_going = m_handler.tag(tag);
    }

    // Reads the tag whose name starts at `at` (past "<"); returns the position just past its ">".
    qsizetype readTagAt(qsizetype at, RowHtmlReader::Tag &tag) const
    {
        if (at < m_html.size() && m_html.at(at) == u'/') {
            tag.closing = true;
            ++at;
        }
        const qsizetype nameStart = at;
        while (at < m_html.size() && m_html.at(at).isLetterOrNumber())
            ++at;
        tag.name = m_html.mid(nameStart, at - nameStart).toString().toLower();
        while (at < m_html.size()) {
            const QChar c = m_html.at(at);
            if (c == u'>')
                return at + 1;
            if (c.isSpace() || c == u'/') {
                ++at;
                continue;
            }
            at = readAttribute(at, tag);
        }
        return at;
    }

    qsizetype readAttribute(qsizetype at, RowHtmlReader::Tag &tag) const
    {
        const qsizetype nameStart = at;
        while (at < m_html.size() && !m_html.at(at).isSpace() && m_html.at(at) != u'=' && m_html.at(at) != u'>')
            ++at;
        RowHtmlReader::Attribute attribute{m_html.mid(nameStart, at - nameStart).toString().toLower(), QString()};
        if (at < m_html.size() && m_html.at(at) == u'=') {
            ++at;
            const QChar quote = at < m_html.size() ? m_html.at(at) : QChar();
            qsizetype valueStart = at;
            qsizetype valueEnd;
            const bool quoted = quote == u'\'' || quote == u'"';
            if (quoted) {
                valueStart = at + 1;
                valueEnd = m_html.indexOf(quote, valueStart);
                if (valueEnd < 0)
                    valueEnd = m_html.size();
                at = std::min(valueEnd + 1, m_html.size());
            } else {
                while (at < m_html.size() && !m_html.at(at).isSpace() && m_html.at(at) != u'>')
                    ++at;
                valueEnd = at;
            }
            // Entities are decoded in every value, as HTML reads them: the engine's own import leaves
            // a value in single quotes undecoded, and a link's address read that way is not the one
            // written.
            attribute.value = decoded(m_html.mid(valueStart, valueEnd - valueStart));
        }
        if (nameStart == at)
            ++at; // a stray "=": step over it
        tag.attributes.append(attribute);
        return at;
    }

    static QString decoded(QStringView value)
    {
        if (!value.contains(u'&'))
            return value.toString();
        QString text;
        for (qsizetype at = 0; at < value.size();) {
            const qsizetype end = value.at(at) == u'&' ? value.indexOf(u';', at + 1) : -1;
            const QString entity = end < 0 ? QString() : entityText(value.mid(at + 1, end - at - 1));
            if (entity.isEmpty()) {
                text += value.at(at++);
            } else {
                text += entity;
                at = end + 1;
            }
        }
        return text;
    }

    void readEntity()
    {
        const qsizetype end = m_html.indexOf(u';', m_at + 1);
        const QString text = end < 0 || end - m_at - 1 > longestEntityName ? QString()
                                                                          : entityText(m_html.mid(m_at + 1, end - m_at - 1));
        if (text.isEmpty()) {
            ++m_at;
            appendShown(u'&');
            return;
        }
        m_at = end + 1;
        m_text += text;
        m_afterSpace = false;
    }

    // Characters up to the next blank, "<" or "&", as they stand.
    void appendRun()
    {
        const qsizetype start = m_at++; // the first may be a "<" that starts no tag
        while (m_at < m_html.size()) {
            const QChar c = m_html.at(m_at);
            if (c == u'<' || c == u'&' || isBlank(c))
                break;
            ++m_at;
        }
        m_text += m_html.mid(start, m_at - start);
        m_afterSpace = false;
    }

    void appendBlank()
    {
        if (!m_afterSpace)
            m_text += u' ';
        m_afterSpace = true;
    }

    void appendShown(QChar c)
    {
        m_text += c;
        m_afterSpace = false;
    }

    void flushText()
    {
        if (m_text.isEmpty() || !m_going)
            return;
        m_going = m_handler.text(m_text);
        m_text.truncate(0); // keeps the buffer for the next run of text
    }

    QStringView m_html;
    RowHtmlReader::Handler &m_handler;
    qsizetype m_at = 0;
    QString m_text;
    bool m_afterSpace = true;
    bool m_going = true;
};

} // namespace

bool RowHtmlReader::read(QStringView html, Handler &handler)
{
    return Reader(html, handler).read();
}

bool RowHtmlReader::isBlock(const QString &name)
{
    // Every row has a few tags: comparing with each name costs less than hashing.
    static constexpr QLatin1StringView blocks[] = {
        QLatin1StringView("div"), QLatin1StringView("p"),  QLatin1StringView("hr"),   QLatin1StringView("table"),
        QLatin1StringView("tr"),  QLatin1StringView("td"), QLatin1StringView("th"),   QLatin1StringView("li"),
        QLatin1StringView("ul"),  QLatin1StringView("ol"), QLatin1StringView("h1"),   QLatin1StringView("h2"),
        QLatin1StringView("h3"),  QLatin1StringView("h4"), QLatin1StringView("h5"),   QLatin1StringView("h6"),
        QLatin1StringView("pre"), QLatin1StringView("dl"), QLatin1StringView("dt"),   QLatin1StringView("dd"),
        QLatin1StringView("body"), QLatin1StringView("html"), QLatin1StringView("center"),
        QLatin1StringView("blockquote"),
    };
    return std::any_of(std::begin(blocks), std::end(blocks), [&name](QLatin1StringView block) { return name == block; });
}
