#pragma once

#include <QRect>
#include <QSize>

// Window geometry is drawn in twips: 1/1440 inch, 15 twips to a pixel at 96 dots per inch.
class Twips
{
public:
    static constexpr int PerPixel = 15;

    static int toPixels(int twips);
    static QRect toPixels(const QRect &twips);
    static QSize toPixels(const QSize &twips);

    static int fromPixels(int pixels) { return pixels * PerPixel; }
    static QRect fromPixels(const QRect &pixels);
    static QSize fromPixels(const QSize &pixels);
};
