#include "ServerConfigFile.h"

#include <QFile>

namespace {

bool readSmallFile(const QString &path, QByteArray *bytes, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return false;
    }
    *bytes = file.read(ServerConfigFile::MaxBytes + 1);
    if (bytes->size() > ServerConfigFile::MaxBytes) {
        *error = QStringLiteral("%1 is larger than %2 bytes").arg(path).arg(ServerConfigFile::MaxBytes);
        return false;
    }
    return true;
}

bool isComment(const QString &line)
{
    return line.isEmpty() || line.startsWith(QLatin1Char('#')) || line.startsWith(QLatin1Char(';'));
}

} // namespace

bool ServerConfigFile::read(const QString &path, const QStringList &keys, QHash<QString, QString> *values, QString *error)
{
    QByteArray bytes;
    return readSmallFile(path, &bytes, error) && parse(QString::fromUtf8(bytes), path, keys, values, error);
}

bool ServerConfigFile::parse(const QString &text, const QString &path, const QStringList &keys,
                             QHash<QString, QString> *values, QString *error)
{
    values->clear();
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (qsizetype number = 1; number <= lines.size(); ++number) {
        const QString line = lines.at(number - 1).trimmed();
        if (isComment(line))
            continue;
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        const QString key = line.left(equals).trimmed();
        QString problem;
        if (equals < 0)
            problem = QStringLiteral("expected key=value");
        else if (!keys.contains(key))
            problem = QStringLiteral("unknown key \"%1\"").arg(key);
        else if (values->contains(key))
            problem = QStringLiteral("\"%1\" given twice").arg(key);
        if (!problem.isEmpty()) {
            *error = QStringLiteral("%1 line %2: %3").arg(path).arg(number).arg(problem);
            return false;
        }
        values->insert(key, line.mid(equals + 1).trimmed());
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
