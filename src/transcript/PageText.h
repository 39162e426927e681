#pragma once

#include <QString>

class TranscriptPage;

// The text the page shows, row after row, one line each, as assistive technology reads it. Made
// only once asked for and from then on extended by the rows written since, so reading it never
// costs more than those rows.
class PageText
{
public:
    const QString &of(const TranscriptPage &page);
    // The page was emptied.
    void clear();

private:
    QString m_text;
    int m_fragmentsRead = 0;
};
