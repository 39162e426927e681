#pragma once

#include "app/modMain.h"

#include <QString>

// What one writer of the settings tests does: sets Key0 = 0, Key1 = 1, ... of section in file, one
// write each, as fast as it can. Returns how many writes failed.
inline int writeNumberedKeys(const QString &file, const QString &section, int count)
{
    int failures = 0;
    for (int i = 0; i < count; ++i) {
        if (!modMain::WriteIniValues({{section, QStringLiteral("Key%1").arg(i), QString::number(i)}}, file))
            ++failures;
    }
    return failures;
}
