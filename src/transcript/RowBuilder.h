#pragma once

#include <QHash>
#include <QString>
#include <QTextBlockFormat>
#include <QTextCharFormat>

class TranscriptDocument;

// Builds a row's document straight from its HTML when the row has the shape the program writes: one
// block ("<div>" or "<div class='name'>", as SingleCellRow gives it) holding text, b, i, u, a href,
// img src, br and hr. The page engine's HTML import costs time that grows with the square of the
// elements side by side and, for every picture, with the length of the text before it; built here,
// a row costs time linear in its length and in its pictures and tags. The formats are the ones the
// engine's own import gives, read once per class from a small sample it imports.
class RowBuilder
{
public:
    RowBuilder(const QString &styleSheet, const QFont &font);
    ~RowBuilder();

    // Replaces the document's content with the row; false (content undefined) when the row has
    // another shape, for the engine's import to read.
    bool build(TranscriptDocument &document, const QString &html);

    struct Formats
    {
        QTextBlockFormat block;
        QTextCharFormat blockChar;
        QTextBlockFormat rule;
        QTextCharFormat ruleChar;
        QTextBlockFormat afterRule;
        QTextCharFormat text;
        QTextCharFormat afterRuleText;
        QTextCharFormat bold;      // what a b tag adds
        QTextCharFormat italic;    // i
        QTextCharFormat underline; // u
        QTextCharFormat link;      // a, its address aside
        QTextCharFormat picture;   // img, its name aside
    };

private:
    const Formats &formatsOf(const QString &className);

    QString m_styleSheet;
    QFont m_font;
    QHash<QString, Formats> m_formats;
};
