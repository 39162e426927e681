#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

// Process-wide state and the settings file access shared by every window.
namespace modMain {

extern bool PromptMode;          // the command line is exactly "-prompt"
extern bool DisplayCorrectionOn; // [DisplayCorrection] On is "True"
extern bool SoundsOn;            // [Sounds] Value is "On"

// Options.ini where SettingsLocation puts it, decided afresh at every call.
QString SettingsPath();

// One value of the settings file; "" for a missing file, section or key.
QString ReadIni(const QString &section, const QString &key, const QString &file);

struct IniValue
{
    QString section;
    QString key;
    QString value;
};

// Sets values of the settings file, in their order, in one replacement of the whole file: a reader
// sees all of them or none. Returns false, with the reason in *error when given, when the file was
// left exactly as it was (full disk, no permission, a file that exists but cannot be read). Values
// that the file already holds cost no write. The values are set in the file as it stands at that
// moment: writers of other processes on the same file take their turn (Options.ini.lock beside it).
bool WriteIniValues(const QList<IniValue> &values, const QString &file, QString *error = nullptr);

// Sets one value of the settings file: 0 when it was written, -1 when the file was left as it was.
short WriteIni(const QString &section, const QString &key, const QString &value, const QString &file);

// Tells the user, over parent, that the settings could not be saved; only the first failure of a
// run is told, so a full disk does not raise a box at every later action.
void TellSettingsNotSaved(QWidget *parent, const QString &reason);
// Lets the next failure be told again (tests).
void ResetSettingsNotSavedNotice();

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
