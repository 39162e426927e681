#include "NoticePlacement.h"

#include "app/Twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

QRect NoticePlacement::moveIntoView(const QRect &window, const QRect &area)
{
    const int left = std::max(std::min(window.left(), area.right() + 1 - window.width()), area.left());
    const int top = std::max(std::min(window.top(), area.bottom() + 1 - window.height()), area.top());
    return QRect(QPoint(left, top), window.size());
}

void NoticePlacement::place(QWidget &notice, const QRect &clientTwips)
{
    const QRect wanted = Twips::toPixels(clientTwips);
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen) {
        notice.setGeometry(wanted);
        return;
    }
    notice.setGeometry(moveIntoView(wanted.translated(screen->geometry().topLeft()), screen->availableGeometry()));
}
