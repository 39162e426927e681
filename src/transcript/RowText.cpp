#include "RowText.h"

#include "RowHtmlReader.h"

#include <algorithm>

namespace {

class TextCollector : public RowHtmlReader::Handler
{
public:
    bool text(const QString &text) override
    {
        const qsizetype start = m_text.size();
        m_text += text;
        // Copied text has plain blanks.
        std::replace(m_text.begin() + start, m_text.end(), QChar(QChar::Nbsp), QChar(u' '));
        return true;
    }

    bool tag(const RowHtmlReader::Tag &tag) override
    {
        if (tag.name == QLatin1String("br")) {
            m_text += u'\n';
        } else if (tag.name == QLatin1String("hr") && !tag.closing) {
            endLine();
            if (!m_text.isEmpty())
                m_text += u'\n'; // the rule is a line of its own
        } else if (RowHtmlReader::isBlock(tag.name)) {
            endLine();
        }
        return true;
    }

    QString result()
    {
        while (m_text.endsWith(u'\n'))
            m_text.chop(1);
        return m_text;
    }

private:
    void endLine()
    {
        if (!m_text.isEmpty() && !m_text.endsWith(u'\n'))
            m_text += u'\n';
    }

    QString m_text;
};

} // namespace

QString RowText::plainText(QStringView html)
{
    TextCollector collector;
    RowHtmlReader::read(html, collector);
    return collector.result();
}
