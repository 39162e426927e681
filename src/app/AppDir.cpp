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
    // Asked once per message in a flood: the folders are looked at again only for another program
    // folder.
    static QString lastOwn;
    static QString lastFound;
    const QString own = programDirectory();
    if (own == lastOwn && !lastFound.isEmpty())
        return lastFound;
    lastOwn = own;
    const QString installed = QDir::cleanPath(own + QStringLiteral("/../share/korvani"));
    lastFound = holdsAssets(QDir(own)) || !holdsAssets(QDir(installed)) ? own : installed;
    return lastFound;
}

void setApplicationDirectory(const QString &directory)
{
    overriddenDirectory() = directory.isEmpty() ? QString() : QDir::cleanPath(directory);
}
