#include "ColourEmoji.h"

#include <QFontInfo>
#include <QList>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace {

QStringList familiesFor(const QFont &font)
{
    return {QFontInfo(font).family(), QString::fromLatin1(ColourEmoji::Family)};
}

} // namespace

QFont ColourEmoji::withFallback(const QFont &font)
{
    QFont withEmoji = font;
    withEmoji.setFamilies(familiesFor(font));
    return withEmoji;
}

QTextCharFormat ColourEmoji::withFallback(const QTextCharFormat &format, const QFont &documentFont)
{
    QTextCharFormat withEmoji = format;
    withEmoji.setFontFamilies(familiesFor(format.font().resolve(documentFont)));
    return withEmoji;
}

void ColourEmoji::giveFallback(QTextDocument &document)
{
    // Read first, changed after: a changed format may merge pieces under a running iteration.
    QList<QTextFragment> pieces;
    QList<QTextBlock> blocks;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        blocks.append(block);
        for (auto piece = block.begin(); !piece.atEnd(); ++piece)
            pieces.append(piece.fragment());
    }
    QTextCursor cursor(&document);
    for (const QTextBlock &block : std::as_const(blocks)) {
        cursor.setPosition(block.position());
        cursor.setBlockCharFormat(withFallback(block.charFormat(), document.defaultFont()));
    }
    for (const QTextFragment &piece : std::as_const(pieces)) {
        cursor.setPosition(piece.position());
        cursor.setPosition(piece.position() + piece.length(), QTextCursor::KeepAnchor);
        cursor.setCharFormat(withFallback(piece.charFormat(), document.defaultFont()));
    }
}

QTextCharFormat ColourEmoji::withoutFallback(const QTextCharFormat &format)
{
    QStringList families = format.fontFamilies().toStringList();
    if (!families.removeAll(QString::fromLatin1(Family)))
        return format;
    QTextCharFormat withoutEmoji = format;
    withoutEmoji.setFontFamilies(families);
    return withoutEmoji;
}

QFont ColourEmoji::withoutFallback(const QFont &font)
{
    QStringList families = font.families();
    if (!families.removeAll(QString::fromLatin1(Family)))
        return font;
    QFont withoutEmoji = font;
    withoutEmoji.setFamilies(families);
    return withoutEmoji;
}
