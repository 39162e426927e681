#pragma once

#include <QFont>
#include <QHash>
#include <QString>

class QTextDocument;

// How far the glyphs of text reach past the lines they stand on: marks over capitals stand above a
// line's ascent, some descenders and underlines below its descent. Taken from each font's box
// around all of its glyphs, so it holds for any text in that font.
class GlyphReach
{
public:
    // The most pixels any glyph of the document's text reaches above or below its line.
    int of(const QTextDocument &document);
    int of(const QFont &font);

private:
    // A page holds a handful of fonts; text from outside may name many more, so the kept answers
    // are bounded.
    static constexpr int keptFonts = 64;

    QHash<QString, int> m_byFont;
};
