#include "ScaledPicture.h"

#include <QPainter>

ScaledPicture::ScaledPicture(QWidget *parent)
    : QLabel(parent)
{
}

void ScaledPicture::paintEvent(QPaintEvent *event)
{
    const QPixmap picture = pixmap();
    if (picture.isNull()) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(contentsRect(), picture);
}
