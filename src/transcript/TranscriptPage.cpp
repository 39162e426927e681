#include "TranscriptPage.h"

#include "MessageMarkup.h"
#include "PageHead.h"
#include "RowText.h"
#include "UserWrittenText.h"
#include "TranscriptRows.h"

#include <algorithm>

TranscriptPage::TranscriptPage()
    : m_fragments(TranscriptRows::rowFrames(), MessageMarkup::pictureFolder())
{
}

void TranscriptPage::writeHead()
{
    m_headStarts.append(fragmentCount());
    m_styleSheet = PageHead::styleSheet();
    for (const QString &fragment : PageHead::fragments()) {
        m_fragments.append(fragment);
        m_plainTexts.append(QString());
    }
}

void TranscriptPage::write(const QString &fragment)
{
    m_fragments.append(fragment);
    // The text as the user reads it: the marks that isolate right-to-left runs are not copied.
    const QString text = UserWrittenText::withoutIsolates(RowText::plainText(fragment));
    if (text == m_fragments.inner(fragmentCount() - 1))
        m_plainTexts.appendAbsent();
    else
        m_plainTexts.append(text);
}

void TranscriptPage::clear()
{
    m_fragments.clear();
    m_plainTexts.clear();
    m_headStarts.clear();
    m_styleSheet.clear();
}

QString TranscriptPage::source() const
{
    QString source;
    for (int i = 0; i < fragmentCount(); ++i)
        source += m_fragments.at(i);
    return source;
}

QString TranscriptPage::plainText(int index) const
{
    return m_plainTexts.isAbsent(index) ? m_fragments.inner(index) : m_plainTexts.at(index);
}

bool TranscriptPage::isRow(int index) const
{
    static const int headLength = int(PageHead::fragments().size());
    return std::none_of(m_headStarts.cbegin(), m_headStarts.cend(),
                        [&](int start) { return index >= start && index < start + headLength; });
}
