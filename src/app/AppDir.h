#pragma once

#include <QString>

// The folder the program reads its settings, smile/ and sound/ from: the executable's own folder.
// Tests point it at a temporary folder.
QString applicationDirectory();
void setApplicationDirectory(const QString &directory);
