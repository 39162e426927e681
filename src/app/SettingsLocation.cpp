#include "SettingsLocation.h"

#include "AppDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <unistd.h>

namespace {

QString &fileFromCommandLine()
{
    static QString file;
    return file;
}

const QString fileName = QStringLiteral("Options.ini");

bool isWritableFolder(const QString &folder)
{
    return ::access(QFile::encodeName(folder).constData(), W_OK | X_OK) == 0;
}

} // namespace

QString SettingsLocation::path()
{
    if (!fileFromCommandLine().isEmpty())
        return fileFromCommandLine();
    const QString programFolder = programDirectory();
    if (isWritableFolder(programFolder))
        return programFolder + QLatin1Char('/') + fileName;
    return userFolder() + QLatin1Char('/') + fileName;
}

void SettingsLocation::setFile(const QString &file)
{
    fileFromCommandLine() = file.isEmpty() ? QString() : QFileInfo(file).absoluteFilePath();
}

QString SettingsLocation::userFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
}

bool SettingsLocation::prepareFolderOf(const QString &file)
{
    const QString folder = QFileInfo(file).absolutePath();
    return folder != QDir::cleanPath(userFolder()) || QDir().mkpath(folder);
}
