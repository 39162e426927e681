#include "PaintCounter.h"

#include <QEvent>

bool PaintCounter::eventFilter(QObject *, QEvent *event)
{
    if (event->type() == QEvent::Paint)
        ++paints;
    return false;
}
