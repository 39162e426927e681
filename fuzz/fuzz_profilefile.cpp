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

// Line `index` of the old text as the new text may hold it: a last line without a line end may
// have gained one (after a lone "\r" too).
bool sameLine(const QStringList &old, qsizetype index, const QString &now)
{
    const QString &line = old.at(index);
    if (line == now)
        return true;
    const bool unfinishedLast = index == old.size() - 1 && !line.endsWith(u'\n');
    const QString gained = now.mid(line.size());
    return unfinishedLast && now.startsWith(line) && (gained == QStringLiteral("\n") || gained == QStringLiteral("\r\n"));
}

// Every line but the one that holds the value stays byte for byte; new lines (the key, or a section
// and its key) come in one place.
void checkOtherLines(const QString &before, const QString &after)
{
    const QStringList old = linesWithEnds(before);
    const QStringList now = linesWithEnds(after);
    qsizetype prefix = 0;
    while (prefix < old.size() && prefix < now.size() && sameLine(old, prefix, now.at(prefix)))
        ++prefix;
    qsizetype suffix = 0;
    while (suffix < old.size() - prefix && suffix < now.size() - prefix
           && sameLine(old, old.size() - 1 - suffix, now.at(now.size() - 1 - suffix)))
        ++suffix;
    const qsizetype oldChanged = old.size() - prefix - suffix;
    const qsizetype newChanged = now.size() - prefix - suffix;
    fuzzCheck((oldChanged == 0 && newChanged <= 2) || (oldChanged == 1 && newChanged == 1),
              "more than the value's line changed", after.toUtf8());
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
