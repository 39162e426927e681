#pragma once

#include <QString>

// Text that users chose, made safe for a one-line log: quoted, with control characters written
// as escapes so a name cannot forge or break log lines.
class LogText
{
public:
    static QString quoted(const QString &text);
};
