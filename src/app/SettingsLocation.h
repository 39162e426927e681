#pragma once

#include <QString>

// Where Options.ini lives. Beside the program in a build folder (the build puts a marker file
// beside its programs) and in a portable copy that holds its Options.ini beside the program;
// otherwise, as for an installed program whoever runs it, root included, in the user's
// configuration folder (~/.config/korvani/). An Options.ini beside an installed program (its
// pictures and sounds in ../share/korvani) is no portable copy: an older version wrote it there.
// A file named on the command line (--settings FILE) replaces both, so several clients on one
// machine keep their own settings.
class SettingsLocation
{
public:
    // Decided afresh at every call: a copy's Options.ini may be made while the program runs.
    static QString path();

    // The file named on the command line; an empty text returns to the usual places. A relative
    // name counts from the current folder at the time of the call.
    static void setFile(const QString &file);

    // The file the build puts beside its programs: they keep their settings beside themselves.
    static QString buildTreeMarker();

    // The user's configuration folder for this program.
    static QString userFolder();

    // Creates the user's configuration folder when file lies in it and it does not exist yet; any
    // other folder is taken as it is, so a mistyped --settings folder is not created. False when
    // the folder is needed and could not be made.
    static bool prepareFolderOf(const QString &file);
};
