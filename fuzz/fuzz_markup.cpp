// Message text through the markup conversion and the row builders. Whatever another user types, the
// row holds only the row's own cell and the markup's own tags (bold, italic, underline, rule, link,
// smiley picture) with their own attributes. Input: the sender's name, NUL, the message (UTF-8).
#include "support/FuzzInput.h"
#include "support/HtmlTags.h"

#include "app/AppDir.h"
#include "transcript/MessageMarkup.h"
#include "transcript/TranscriptRows.h"

namespace {

const QString appDirectory = QStringLiteral("/korvani");
const QString stamp = QStringLiteral("10:00:00");

HtmlAllowList rowCell()
{
    return HtmlAllowList()
        .allow(QStringLiteral("table"), {QStringLiteral("cellspacing"), QStringLiteral("cellpadding")})
        .allow(QStringLiteral("tr"))
        .allow(QStringLiteral("td"), {QStringLiteral("class")});
}

void checkRow(const HtmlAllowList &allowed, const QString &row, const QString &typed)
{
    const QString violation = allowed.firstViolation(row);
    fuzzCheck(violation.isEmpty(), "a user's text made markup of its own", (violation + u' ' + row).toUtf8());
    int cells = 0;
    for (const HtmlTag &tag : htmlTags(row)) {
        if (tag.name == QLatin1String("table") || tag.name == QLatin1String("tr") || tag.name == QLatin1String("td"))
            ++cells;
        // Pictures come only from the smiley folder.
        for (const auto &[name, value] : tag.attributes) {
            if (tag.name == QLatin1String("img") && name == QLatin1String("src"))
                fuzzCheck(value.startsWith(appDirectory + QStringLiteral("/smile/")) && value.endsWith(QStringLiteral(".gif")),
                          "a picture from outside the smiley folder", value.toUtf8());
            // An address is taken as typed: no picture lands in it, so the program's folder never
            // reaches a web site.
            if (tag.name == QLatin1String("a") && name == QLatin1String("href") && !typed.contains(appDirectory))
                fuzzCheck(!value.contains(appDirectory), "the program's folder in a link's address", value.toUtf8());
        }
    }
    fuzzCheck(cells == 3, "a row is not one table, one row, one cell", row.toUtf8());
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    setApplicationDirectory(appDirectory);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const HtmlAllowList chatMarkup = rowCell()
                                                .allow(QStringLiteral("b"))
                                                .allow(QStringLiteral("i"))
                                                .allow(QStringLiteral("u"))
                                                .allow(QStringLiteral("hr"))
                                                .allow(QStringLiteral("a"), {QStringLiteral("href")})
                                                .allow(QStringLiteral("img"), {QStringLiteral("src")});
    static const HtmlAllowList plainCell = rowCell();

    const FuzzInput input(data, size);
    const QString user = QString::fromUtf8(input.field(0));
    const QString text = QString::fromUtf8(input.rest(1));
    const QString typed = user + u'\n' + text;
    checkRow(chatMarkup, TranscriptRows::chatRow(stamp, user, MessageMarkup::ConvertMarkup(text)), typed);
    // Private messages show their text as it was written.
    checkRow(plainCell, TranscriptRows::pmRow(stamp, user, text), typed);
    return 0;
}
