#include "TranscriptPage.h"

#include "PageHead.h"

#include <algorithm>

void TranscriptPage::writeHead()
{
    m_headStarts.append(fragmentCount());
    m_fragments.append(PageHead::fragments());
    m_styleSheet = PageHead::styleSheet();
}

void TranscriptPage::write(const QString &fragment)
{
    m_fragments.append(fragment);
}

void TranscriptPage::clear()
{
    m_fragments.clear();
    m_fragments.squeeze();
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
