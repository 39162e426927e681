#pragma once

#include <QKeySequence>
#include <QObject>
#include <QShortcut>

// Escape anywhere in `window` runs `slot` of it: the way out a dialog's Cancel gives, for windows
// that are not dialogs.
template <typename Window, typename Slot>
void onEscape(Window *window, Slot slot)
{
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), window);
    QObject::connect(escape, &QShortcut::activated, window, slot);
}
