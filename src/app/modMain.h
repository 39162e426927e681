#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// Process-wide state and the settings file access shared by every window.
namespace modMain {

extern bool PromptMode;          // the command line is exactly "-prompt"
extern bool DisplayCorrectionOn; // [DisplayCorrection] On is "True"
extern bool SoundsOn;            // [Sounds] Value is "On"

// Options.ini in the application directory, built afresh at every call.
QString SettingsPath();

// One value of the settings file; "" for a missing file, section or key.
QString ReadIni(const QString &section, const QString &key, const QString &file);

// Sets one value of the settings file. A write that fails changes nothing and is not reported.
// Always returns 0.
short WriteIni(const QString &section, const QString &key, const QString &value, const QString &file);

// Check-box states ("AC", "Umain") are stored as "1" ticked, "0" unticked. Only the number 1 reads
// as ticked: any other number, an empty value or text that is no number reads as unticked.
bool IniTicked(const QString &value);
QString IniTickValue(bool ticked);

// The arguments after the program name, joined as given, compared exactly with "-prompt".
bool IsPromptCommandLine(const QStringList &arguments);

// Sets the three flags from the arguments after the program name and from Options.ini.
void SetFlags(const QStringList &arguments);

// Ends the program at once: no further handler of any window runs. Tests replace the action.
void StopProgram();
void SetStopAction(std::function<void()> action);

} // namespace modMain
