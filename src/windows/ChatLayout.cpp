#include "ChatLayout.h"

namespace {
// A control refuses a negative size and keeps the one it has.
void setWidth(QRect &rect, int width)
{
    if (width >= 0)
        rect.setWidth(width);
}

void setHeight(QRect &rect, int height)
{
    if (height >= 0)
        rect.setHeight(height);
}

// Moving keeps the size.
void setLeft(QRect &rect, int left)
{
    rect.moveLeft(left);
}

void setTop(QRect &rect, int top)
{
    rect.moveTop(top);
}
} // namespace

QSize ChatLayout::designedClientSize()
{
    return QSize(8145, 4725);
}

ChatLayout::Geometry ChatLayout::designed()
{
    Geometry geometry;
    geometry.lstUsers = QRect(6120, 840, 1815, 3570);
    geometry.users = QRect(6120, 600, 1815, 255);
    geometry.cmdSend = QRect(6120, 4920, 1935, 375);
    geometry.txtText = QRect(120, 3720, 5895, 675);
    geometry.txtHistory = QRect(120, 600, 5895, 3015);
    geometry.style = QRect(0, 240, 8415, 4755);
    geometry.style_userlist = QRect(6120, 600, 1815, 315);
    return geometry;
}

QSize ChatLayout::outerSize(const QSize &clientSize)
{
    return QSize(clientSize.width() + FrameWidth, clientSize.height() + FrameHeight);
}

ChatLayout::Geometry ChatLayout::apply(int W, int H, Geometry g)
{
    setLeft(g.lstUsers, W - g.lstUsers.width() - 240);
    setHeight(g.lstUsers, H - 1640);
    setLeft(g.users, W - g.users.width() - 240);
    setHeight(g.users, H - 2600);
    setLeft(g.cmdSend, W - (W - g.lstUsers.left()) - 240);
    setTop(g.cmdSend, H - 1550);
    setTop(g.txtText, H - 1520);
    setWidth(g.txtText, W - (W - g.lstUsers.left()) - 240);
    setWidth(g.txtHistory, W - (W - g.lstUsers.left()) - 240);
    setHeight(g.txtHistory, W - (W - g.txtText.top()) - 750);
    setHeight(g.style, H);
    setWidth(g.style, W);
    setLeft(g.style_userlist, W - g.users.width() - 240);
    setHeight(g.style_userlist, H - 2600);
    return g;
}
