#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

// The server's configuration file: one "key=value" a line, blanks around both ignored; blank lines
// and lines starting with "#" or ";" are comments. A key may appear once. Which keys exist is
// the caller's to say; anything else is an error naming the file and line.
class ServerConfigFile
{
public:
    // A configuration longer than this is no configuration: it is refused rather than read.
    static constexpr qint64 MaxBytes = 64 * 1024;

    // Reads path; false with a message in *error when it cannot be read or holds a line it does
    // not accept.
    static bool read(const QString &path, const QStringList &keys, QHash<QString, QString> *values, QString *error);

    // The same for bytes already read; path only names it in messages. Values are UTF-8.
    static bool parse(const QByteArray &bytes, const QString &path, const QStringList &keys,
                      QHash<QString, QString> *values, QString *error);

    // The first line of a small file (a password), without its line end.
    static bool readFirstLine(const QString &path, QString *line, QString *error);
};
