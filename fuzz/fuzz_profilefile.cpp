// The settings file: a value written into any text and read back. Input: section, NUL, key, NUL,
// value, NUL, the file's text (UTF-8). Section and key are names the program uses, so inputs whose
// names could not be such a name are skipped.
#include "support/FuzzInput.h"

#include "app/ProfileFile.h"

#include <QList>
#include <QPair>
#include <QStringList>

#include <algorithm>

namespace {

bool isPlainName(const QString &name)
{
    if (name.isEmpty() || name.size() > 64)
        return false;
    return std::all_of(name.cbegin(), name.cend(), [](QChar c) { return c.isLetterOrNumber() || c == u'_'; });
}

// Each line with its line end, so a comparison sees every byte.
QStringList linesWithEnds(const QString &text)
{
    QStringList lines;
    qsizetype start = 0;
    while (start < text.size()) {
        const qsizetype newline = text.indexOf(u'\n', start);
        const qsizetype end = newline < 0 ? text.size() : newline + 1;
        lines.append(text.mid(start, end - start));
        start = end;
    }
    return lines;
}

QString withoutEnd(const QString &line)
{
    QString text = line;
    while (text.endsWith(u'\n') || text.endsWith(u'\r'))
        text.chop(1);
    return text;
}

QString withoutLastEnd(const QString &text)
{
    if (text.endsWith(QStringLiteral("\r\n")))
        return text.chopped(2);
    return text.endsWith(u'\n') ? text.chopped(1) : text;
}

// The section and key names the text seems to hold, for comparing values before and after.
QList<QPair<QString, QString>> namesIn(const QString &text)
{
    QList<QPair<QString, QString>> names;
    QString section;
    const QStringList lines = linesWithEnds(text);
    for (qsizetype i = 0; i < lines.size() && names.size() < 32; ++i) {
        const QString line = withoutEnd(lines.at(i)).trimmed();
        if (line.startsWith(u'[') && line.contains(u']'))
            section = line.mid(1, line.indexOf(u']') - 1).trimmed();
        else if (line.contains(u'=') && !line.startsWith(u';'))
            names.append({section, line.left(line.indexOf(u'=')).trimmed()});
    }
    return names;
}

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Every line but the one that holds the value stays byte for byte; new lines only come in one place,
// and a last line without a line end may gain one.
void checkOtherLines(const QString &before, const QString &after)
{
    // The text's last line end is compared apart: an added line gives an unfinished last line one.
    const QStringList old = linesWithEnds(withoutLastEnd(before));
    const QStringList now = linesWithEnds(withoutLastEnd(after));
    qsizetype prefix = 0;
    while (prefix < old.size() && prefix < now.size() && old.at(prefix) == now.at(prefix))
        ++prefix;
    qsizetype suffix = 0;
    while (suffix < old.size() - prefix && suffix < now.size() - prefix
           && old.at(old.size() - 1 - suffix) == now.at(now.size() - 1 - suffix))
        ++suffix;
    const QStringList oldChanged = old.mid(prefix, old.size() - prefix - suffix);
    const QStringList newChanged = now.mid(prefix, now.size() - prefix - suffix);
    fuzzCheck(oldChanged.size() <= 1, "more than one line of the file changed", after.toUtf8());
    fuzzCheck(newChanged.size() <= 3, "more lines than a section and its key were added", after.toUtf8());
    if (oldChanged.size() == 1 && newChanged.size() > 1) {
        // Only the last line may change here, and only by gaining a line end (after a lone "\r" too).
        const QString gained = newChanged.first().mid(oldChanged.first().size());
        fuzzCheck(prefix + 1 == old.size() && newChanged.first().startsWith(oldChanged.first())
                      && (gained == QStringLiteral("\n") || gained == QStringLiteral("\r\n")),
                  "a line of the file changed besides the new ones", after.toUtf8());
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const FuzzInput input(data, size);
    const QString section = QString::fromUtf8(input.field(0));
    const QString key = QString::fromUtf8(input.field(1));
    const QString value = QString::fromUtf8(input.field(2));
    const QString text = QString::fromUtf8(input.rest(3));
    if (!isPlainName(section) || !isPlainName(key))
        return 0;

    const QString written = ProfileFile::withValue(text, section, key, value);
    QString expected = value;
    expected.replace(u'\r', u' ').replace(u'\n', u' ');
    fuzzCheck(ProfileFile::value(written, section, key) == expected.trimmed(), "the value does not read back",
              written.toUtf8());
    fuzzCheck(ProfileFile::withValue(written, section, key, value) == written, "writing the same value again changes the file",
              written.toUtf8());
    checkOtherLines(text, written);
    for (const auto &[otherSection, otherKey] : namesIn(text)) {
        if (sameName(otherSection, section) && sameName(otherKey, key))
            continue;
        fuzzCheck(ProfileFile::value(written, otherSection, otherKey) == ProfileFile::value(text, otherSection, otherKey),
                  "another value changed", (otherSection + u'/' + otherKey).toUtf8());
    }
    return 0;
}
