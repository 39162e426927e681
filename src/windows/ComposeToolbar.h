#pragma once

#include <QToolBar>

class QAction;

// The toolbar above the input line (Toolbar1): twelve buttons numbered from 1, left to right.
// Buttons 2 and 10 are spacers. Every other button stays down after a click until the main
// window's click handler has done its action and raised it again.
class ComposeToolbar : public QToolBar
{
    Q_OBJECT
public:
    static constexpr int ButtonCount = 12;

    explicit ComposeToolbar(QWidget *parent = nullptr);

    // Button 1..ButtonCount.
    QAction *button(int index) const;

signals:
    // A button was clicked and is now down.
    void ButtonClick(QAction *button);

private:
    QList<QAction *> m_buttons;
};
