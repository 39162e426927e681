#pragma once

#include <QString>

// The program's own folder: the executable's, or the folder a test points it at.
QString programDirectory();

// The folder the program reads smile/ and sound/ from: its own folder when they are there (a build
// folder, a portable copy), otherwise share/korvani/ of the installation (bin/../share/korvani).
// A folder set by a test is used as it is.
QString applicationDirectory();
void setApplicationDirectory(const QString &directory);
