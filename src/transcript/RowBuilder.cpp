#include "RowBuilder.h"

#include "ColourEmoji.h"
#include "ImageCache.h"
#include "RowHtmlReader.h"
#include "TranscriptDocument.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextImageFormat>

#include <algorithm>
#include <functional>

namespace {

// The properties of `format` that `base` lacks or holds otherwise.
QTextCharFormat added(const QTextCharFormat &format, const QTextCharFormat &base)
{
    QTextCharFormat difference;
    const QMap<int, QVariant> properties = format.properties();
    for (auto property = properties.cbegin(); property != properties.cend(); ++property) {
        if (base.property(property.key()) != property.value())
            difference.setProperty(property.key(), property.value());
    }
    return difference;
}

bool hasOnlyAttributes(const RowHtmlReader::Tag &tag, const QString &allowed)
{
    return std::all_of(tag.attributes.cbegin(), tag.attributes.cend(),
                       [&allowed](const RowHtmlReader::Attribute &attribute) { return attribute.name == allowed; });
}

QString attributeValue(const RowHtmlReader::Tag &tag, const QString &name)
{
    for (const RowHtmlReader::Attribute &attribute : tag.attributes) {
        if (attribute.name == name)
            return attribute.value;
    }
    return {};
}

class Builder : public RowHtmlReader::Handler
{
public:
    using FormatsOf = std::function<const RowBuilder::Formats &(const QString &)>;

    Builder(TranscriptDocument &document, FormatsOf formatsOf)
        : m_cursor(&document)
        , m_formatsOf(std::move(formatsOf))
    {
    }

    bool text(const QString &text) override
    {
        if (m_formats == nullptr || m_ended)
            return false;
        startContent();
        m_cursor.insertText(text, currentFormat());
        return true;
    }

    bool tag(const RowHtmlReader::Tag &tag) override
    {
        if (m_ended)
            return false;
        if (m_formats == nullptr)
            return openBlock(tag);
        const QString &name = tag.name;
        if (name == QLatin1String("div") && tag.closing)
            m_ended = true;
        else if (name == QLatin1String("b"))
            m_bold += tag.closing ? (m_bold > 0 ? -1 : 0) : 1;
        else if (name == QLatin1String("i"))
            m_italic += tag.closing ? (m_italic > 0 ? -1 : 0) : 1;
        else if (name == QLatin1String("u"))
            m_underline += tag.closing ? (m_underline > 0 ? -1 : 0) : 1;
        else if (name == QLatin1String("a"))
            return link(tag);
        else if (name == QLatin1String("img") && !tag.closing)
            return picture(tag);
        else if (name == QLatin1String("br") && !tag.closing && tag.attributes.isEmpty())
            lineBreak();
        else if (name == QLatin1String("hr") && !tag.closing && tag.attributes.isEmpty())
            rule();
        else
            return false;
        return true;
    }

    bool finish() const { return m_ended; }

private:
    bool openBlock(const RowHtmlReader::Tag &tag)
    {
        if (tag.name != QLatin1String("div") || tag.closing || !hasOnlyAttributes(tag, QStringLiteral("class")))
            return false;
        m_formats = &m_formatsOf(attributeValue(tag, QStringLiteral("class")));
        m_cursor.setBlockFormat(m_formats->block);
        m_cursor.setBlockCharFormat(m_formats->blockChar);
        m_text = m_formats->text;
        return true;
    }

    bool link(const RowHtmlReader::Tag &tag)
    {
        if (tag.closing) {
            if (!m_links.isEmpty())
                m_links.removeLast();
            return true;
        }
        if (!hasOnlyAttributes(tag, QStringLiteral("href")))
            return false;
        m_links.append(attributeValue(tag, QStringLiteral("href")));
        return true;
    }

    bool picture(const RowHtmlReader::Tag &tag)
    {
        if (!hasOnlyAttributes(tag, QStringLiteral("src")))
            return false;
        QTextImageFormat format;
        if (m_afterRule)
            m_text = m_formats->afterRuleText;
        format.merge(currentFormat());
        format.merge(m_formats->picture);
        format.setName(attributeValue(tag, QStringLiteral("src")));
        // A picture right after a rule stays in the rule's block, and what follows it too: the
        // engine's import does so.
        m_afterRule = false;
        m_cursor.insertImage(format);
        return true;
    }

