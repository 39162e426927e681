#pragma once

#include <QRect>

class QWidget;

// Where a notice window opens: a fixed spot given in twips from the primary screen's top-left
// corner, moved into view on a screen too small for that spot.
class NoticePlacement
{
public:
    // The window moved the least that puts it inside area; a window larger than area keeps its
    // top-left corner in it.
    static QRect moveIntoView(const QRect &window, const QRect &area);

    // Sets the notice's client area to clientTwips, counted from the primary screen's top-left
    // corner, kept inside the part of that screen that windows may use.
    static void place(QWidget &notice, const QRect &clientTwips);
};
