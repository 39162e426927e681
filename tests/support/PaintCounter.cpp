#include "PaintCounter.h"

#include <QPaintEvent>

bool PaintCounter::eventFilter(QObject *, QEvent *event)
{
    if (event->type() == QEvent::Paint) {
        ++paints;
        painted += static_cast<QPaintEvent *>(event)->region();
    }
    return false;
}