    void lineBreak()
    {
        startContent();
        m_cursor.insertText(QString(QChar::LineSeparator), currentFormat());
    }

    void rule()
    {
        m_cursor.insertBlock(m_formats->rule, m_formats->ruleChar);
        m_afterRule = true;
    }

    // Content after a rule goes into a block of its own; a rule at the end has none after it.
    void startContent()
    {
        if (!m_afterRule)
            return;
        m_text = m_formats->afterRuleText;
        m_cursor.insertBlock(m_formats->afterRule, currentFormat());
        m_afterRule = false;
    }

    QTextCharFormat currentFormat() const
    {
        QTextCharFormat format = m_text;
        if (m_bold > 0)
            format.merge(m_formats->bold);
        if (m_italic > 0)
            format.merge(m_formats->italic);
        if (m_underline > 0)
            format.merge(m_formats->underline);
        if (!m_links.isEmpty()) {
            format.merge(m_formats->link);
            format.setAnchorHref(m_links.last());
        }
        return format;
    }

    QTextCursor m_cursor;
    FormatsOf m_formatsOf;
    const RowBuilder::Formats *m_formats = nullptr;
    QTextCharFormat m_text;
    int m_bold = 0;
    int m_italic = 0;
    int m_underline = 0;
    QStringList m_links;
    bool m_ended = false;
    bool m_afterRule = false;
};

} // namespace

RowBuilder::RowBuilder(const QString &styleSheet, const QFont &font)
    : m_styleSheet(styleSheet)
    , m_font(font)
{
}

RowBuilder::~RowBuilder() = default;

bool RowBuilder::build(TranscriptDocument &document, const QString &html)
{
    if (!html.startsWith(QLatin1String("<div")) || !html.endsWith(QLatin1String("</div>")))
        return false;
    document.clear();
    Builder builder(document, [this](const QString &className) -> const Formats & { return formatsOf(className); });
    // One edit: the document then skips the cursor bookkeeping that each insertion would redo over the
    // whole block.
    QTextCursor edit(&document);
    edit.beginEditBlock();
    const bool built = RowHtmlReader::read(html, builder) && builder.finish();
    edit.endEditBlock();
    return built;
}

const RowBuilder::Formats &RowBuilder::formatsOf(const QString &className)
{
    const auto known = m_formats.constFind(className);
    if (known != m_formats.cend())
        return *known;
    ImageCache noPictures;
    TranscriptDocument sample(noPictures, m_styleSheet, m_font);
    const QString open = className.isEmpty() ? QStringLiteral("<div>")
                                             : QStringLiteral("<div class='") + className.toHtmlEscaped() + QStringLiteral("'>");
    sample.setHtml(open + QStringLiteral("t<b>b</b><i>i</i><u>u</u><a href='h'>a</a><img src='p' /><hr>t</div>"));
    const QTextBlock first = sample.begin();
    const QTextBlock rule = first.next();
    const QTextBlock afterRule = rule.next();
    QList<QTextCharFormat> pieces;
    for (auto piece = first.begin(); !piece.atEnd(); ++piece)
        pieces.append(piece.fragment().charFormat());
    Formats formats;
    formats.block = first.blockFormat();
    formats.blockChar = first.charFormat();
    formats.rule = rule.blockFormat();
    formats.ruleChar = rule.charFormat();
    formats.afterRule = afterRule.blockFormat();
    formats.afterRuleText = afterRule.begin().fragment().charFormat();
    // Every text format names the colour emoji font after its own; the formats a tag adds name none.
    for (QTextCharFormat *text : {&formats.blockChar, &formats.ruleChar, &formats.afterRuleText})
        *text = ColourEmoji::withFallback(*text, sample.defaultFont());
    if (pieces.size() == 6) {
        const QTextCharFormat &text = pieces.at(0);
        formats.text = ColourEmoji::withFallback(text, sample.defaultFont());
        formats.bold = added(pieces.at(1), text);
        formats.italic = added(pieces.at(2), text);
        formats.underline = added(pieces.at(3), text);
        formats.link = added(pieces.at(4), text);
        formats.link.clearProperty(QTextFormat::AnchorHref);
        formats.picture = added(pieces.at(5), text);
        formats.picture.clearProperty(QTextFormat::ImageName);
    }
    return *m_formats.insert(className, formats);
}
