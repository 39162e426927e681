#pragma once

#include <QList>
#include <QString>

// The conversation page as its source: every fragment written since the last clear, in writing
// order. The page head's fragments make up the style sheet and show nothing themselves; every other
// fragment is one row of the page, self-contained (a tag it leaves open ends with it).
class TranscriptPage
{
public:
    void writeHead();
    void write(const QString &fragment);
    void clear();

    // The concatenation of every fragment, with nothing between them.
    QString source() const;
    int fragmentCount() const { return int(m_fragments.size()); }
    const QString &fragment(int index) const { return m_fragments.at(index); }
    // The text the fragment shows (RowText), read once when it was written.
    const QString &plainText(int index) const { return m_plainTexts.at(index); }
    // False for the head's fragments.
    bool isRow(int index) const;
    // The style sheet of the last head written; empty before any.
    const QString &styleSheet() const { return m_styleSheet; }

private:
    QList<QString> m_fragments;
    QList<QString> m_plainTexts;
    QList<int> m_headStarts;
    QString m_styleSheet;
};
