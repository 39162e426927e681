#include "modMain.h"

#include "AppDir.h"
#include "ProfileFile.h"

#include <cstdio>
#include <unistd.h>

namespace modMain {

bool PromptMode = false;
bool DisplayCorrectionOn = false;
bool SoundsOn = false;

QString SettingsPath()
{
    return applicationDirectory() + QStringLiteral("/Options.ini");
}

QString ReadIni(const QString &section, const QString &key, const QString &file)
{
    QString text;
    ProfileFile::readFile(file, &text);
    return ProfileFile::value(text, section, key);
}

short WriteIni(const QString &section, const QString &key, const QString &value, const QString &file)
{
    // A file that exists but cannot be read is left alone rather than replaced by one key.
    QString text;
    if (ProfileFile::readFile(file, &text))
        ProfileFile::writeFile(file, ProfileFile::withValue(text, section, key, value));
    return 0;
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
    DisplayCorrectionOn = ReadIni(QStringLiteral("DisplayCorrection"), QStringLiteral("On"), SettingsPath())
                          == QLatin1String("True");
    SoundsOn = ReadIni(QStringLiteral("Sounds"), QStringLiteral("Value"), SettingsPath()) == QLatin1String("On");
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
