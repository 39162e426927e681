#include "PageText.h"

#include "TranscriptPage.h"

const QString &PageText::of(const TranscriptPage &page)
{
    for (; m_fragmentsRead < page.fragmentCount(); ++m_fragmentsRead) {
        if (!page.isRow(m_fragmentsRead))
            continue;
        const QString row = page.plainText(m_fragmentsRead);
        if (row.isEmpty())
            continue;
        if (!m_text.isEmpty())
            m_text += QLatin1Char('\n');
        m_text += row;
    }
    return m_text;
}

void PageText::clear()
{
    m_text.clear();
    m_fragmentsRead = 0;
}
