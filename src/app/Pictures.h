#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>
#include <QStringList>

// The program's own pictures: PNG files built into it (":/pictures/NAME.png"). They are read as
// PNG by name, because Qt's reader, told no format, loads every image plug-in installed (GIF, ICO,
// JPEG with its library, and more on many desktops) only to ask each whether it reads PNG.
namespace Pictures {
// A picture that one window shows, for as long as it lives. QPixmap's file constructor would keep
// it in Qt's pixmap cache (up to 10 MB) after its window has gone; this one is freed with it.
QPixmap forOneUse(const QString &path);
// An icon drawn from one picture per size.
QIcon icon(const QStringList &paths);
// The program's mark on its windows and boxes, in each size it is drawn for.
QIcon programIcon();
} // namespace Pictures
