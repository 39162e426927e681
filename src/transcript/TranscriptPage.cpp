#include "TranscriptPage.h"

#include "PageHead.h"
#include "RowText.h"

#include <algorithm>

void TranscriptPage::writeHead()
{
    m_headStarts.append(fragmentCount());
    const QStringList head = PageHead::fragments();
    m_fragments.append(head);
    m_plainTexts.resize(m_plainTexts.size() + head.size());
    m_styleSheet = PageHead::styleSheet();
}

void TranscriptPage::write(const QString &fragment)
{
    m_fragments.append(fragment);
    m_plainTexts.append(RowText::plainText(fragment));
}

void TranscriptPage::clear()
{
    m_fragments.clear();
    m_fragments.squeeze();
    m_plainTexts.clear();
    m_plainTexts.squeeze();
    m_headStarts.clear();
    m_styleSheet.clear();
}

QString TranscriptPage::source() const
{
    return m_fragments.join(QString());
}

bool TranscriptPage::isRow(int index) const
{
    static const int headLength = int(PageHead::fragments().size());
    return std::none_of(m_headStarts.cbegin(), m_headStarts.cend(),
                        [&](int start) { return index >= start && index < start + headLength; });
}
