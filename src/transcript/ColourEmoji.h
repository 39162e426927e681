#pragma once

#include <QFont>
#include <QTextCharFormat>

class QTextDocument;

// Emoji drawn in colour. For a character its own font lacks, Qt 6.4 asks the system's fallback list,
// which names a font holding a few emoji in black outline (DejaVu) before the colour emoji font;
// so a row's fonts name the colour emoji font themselves, right after the font they resolve to,
// and it is asked first. Smiley codes are unaffected: they are the program's own pictures.
class ColourEmoji
{
public:
    static constexpr const char *Family = "Noto Color Emoji";

    // font as it resolves on this system (a generic or substituted name would make the emoji font
    // the first real one), then the emoji font.
    static QFont withFallback(const QFont &font);
    // The same for a format whose font resolves over the document's default font.
    static QTextCharFormat withFallback(const QTextCharFormat &format, const QFont &documentFont);
    // Every block and piece of document, as it was imported.
    static void giveFallback(QTextDocument &document);
    // format without the emoji font: the printer takes no colour glyphs and would leave emoji
    // blank, where the system's own fallback prints them in outline.
    static QTextCharFormat withoutFallback(const QTextCharFormat &format);
    static QFont withoutFallback(const QFont &font);
};
