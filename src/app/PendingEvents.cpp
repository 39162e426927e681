#include "PendingEvents.h"

#include <QCoreApplication>

void LetPendingEventsRun()
{
    QCoreApplication::processEvents();
}
