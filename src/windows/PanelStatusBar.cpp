#include "PanelStatusBar.h"

#include "WindowFont.h"

#include "app/Twips.h"

#include <QLabel>

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
