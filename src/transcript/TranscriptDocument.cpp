#include "TranscriptDocument.h"

#include "ColourEmoji.h"
#include "ImageCache.h"
#include "RowBuilder.h"

#include <QAbstractTextDocumentLayout>
#include <QTextBlock>
#include <QTextLayout>
#include <QTextOption>

TranscriptDocument::TranscriptDocument(ImageCache &images, const QString &styleSheet, const QFont &font,
                                       QObject *parent)
    : QTextDocument(parent)
    , m_images(images)
{
    setUndoRedoEnabled(false);
    setDocumentMargin(0);
    setDefaultFont(ColourEmoji::withFallback(font));
    setDefaultStyleSheet(styleSheet);
    // A row is read left to right whatever it holds: otherwise its first strong letter decides, and
    // a Hebrew name would put the time stamp at the right end of the row.
    QTextOption option = defaultTextOption();
    option.setTextDirection(Qt::LeftToRight);
    setDefaultTextOption(option);
    setBreakAnywhere(false);
}

bool TranscriptDocument::hasLongWord(const QString &html)
{
    constexpr int longWord = 2000;
    int run = 0;
    for (const QChar c : html) {
        run = c.isSpace() ? 0 : run + 1;
        if (run > longWord)
            return true;
    }
    return false;
}

void TranscriptDocument::setBreakAnywhere(bool anywhere)
{
    QTextOption option = defaultTextOption();
    option.setWrapMode(anywhere ? QTextOption::WrapAnywhere : QTextOption::WrapAtWordBoundaryOrAnywhere);
    setDefaultTextOption(option);
}

QString TranscriptDocument::withinTagLimit(const QString &html)
{
    int tags = 0;
    for (qsizetype at = html.indexOf(u'<'); at >= 0 && at + 1 < html.size(); at = html.indexOf(u'<', at + 1)) {
        const QChar next = html.at(at + 1);
        if (!next.isLetter() && next != u'/' && next != u'!')
            continue;
        if (++tags > tagLimit)
            return html.left(at) + html.mid(at).toHtmlEscaped();
    }
    return html;
}

void TranscriptDocument::setRowHtml(const QString &html, RowBuilder &builder)
{
    // Without a layout the new content is not laid out yet, so the glyph cache is on before it is.
    setDocumentLayout(nullptr);
    setBreakAnywhere(hasLongWord(html));
    if (!builder.build(*this, html)) {
        setHtml(withinTagLimit(html));
        ColourEmoji::giveFallback(*this);
    }
    for (QTextBlock block = begin(); block.isValid(); block = block.next())
        block.layout()->setCacheEnabled(true);
}

bool TranscriptDocument::showsSomething() const
{
    return !isEmpty() || firstBlock().blockFormat().hasProperty(QTextFormat::BlockTrailingHorizontalRulerWidth);
}

QVariant TranscriptDocument::loadResource(int type, const QUrl &name)
{
    if (type != QTextDocument::ImageResource)
        return {};
    const QPixmap picture = m_images.image(name);
    return picture.isNull() ? QVariant() : QVariant(picture);
}
