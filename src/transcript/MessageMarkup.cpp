#include "MessageMarkup.h"

#include "app/AppDir.h"

#include <QList>
#include <QStringList>

#include <algorithm>
#include <limits>

#include <utility>

namespace {

using Replacements = QList<std::pair<QString, QString>>;

Replacements replacementsFor(const QString &folder)
{
    const auto image = [&folder](const char *fileName) {
        return QStringLiteral("<img src='") + folder + QLatin1String(fileName) + QStringLiteral("' />");
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
        {QStringLiteral("[URL/]"), QStringLiteral("</a>")},
    };
}

// The table for the current picture folder, built again only when the folder changes.
const Replacements &currentReplacements()
{
    static QString folder;
    static Replacements replacements;
    const QString current = MessageMarkup::pictureFolder();
    if (replacements.isEmpty() || current != folder) {
        folder = current;
        replacements = replacementsFor(current);
    }
    return replacements;
}

const QString linkStart = QStringLiteral("[URL]");
const QString addressEnd = QStringLiteral("[/URL]");
constexpr int unlimited = std::numeric_limits<int>::max();

// Replaces occurrences of code from left to right, without overlap, while budget lasts.
QString replaceWhileBudgetLasts(const QString &text, const QString &code, const QString &replacement, int &budget)
{
    // Most steps find nothing: looking for the code's first character first is cheap.
    if (budget == 0 || !text.contains(code.front()))
        return text;
    qsizetype found = text.indexOf(code);
    if (found < 0)
        return text;
    QString result;
    result.reserve(text.size());
    qsizetype done = 0;
    for (; found >= 0 && budget > 0; found = text.indexOf(code, done)) {
        result += QStringView(text).mid(done, found - done);
        result += replacement;
        done = found + code.size();
        --budget;
    }
    result += QStringView(text).mid(done);
    return result;
}

// An address that an unquoted attribute value holds whole: nothing in it can end the value or start
// another attribute, and no "/" at its end can close the tag.
bool isPlainAddress(QStringView address)
{
    static const QString endsAValue = QStringLiteral("'\"`<>=");
    if (address.isEmpty() || address.endsWith(u'/'))
        return false;
    return std::none_of(address.begin(), address.end(),
                        [](QChar c) { return c.isSpace() || endsAValue.contains(c); });
}

QString hrefValue(QStringView address)
{
    if (isPlainAddress(address))
        return address.toString();
    QString quoted = address.toString();
    quoted.replace(u'<', QStringLiteral("&lt;"))
        .replace(u'>', QStringLiteral("&gt;"))
        .replace(u'\'', QStringLiteral("&#39;"))
        .replace(u'"', QStringLiteral("&quot;"));
    return u'\'' + quoted + u'\'';
}

// A message cut at its link addresses: an address is what stands between "[URL]" and the next
// "[/URL]", and the text around the addresses is every other piece, one more than the addresses. The
// two markers are in neither.
struct CutAtAddresses
{
    QStringList around;
    QStringList addresses;
};

CutAtAddresses cutAtAddresses(const QString &text)
{
    CutAtAddresses cut;
    qsizetype done = 0;
    for (;;) {
        const qsizetype start = text.indexOf(linkStart, done);
        const qsizetype end = start < 0 ? -1 : text.indexOf(addressEnd, start + linkStart.size());
        if (end < 0)
            break;
        const qsizetype addressStart = start + linkStart.size();
        cut.around.append(text.mid(done, start - done));
        cut.addresses.append(text.mid(addressStart, end - addressStart));
        done = end + addressEnd.size();
    }
    cut.around.append(text.mid(done));
    return cut;
}

// Each address becomes its link's start tag while the budget lasts, and stays as typed beyond.
QStringList linkStarts(const QStringList &addresses, int &budget)
{
    QStringList starts;
    starts.reserve(addresses.size());
    for (const QString &address : addresses) {
        if (budget > 0) {
            starts.append(QStringLiteral("<a href=") + hrefValue(address) + u'>');
            --budget;
        } else {
            starts.append(linkStart + address + u'>');
        }
    }
    return starts;
}

void replaceInEach(QStringList &pieces, const QString &code, const QString &replacement, int &budget)
{
    for (QString &piece : pieces) {
        if (budget == 0)
            return;
        piece = replaceWhileBudgetLasts(piece, code, replacement, budget);
    }
}

} // namespace

QString MessageMarkup::ConvertMarkup(const QString &text)
{
    // The order is part of the language: escaping first, so typed brackets never become markup, while
    // everything the later steps insert stays live HTML; smileys before tags. An address is only
    // escaped: a smiley or tag replaced inside it would open another address and hand the web site
    // the program's folder.
    const Replacements &steps = currentReplacements();
    CutAtAddresses cut = cutAtAddresses(text);
    QStringList starts;
    int escapes = unlimited;
    int budget = pictureAndTagLimit;
    for (qsizetype step = 0; step < steps.size(); ++step) {
        const auto &[code, replacement] = steps.at(step);
        const bool escape = step < 2;
        if (escape)
            replaceInEach(cut.addresses, code, replacement, escapes);
        // A link's start is made from two codes and comes just before its end tag's step; a "[/URL]"
        // that ends no address is ">".
        if (code == QStringLiteral("[URL/]")) {
            starts = linkStarts(cut.addresses, budget);
            int ends = unlimited;
            replaceInEach(cut.around, addressEnd, QStringLiteral(">"), ends);
        }
        replaceInEach(cut.around, code, replacement, escape ? escapes : budget);
    }
    QString html = cut.around.first();
    for (qsizetype link = 0; link < starts.size(); ++link)
        html += starts.at(link) + cut.around.at(link + 1);
    return html;
}

QString MessageMarkup::pictureFolder()
{
    return applicationDirectory() + QStringLiteral("/smile/");
}
