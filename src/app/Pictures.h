#pragma once

#include <QPixmap>
#include <QString>

// Pictures that one window shows once, for as long as it lives. QPixmap's file constructor keeps
// every decoded picture in Qt's pixmap cache (up to 10 MB) after its window has gone; these are
// decoded for their one use and freed with it.
namespace Pictures {
QPixmap forOneUse(const QString &path);
}
