#include "AppDir.h"

#include <QCoreApplication>
#include <QDir>

namespace {
QString &overriddenDirectory()
{
    static QString directory;
    return directory;
}
} // namespace

QString applicationDirectory()
{
    if (!overriddenDirectory().isEmpty())
        return overriddenDirectory();
    return QDir::cleanPath(QCoreApplication::applicationDirPath());
}

void setApplicationDirectory(const QString &directory)
{
    overriddenDirectory() = directory.isEmpty() ? QString() : QDir::cleanPath(directory);
}
