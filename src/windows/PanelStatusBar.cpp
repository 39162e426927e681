#include "PanelStatusBar.h"

#include "WindowFont.h"

#include "app/Twips.h"

#include <QLabel>
#include <QPainter>
#include <QPainterPath>

namespace {
// A closed padlock, drawn so it follows the bar's height and the screen's scale.
QPixmap lockPicture(int size, qreal scale)
{
    QPixmap picture(QSize(size, size) * scale);
    picture.setDevicePixelRatio(scale);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal unit = size / 16.0;
    painter.setPen(QPen(QColor(0x40, 0x40, 0x40), 1.6 * unit));
    QPainterPath shackle;
    shackle.moveTo(4.5 * unit, 7.5 * unit);
    shackle.lineTo(4.5 * unit, 5 * unit);
    shackle.arcTo(QRectF(4.5 * unit, 1.2 * unit, 7 * unit, 7 * unit), 180, -180);
    shackle.lineTo(11.5 * unit, 7.5 * unit);
    painter.drawPath(shackle);
    painter.setPen(QPen(QColor(0x7a, 0x5a, 0x00), 0.8 * unit));
    painter.setBrush(QColor(0xe8, 0xb4, 0x1c));
    painter.drawRoundedRect(QRectF(2.5 * unit, 7 * unit, 11 * unit, 8 * unit), 1.5 * unit, 1.5 * unit);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x40, 0x40, 0x40));
    painter.drawEllipse(QPointF(8 * unit, 10.5 * unit), 1.3 * unit, 1.3 * unit);
    return picture;
}
}

PanelStatusBar::PanelStatusBar(QWidget *parent)
    : QStatusBar(parent)
{
    // The bar has its own face; the window's skin must not show through behind the texts.
    setAutoFillBackground(true);
    setFont(WindowFont::standard());

    const int widths[] = {Twips::toPixels(2440), Twips::toPixels(5440)};
    for (int i = 0; i < 2; ++i) {
        m_panels[i] = new QLabel(this);
        m_panels[i]->setMinimumWidth(widths[i]);
        m_panels[i]->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        m_panels[i]->setContentsMargins(2, 0, 2, 0);
        addWidget(m_panels[i], i == 0 ? 0 : 1);
    }
    m_lock = new QLabel(this);
    const int size = std::max(12, fontMetrics().height());
    m_lock->setPixmap(lockPicture(size, devicePixelRatioF()));
    m_lock->setToolTip(QStringLiteral("Private connection (TLS)"));
    m_lock->setAccessibleName(QStringLiteral("Private connection"));
    m_lock->hide();
    addPermanentWidget(m_lock);
}

void PanelStatusBar::showPrivate(bool isPrivate)
{
    m_lock->setVisible(isPrivate);
}

bool PanelStatusBar::showsPrivate() const
{
    return !m_lock->isHidden();
}

QString PanelStatusBar::panelText(int panel) const
{
    return (panel == 1 || panel == 2) ? m_panels[panel - 1]->text() : QString();
}

void PanelStatusBar::setPanelText(int panel, const QString &text)
{
    if (panel == 1 || panel == 2)
        m_panels[panel - 1]->setText(text);
}
