#pragma once

#include <QColor>

// A focus ring must stand out from what surrounds it, by a contrast of at least 3 to 1 (the
// ratio of the lighter colour's relative luminance to the darker one's, each plus 0.05).
class FocusRing
{
public:
    static constexpr double minimumContrast = 3.0;

    // 1 for equal colours up to 21 for black on white.
    static double contrast(const QColor &one, const QColor &other);
    // preferred where it stands out from background enough; else black or white, whichever
    // stands out more.
    static QColor colourOn(const QColor &background, const QColor &preferred);
};
