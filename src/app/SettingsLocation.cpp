#include "SettingsLocation.h"

#include "AppDir.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

QString &fileFromCommandLine()
{
    static QString file;
    return file;
}

const QString fileName = QStringLiteral("Options.ini");

// An installation reads its pictures and sounds from share/korvani, not from beside the program.
bool isInstalled(const QString &programFolder)
{
    return applicationDirectory() != programFolder;
}

// Whether the folder may be written is no test: root may write /usr/bin.
bool keepsSettingsBeside(const QString &programFolder)
{
    const QDir folder(programFolder);
    if (folder.exists(SettingsLocation::buildTreeMarker()))
        return true;
    return folder.exists(fileName) && !isInstalled(programFolder);
}

} // namespace

QString SettingsLocation::path()
{
    if (!fileFromCommandLine().isEmpty())
        return fileFromCommandLine();
    const QString programFolder = programDirectory();
    if (keepsSettingsBeside(programFolder))
        return programFolder + QLatin1Char('/') + fileName;
    return userFolder() + QLatin1Char('/') + fileName;
}

void SettingsLocation::setFile(const QString &file)
{
    fileFromCommandLine() = file.isEmpty() ? QString() : QFileInfo(file).absoluteFilePath();
}

QString SettingsLocation::buildTreeMarker()
{
    return QStringLiteral(KORVANI_BUILD_TREE_MARKER);
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
