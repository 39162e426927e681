#pragma once

#include <QTextDocument>

class ImageCache;
class RowBuilder;

// A rich-text document of the page: the page's style sheet and default font, no margin, text that
// wraps anywhere rather than overflow, pictures taken from the shared image cache.
class TranscriptDocument : public QTextDocument
{
    Q_OBJECT
public:
    TranscriptDocument(ImageCache &images, const QString &styleSheet, const QFont &font, QObject *parent = nullptr);

    // Tags of a row the engine's import reads; the rest of the row is shown as its source text. The
    // import costs time that grows with the square of the elements side by side, and for each picture
    // with the length of the text before it. Only rows that RowBuilder does not know are imported
    // (the server's own HTML: banner, message of the day), and they hold a few tags.
    static constexpr int tagLimit = 64;

    // Replaces the content with a row to be laid out and drawn, built directly where the builder
    // knows the row's shape and imported otherwise: the row keeps its shaped glyphs, so drawing it does
    // not shape its text again.
    void setRowHtml(const QString &html, RowBuilder &builder);
    // The HTML as the engine reads it: whole up to tagLimit tags, the rest escaped.
    static QString withinTagLimit(const QString &html);
    // Breaking a word at the best place costs time that grows with the square of the word's length
    // (half a minute for a word of a million characters), so text holding such a word is broken
    // anywhere instead.
    static bool hasLongWord(const QString &html);
    void setBreakAnywhere(bool anywhere);
    // False when the HTML shows nothing at all (a meta or base tag, an empty fragment).
    bool showsSomething() const;

protected:
    QVariant loadResource(int type, const QUrl &name) override;

private:
    ImageCache &m_images;
};
