#pragma once

#include "CompactFragments.h"

#include <QList>
#include <QString>

// The conversation page as its source: every fragment written since the last clear, in writing
// order. The page head's fragments make up the style sheet and show nothing themselves; every other
// fragment is one row of the page, self-contained (a tag it leaves open ends with it).
// A long page holds a hundred thousand rows: each is kept compact (its frame and the smileys'
// folder not repeated), its shown text only where that is not simply the row without its frame.
class TranscriptPage
{
public:
    TranscriptPage();

    void writeHead();
    void write(const QString &fragment);
    void clear();

    // The concatenation of every fragment, with nothing between them.
    QString source() const;
    int fragmentCount() const { return m_fragments.count(); }
    QString fragment(int index) const { return m_fragments.at(index); }
    // The text the fragment shows (RowText), read once when it was written.
    QString plainText(int index) const;
    // False for the head's fragments.
    bool isRow(int index) const;
    // The style sheet of the last head written; empty before any.
    const QString &styleSheet() const { return m_styleSheet; }

private:
    CompactFragments m_fragments;
    // Absent where the text is the fragment without its frame.
    CompactFragments m_plainTexts;
    QList<int> m_headStarts;
    QString m_styleSheet;
};
