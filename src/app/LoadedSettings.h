#pragma once

#include "modMain.h"

#include <QList>
#include <QString>

// The settings file as a window found it when it loaded. The window's Apply writes only the values
// that would change that file: another instance of the program on the same file may have changed
// the others since, and writing back the window's old copy of them would undo that change.
class LoadedSettings
{
public:
    // Takes the file as it is now.
    void load(const QString &file);
    // Those of values that the file as loaded, or as written since, does not hold.
    QList<modMain::IniValue> changed(const QList<modMain::IniValue> &values) const;
    // values were written: the file holds them now.
    void remember(const QList<modMain::IniValue> &values);

private:
    QString m_text;
};
