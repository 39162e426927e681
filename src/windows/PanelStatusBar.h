#pragma once

#include <QStatusBar>

class QLabel;

// The main window's status bar (StatusBar1): two text panels, numbered from 1, and at the right a
// lock while the connection is private.
class PanelStatusBar : public QStatusBar
{
    Q_OBJECT
public:
    explicit PanelStatusBar(QWidget *parent = nullptr);

    QString panelText(int panel) const;
    void setPanelText(int panel, const QString &text);
    void showPrivate(bool isPrivate);
    bool showsPrivate() const;

private:
    QLabel *m_panels[2];
    QLabel *m_lock;
};
