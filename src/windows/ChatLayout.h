#pragma once

#include <QRect>
#include <QSize>

// The main window's resize rules, in twips. The rules were drawn for the window's outer size
// (frame and title bar included); Qt reports the client area, so outerSize() adds the allowance
// that makes the designed client size give the designed layout.
class ChatLayout
{
public:
    // The controls the rules move or size. Left, top, width, height in twips.
    struct Geometry
    {
        QRect lstUsers;
        QRect users;
        QRect cmdSend;
        QRect txtText;
        QRect txtHistory;
        QRect style;
        QRect style_userlist;

        bool operator==(const Geometry &other) const = default;
    };

    static constexpr int FrameWidth = 30;   // outer width minus client width
    static constexpr int FrameHeight = 480; // outer height minus client height (title bar and frame)

    // The window's client area as designed.
    static QSize designedClientSize();
    // Every control where the design puts it.
    static Geometry designed();

    static QSize outerSize(const QSize &clientSize);

    // Applies the fourteen rules in order to the outer size W x H. Each rule reads what the
    // earlier ones left; a rule that would give a negative width or height is skipped and that
    // property keeps its value, while positions may go negative (out of view to the left or top).
    static Geometry apply(int W, int H, Geometry geometry);
};
