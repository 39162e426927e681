#include "Pictures.h"

#include <QImageReader>

namespace {

QImage readPng(const QString &path)
{
    QImageReader reader(path, "png");
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

} // namespace

namespace Pictures {

QPixmap forOneUse(const QString &path)
{
    return QPixmap::fromImage(readPng(path));
}

QIcon icon(const QStringList &paths)
{
    QIcon icon;
    for (const QString &path : paths)
        icon.addPixmap(forOneUse(path));
    return icon;
}

QIcon programIcon()
{
    return icon({QStringLiteral(":/pictures/korvani-16.png"), QStringLiteral(":/pictures/korvani-32.png"),
                 QStringLiteral(":/pictures/korvani.png")});
}

} // namespace Pictures
