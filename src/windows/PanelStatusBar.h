#pragma once

#include <QStatusBar>

class QLabel;

// The main window's status bar (StatusBar1): two text panels, numbered from 1.
class PanelStatusBar : public QStatusBar
{
    Q_OBJECT
public:
    explicit PanelStatusBar(QWidget *parent = nullptr);

    QString panelText(int panel) const;
    void setPanelText(int panel, const QString &text);

private:
    QLabel *m_panels[2];
};
