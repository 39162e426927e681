#pragma once

#include <QString>

// The program's own folder: the executable's, or the folder a test points it at.
QString programDirectory();

// The folder the program reads smile/ and sound/ from: its own folder when they are there (a build
// folder, a portable copy), otherwise share/korvani/ of the installation (bin/../share/korvani).
QString applicationDirectory();

// Makes directory the program's own folder (tests); an empty text returns to the executable's.
void setApplicationDirectory(const QString &directory);
