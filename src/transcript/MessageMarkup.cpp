#include "MessageMarkup.h"

#include "app/AppDir.h"

#include <QList>

#include <utility>

namespace {

using Replacements = QList<std::pair<QString, QString>>;

Replacements replacementsFor(const QString &directory)
{
    const auto image = [&directory](const char *fileName) {
        return QStringLiteral("<img src='") + directory + QStringLiteral("/smile/") + QLatin1String(fileName)
            + QStringLiteral("' />");
    };
    return {
        {QStringLiteral("<"), QStringLiteral("&lt;")},
        {QStringLiteral(">"), QStringLiteral("&gt;")},
        {QStringLiteral(":)"), image("smile.gif")},
        {QStringLiteral(":D"), image("biggrin.gif")},
        {QStringLiteral(":S"), image("confusedS.gif")},
        {QStringLiteral("::/:"), image("confused2.gif")},
        {QStringLiteral(":-("), image("disgust.gif")},
        {QStringLiteral(":yes:"), image("yes.gif")},
        {QStringLiteral(":no:"), image("no.gif")},
        {QStringLiteral(":sun:"), image("sun.gif")},
        {QStringLiteral("lol"), image("lol.gif")},
        {QStringLiteral(":unsure:"), image("unsure.gif")},
        {QStringLiteral(":idea:"), image("idea.gif")},
        {QStringLiteral(":brow:"), image("brow.gif")},
        {QStringLiteral(":crazy:"), image("crazy.gif")},
        {QStringLiteral("!!"), image("excl.gif")},
        {QStringLiteral("??"), image("question.gif")},
        {QStringLiteral(":bye:"), image("bye2.gif")},
        {QStringLiteral(":cool:"), image("cool.gif")},
        {QStringLiteral("cry"), image("cry.gif")},
        {QStringLiteral("[B]"), QStringLiteral("<b>")},
        {QStringLiteral("[/B]"), QStringLiteral("</b>")},
        {QStringLiteral("[I]"), QStringLiteral("<i>")},
        {QStringLiteral("[/I]"), QStringLiteral("</i>")},
        {QStringLiteral("[U]"), QStringLiteral("<u>")},
        {QStringLiteral("[/U]"), QStringLiteral("</u>")},
        {QStringLiteral("[HR]"), QStringLiteral("<hr>")},
        {QStringLiteral("[URL]"), QStringLiteral("<a href=")},
        {QStringLiteral("[/URL]"), QStringLiteral(">")},
        {QStringLiteral("[URL/]"), QStringLiteral("</a>")},
    };
}

// The table for the current application directory, built again only when the directory changes.
const Replacements &currentReplacements()
{
    static QString directory;
    static Replacements replacements;
    const QString current = applicationDirectory();
    if (replacements.isEmpty() || current != directory) {
        directory = current;
        replacements = replacementsFor(current);
    }
    return replacements;
}

} // namespace

QString MessageMarkup::ConvertMarkup(const QString &text)
{
    // The order is part of the language: escaping first, so typed brackets never become markup, while
    // everything the later steps insert stays live HTML; smileys before tags.
    QString html = text;
    for (const auto &[code, replacement] : currentReplacements()) {
        // Most steps find nothing: looking for the code's first character, then for the code, is
        // much cheaper than preparing a replacement.
        if (html.contains(code.front()) && html.contains(code, Qt::CaseSensitive))
            html.replace(code, replacement, Qt::CaseSensitive);
    }
    return html;
}
