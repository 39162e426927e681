#include "ServerConfigFile.h"

#include "LogText.h"

#include <QFile>

namespace {

bool readSmallFile(const QString &path, QByteArray *bytes, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1: %2").arg(LogText::quoted(path, LogText::MaxPathCharacters), file.errorString());
        return false;
    }
    *bytes = file.read(ServerConfigFile::MaxBytes + 1);
    if (bytes->size() > ServerConfigFile::MaxBytes) {
        *error = QStringLiteral("%1 is larger than %2 bytes")
                     .arg(LogText::quoted(path, LogText::MaxPathCharacters))
                     .arg(ServerConfigFile::MaxBytes);
        return false;
    }
    return true;
}

bool isComment(const QByteArray &line)
{
    return line.isEmpty() || line.startsWith('#') || line.startsWith(';');
}

} // namespace

bool ServerConfigFile::read(const QString &path, const QStringList &keys, QHash<QString, QString> *values, QString *error)
{
    QByteArray bytes;
    return readSmallFile(path, &bytes, error) && parse(bytes, path, keys, values, error);
}

bool ServerConfigFile::parse(const QByteArray &bytes, const QString &path, const QStringList &keys,
                             QHash<QString, QString> *values, QString *error)
{
    values->clear();
    const QByteArrayList lines = bytes.split('\n');
    for (qsizetype number = 1; number <= lines.size(); ++number) {
        const QByteArray line = lines.at(number - 1).trimmed();
        if (isComment(line))
            continue;
        const qsizetype equals = line.indexOf('=');
        // The key is kept as bytes for the message, so the log shows what the file really holds.
        const QByteArray keyBytes = line.left(equals).trimmed();
        const QString key = QString::fromUtf8(keyBytes);
        QString problem;
        if (equals < 0)
            problem = QStringLiteral("expected key=value");
        else if (!keys.contains(key))
            problem = QStringLiteral("unknown key ") + LogText::quotedBytes(keyBytes);
        else if (values->contains(key))
            problem = LogText::quoted(key) + QStringLiteral(" given twice");
        if (!problem.isEmpty()) {
            *error = QStringLiteral("%1 line %2: %3")
                         .arg(LogText::quoted(path, LogText::MaxPathCharacters))
                         .arg(number)
                         .arg(problem);
            return false;
        }
        values->insert(key, QString::fromUtf8(line.mid(equals + 1)).trimmed());
    }
    return true;
}

bool ServerConfigFile::readFirstLine(const QString &path, QString *line, QString *error)
{
    QByteArray bytes;
    if (!readSmallFile(path, &bytes, error))
        return false;
    *line = QString::fromUtf8(bytes.left(bytes.indexOf('\n')));
    if (line->endsWith(QLatin1Char('\r')))
        line->chop(1);
    return true;
}
