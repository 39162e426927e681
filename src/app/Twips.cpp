#include "Twips.h"

#include <QtMath>

int Twips::toPixels(int twips)
{
    return qRound(double(twips) / PerPixel);
}

// Each of left, top, width and height is rounded on its own, so a width never changes with the
// position the control is moved to.
QRect Twips::toPixels(const QRect &twips)
{
    return QRect(toPixels(twips.x()), toPixels(twips.y()), toPixels(twips.width()), toPixels(twips.height()));
}

QSize Twips::toPixels(const QSize &twips)
{
    return QSize(toPixels(twips.width()), toPixels(twips.height()));
}

QRect Twips::fromPixels(const QRect &pixels)
{
    return QRect(fromPixels(pixels.x()), fromPixels(pixels.y()), fromPixels(pixels.width()),
                 fromPixels(pixels.height()));
}

QSize Twips::fromPixels(const QSize &pixels)
{
    return QSize(fromPixels(pixels.width()), fromPixels(pixels.height()));
}
