#pragma once

#include <QFont>

// The face of every window that names no other: Microsoft Sans Serif 8.25 pt, or its
// metric-compatible stand-in, so captions drawn to twips fit their controls.
class WindowFont
{
public:
    static QFont standard();
};
