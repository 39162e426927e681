#include "AppDir.h"

#include <QCoreApplication>
#include <QDir>

namespace {
QString &overriddenDirectory()
{
    static QString directory;
    return directory;
}

bool holdsAssets(const QDir &folder)
{
    return folder.exists(QStringLiteral("sound")) || folder.exists(QStringLiteral("smile"));
}
} // namespace

QString programDirectory()
{
    if (!overriddenDirectory().isEmpty())
        return overriddenDirectory();
    return QDir::cleanPath(QCoreApplication::applicationDirPath());
}

QString applicationDirectory()
{
    const QString own = programDirectory();
    if (holdsAssets(QDir(own)))
        return own;
    const QString installed = QDir::cleanPath(own + QStringLiteral("/../share/korvani"));
    return holdsAssets(QDir(installed)) ? installed : own;
}

void setApplicationDirectory(const QString &directory)
{
    overriddenDirectory() = directory.isEmpty() ? QString() : QDir::cleanPath(directory);
}
