#include "modMain.h"

#include "Dialogs.h"
#include "FileReplacement.h"
#include "ProfileFile.h"
#include "SettingsKeys.h"
#include "SettingsLocation.h"

#include <QFileInfo>
#include <QLockFile>

#include <cstdio>
#include <unistd.h>

namespace modMain {

bool PromptMode = false;
bool DisplayCorrectionOn = false;
bool SoundsOn = false;

QString SettingsPath()
{
    return SettingsLocation::path();
}

QString ReadIni(const QString &section, const QString &key, const QString &file)
{
    QString text;
    ProfileFile::readFile(file, &text);
    return ProfileFile::value(text, section, key);
}

namespace {
bool failWith(QString *error, const QString &reason)
{
    if (error)
        *error = reason;
    return false;
}

// A write holds the lock for a few milliseconds. A lock older than staleLockMs belongs to a program
// that hangs (one that died on this machine gives its lock up at once); past lockWaitMs the write
// goes on without the lock rather than not at all.
constexpr int lockWaitMs = 2000;
constexpr int staleLockMs = 10000;

QString lockPathOf(const QString &file)
{
    return FileReplacement::target(file) + QStringLiteral(".lock");
}
} // namespace

// Every instance of the program on one settings file reads it, sets its values and replaces it
// while it holds the lock beside it: two at the same moment would otherwise both start from the
// same text, and the second replacement would undo the first one's values.
bool WriteIniValues(const QList<IniValue> &values, const QString &file, QString *error)
{
    if (!QFileInfo::exists(file) && !SettingsLocation::prepareFolderOf(file))
        return failWith(error, QStringLiteral("The folder %1 cannot be created.").arg(QFileInfo(file).absolutePath()));
    QLockFile lock(lockPathOf(file));
    lock.setStaleLockTime(staleLockMs);
    lock.tryLock(lockWaitMs);
    // A file that exists but cannot be read is left alone rather than replaced by a few keys.
    QString text;
    if (!ProfileFile::readFile(file, &text))
        return failWith(error, QStringLiteral("%1 cannot be read.").arg(file));
    QString updated = text;
    for (const IniValue &value : values)
        updated = ProfileFile::withValue(updated, value.section, value.key, value.value);
    if (updated == text && QFileInfo::exists(file))
        return true;
    return FileReplacement::replace(file, updated.toUtf8(), error);
}

short WriteIni(const QString &section, const QString &key, const QString &value, const QString &file)
{
    return WriteIniValues({{section, key, value}}, file) ? 0 : -1;
}

namespace {
bool &settingsNotSavedTold()
{
    static bool told = false;
    return told;
}
} // namespace

void TellSettingsNotSaved(QWidget *parent, const QString &reason)
{
    if (settingsNotSavedTold())
        return;
    settingsNotSavedTold() = true;
    Dialogs::current().messageBox(
        parent, QMessageBox::Warning, QStringLiteral("Client"),
        QStringLiteral("Your settings could not be saved. %1\nThe settings file stays as it was; "
                       "the program goes on with the new settings until it ends.")
            .arg(reason),
        QMessageBox::Ok, QMessageBox::Ok);
}

void ResetSettingsNotSavedNotice()
{
    settingsNotSavedTold() = false;
}

bool IniTicked(const QString &value)
{
    bool isNumber = false;
    const int number = value.toInt(&isNumber);
    return isNumber && number == 1;
}

QString IniTickValue(bool ticked)
{
    return ticked ? QStringLiteral("1") : QStringLiteral("0");
}

bool IsPromptCommandLine(const QStringList &arguments)
{
    return arguments.join(QLatin1Char(' ')) == QLatin1String("-prompt");
}

void SetFlags(const QStringList &arguments)
{
    PromptMode = IsPromptCommandLine(arguments);
    using namespace SettingsKeys;
    DisplayCorrectionOn = ReadIni(DisplayCorrectionSection, DisplayCorrectionOnKey, SettingsPath()) == QLatin1String("True");
    SoundsOn = ReadIni(SoundsSection, SoundsOnKey, SettingsPath()) == QLatin1String("On");
}

namespace {
std::function<void()> &stopAction()
{
    static std::function<void()> action = [] {
        std::fflush(nullptr);
        ::_exit(0);
    };
    return action;
}
} // namespace

void StopProgram()
{
    stopAction()();
}

void SetStopAction(std::function<void()> action)
{
    stopAction() = std::move(action);
}

} // namespace modMain
