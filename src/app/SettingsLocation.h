#pragma once

#include <QString>

// Where Options.ini lives. Beside the program while its folder can be written (a build folder, a
// portable copy), so such a copy keeps its own settings; otherwise, as for an installed program,
// Options.ini in the user's configuration folder (~/.config/korvani/). A file named on the command
// line (--settings FILE) replaces both, so several clients on one machine keep their own settings.
class SettingsLocation
{
public:
    // Decided afresh at every call: the folder may become writable or not while the program runs.
    static QString path();

    // The file named on the command line; an empty text returns to the usual places. A relative
    // name counts from the current folder at the time of the call.
    static void setFile(const QString &file);

    // The user's configuration folder for this program.
    static QString userFolder();

    // Creates the user's configuration folder when file lies in it and it does not exist yet; any
    // other folder is taken as it is, so a mistyped --settings folder is not created. False when
    // the folder is needed and could not be made.
    static bool prepareFolderOf(const QString &file);
};
