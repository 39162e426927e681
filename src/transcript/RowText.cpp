#include "RowText.h"

#include <QHash>
#include <QSet>
#include <QTextDocumentFragment>

namespace {

constexpr qsizetype longestEntityName = 32;

bool isBlockTag(const QString &name)
{
    static const QSet<QString> blocks = {
        QStringLiteral("p"),     QStringLiteral("div"),    QStringLiteral("table"),
        QStringLiteral("tr"),    QStringLiteral("td"),    QStringLiteral("th"),    QStringLiteral("li"),
        QStringLiteral("ul"),    QStringLiteral("ol"),    QStringLiteral("h1"),    QStringLiteral("h2"),
        QStringLiteral("h3"),    QStringLiteral("h4"),    QStringLiteral("h5"),    QStringLiteral("h6"),
        QStringLiteral("pre"),   QStringLiteral("center"), QStringLiteral("blockquote"), QStringLiteral("dl"),
        QStringLiteral("dt"),    QStringLiteral("dd"),    QStringLiteral("body"),  QStringLiteral("html"),
    };
    return blocks.contains(name);
}

// Tags whose content is never shown.
bool hidesContent(const QString &name)
{
    return name == QLatin1String("style") || name == QLatin1String("script") || name == QLatin1String("head")
        || name == QLatin1String("title");
}

// A named entity as the page engine reads it; each name is asked once per run.
QString namedEntity(const QString &name)
{
    static QHash<QString, QString> known;
    const auto found = known.constFind(name);
    if (found != known.cend())
        return *found;
    const QString text = QTextDocumentFragment::fromHtml(u'&' + name + u';').toPlainText();
    known.insert(name, text);
    return text;
}

class Reader
{
public:
    explicit Reader(QStringView html)
        : m_html(html)
    {
    }

    QString read()
    {
        while (m_at < m_html.size()) {
            const QChar c = m_html.at(m_at);
            if (c == u'<' && startsTag())
                readTag();
            else if (c == u'&')
                readEntity();
            else
                readCharacter(c);
        }
        while (m_text.endsWith(u'\n'))
            m_text.chop(1);
        return m_text;
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
        if (m_html.mid(m_at).startsWith(QLatin1String("<!--"))) {
            const qsizetype end = m_html.indexOf(QLatin1String("-->"), m_at + 4);
            m_at = end < 0 ? m_html.size() : end + 3;
            return;
        }
        qsizetype at = m_at + 1;
        const bool closing = m_html.at(at) == u'/';
        if (closing)
            ++at;
        const qsizetype nameStart = at;
        while (at < m_html.size() && m_html.at(at).isLetterOrNumber())
            ++at;
        const QString name = m_html.mid(nameStart, at - nameStart).toString().toLower();
        m_at = tagEnd(at);
        if (hidesContent(name) && !closing) {
            const qsizetype end = m_html.indexOf(QStringLiteral("</") + name, m_at, Qt::CaseInsensitive);
            m_at = end < 0 ? m_html.size() : tagEnd(end + 2);
        } else if (name == QLatin1String("br")) {
            m_text += u'\n';
            m_afterSpace = true;
        } else if (name == QLatin1String("img")) {
            m_afterSpace = false; // a picture stands between two blanks: both are shown
        } else if (name == QLatin1String("hr") && !closing) {
            endLine();
            if (!m_text.isEmpty())
                m_text += u'\n'; // the rule is a line of its own
        } else if (isBlockTag(name)) {
            endLine();
        }
    }

    // Just past the '>' that ends a tag, quoted attribute values skipped.
    qsizetype tagEnd(qsizetype at) const
    {
        QChar quote;
        for (; at < m_html.size(); ++at) {
            const QChar c = m_html.at(at);
            if (!quote.isNull()) {
                if (c == quote)
                    quote = QChar();
            } else if (c == u'\'' || c == u'"') {
                quote = c;
            } else if (c == u'>') {
                return at + 1;
            }
        }
        return at;
    }

    void readEntity()
    {
        const qsizetype end = m_html.indexOf(u';', m_at + 1);
        const QStringView name = end < 0 ? QStringView() : m_html.mid(m_at + 1, end - m_at - 1);
        const QString text = name.isEmpty() || name.size() > longestEntityName ? QString() : decoded(name);
        if (text.isEmpty()) {
            readCharacter(u'&');
            return;
        }
        m_at = end + 1;
        for (const QChar c : text)
            append(c == QChar::Nbsp ? u' ' : c);
    }

    static QString decoded(QStringView name)
    {
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

    void readCharacter(QChar c)
    {
        ++m_at;
        if (c.isSpace()) {
            if (!m_afterSpace && !m_text.isEmpty() && !m_text.endsWith(u'\n'))
                m_text += u' ';
            m_afterSpace = true;
            return;
        }
        append(c == QChar::Nbsp ? u' ' : c);
    }

    void append(QChar c)
    {
        m_text += c;
        m_afterSpace = false;
    }

    void endLine()
    {
        if (!m_text.isEmpty() && !m_text.endsWith(u'\n'))
            m_text += u'\n';
        m_afterSpace = true;
    }

    QStringView m_html;
    qsizetype m_at = 0;
    QString m_text;
    bool m_afterSpace = true;
};

} // namespace

QString RowText::plainText(QStringView html)
{
    return Reader(html).read();
}
