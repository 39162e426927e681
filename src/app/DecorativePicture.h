#pragma once

class QWidget;

// A picture that only decorates (a skin, a banner, a panel's face) says nothing a user needs:
// assistive technology is told it is not shown, so a screen reader neither reads it nor stops on it.
class DecorativePicture
{
public:
    static void mark(QWidget *picture);
};
