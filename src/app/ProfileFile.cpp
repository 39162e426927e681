#include "ProfileFile.h"

#include <QFile>
#include <QStringDecoder>
#include <QStringList>

namespace {

struct Line
{
    QString text;   // without its line end
    QString ending; // "\r\n", "\n" or "" for a last line without one
};

QList<Line> splitLines(const QString &text)
{
    QList<Line> lines;
    qsizetype start = 0;
    while (start < text.size()) {
        const qsizetype newline = text.indexOf(QLatin1Char('\n'), start);
        if (newline < 0) {
            lines.append({text.mid(start), QString()});
            break;
        }
        qsizetype end = newline;
        QString ending = QStringLiteral("\n");
        if (end > start && text.at(end - 1) == QLatin1Char('\r')) {
            --end;
            ending = QStringLiteral("\r\n");
        }
        lines.append({text.mid(start, end - start), ending});
        start = newline + 1;
    }
    return lines;
}

QString joinLines(const QList<Line> &lines)
{
    QString text;
    for (const Line &line : lines)
        text += line.text + line.ending;
    return text;
}

constexpr QChar byteOrderMark(0xFEFF);

// The section name of a "[name]" line, or a null string for any other line. Editors on other
// systems may start the file with a byte-order mark; it stays in the text but opens no line.
QString sectionName(const QString &line)
{
    QString trimmed = line.trimmed();
    if (trimmed.startsWith(byteOrderMark))
        trimmed = trimmed.mid(1).trimmed();
    if (!trimmed.startsWith(QLatin1Char('[')))
        return QString();
    const qsizetype close = trimmed.indexOf(QLatin1Char(']'));
    if (close < 0)
        return QString();
    return trimmed.mid(1, close - 1).trimmed();
}

bool isComment(const QString &line)
{
    return line.trimmed().startsWith(QLatin1Char(';'));
}

// The key name of a "key=value" line, or a null string for any other line.
QString keyName(const QString &line)
{
    if (isComment(line))
        return QString();
    const qsizetype equals = line.indexOf(QLatin1Char('='));
    if (equals < 0)
        return QString();
    const QString key = line.left(equals).trimmed();
    return key.isEmpty() ? QString() : key;
}

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

struct Position
{
    qsizetype section = -1;  // index of the section's header line
    qsizetype key = -1;      // index of the key's line
    qsizetype lastEntry = -1; // last non-blank line of the section
};

Position locate(const QList<Line> &lines, const QString &section, const QString &key)
{
    Position position;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString name = sectionName(lines.at(i).text);
        if (name.isNull())
            continue;
        if (position.section >= 0)
            break; // the section we found has ended
        if (!sameName(name, section))
            continue;
        position.section = i;
        position.lastEntry = i;
        for (qsizetype j = i + 1; j < lines.size() && sectionName(lines.at(j).text).isNull(); ++j) {
            if (!lines.at(j).text.trimmed().isEmpty())
                position.lastEntry = j;
            if (position.key < 0 && sameName(keyName(lines.at(j).text), key))
                position.key = j;
        }
    }
    return position;
}

QString preferredEnding(const QList<Line> &lines)
{
    for (const Line &line : lines) {
        if (!line.ending.isEmpty())
            return line.ending;
    }
    return QStringLiteral("\r\n");
}

// A line break inside a value would start a new line of the file and could forge other keys.
QString singleLine(QString value)
{
    value.replace(QLatin1Char('\r'), QLatin1Char(' '));
    value.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return value;
}

} // namespace

QString ProfileFile::value(const QString &text, const QString &section, const QString &key)
{
    const QList<Line> lines = splitLines(text);
    const Position position = locate(lines, section, key);
    if (position.key < 0)
        return QString();
    const QString &line = lines.at(position.key).text;
    return line.mid(line.indexOf(QLatin1Char('=')) + 1).trimmed();
}

QString ProfileFile::withValue(const QString &text, const QString &section, const QString &key,
                               const QString &value)
{
    QList<Line> lines = splitLines(text);
    const QString ending = preferredEnding(lines);
    const Position position = locate(lines, section, key);

    if (position.key >= 0) {
        // The key keeps the spelling it has in the file.
        const QString storedKey = keyName(lines.at(position.key).text);
        lines[position.key].text = storedKey + QLatin1Char('=') + singleLine(value);
        return joinLines(lines);
    }
    const QString entry = key + QLatin1Char('=') + singleLine(value);
    if (!lines.isEmpty() && lines.last().ending.isEmpty())
        lines.last().ending = ending;
    if (position.section >= 0) {
        lines.insert(position.lastEntry + 1, {entry, ending});
        return joinLines(lines);
    }
    lines.append({QLatin1Char('[') + section + QLatin1Char(']'), ending});
    lines.append({entry, ending});
    return joinLines(lines);
}

bool ProfileFile::readFile(const QString &path, QString *text)
{
    text->clear();
    QFile file(path);
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    // A byte-order mark stays in the text, so a rewrite keeps it.
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
    *text = utf8.decode(bytes);
    // The program on Windows wrote the system's code page, Windows-1250 for the users it serves; such
    // a file is read in it, and the next write gives it in UTF-8.
    if (utf8.hasError()) {
        QStringDecoder windows1250("windows-1250");
        if (windows1250.isValid())
            *text = windows1250.decode(bytes);
    }
    return file.error() == QFileDevice::NoError;
}
