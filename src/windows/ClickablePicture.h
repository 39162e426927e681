#pragma once

#include <QLabel>

// A picture that reports a left click (button released over it), as the smiley faces need. It
// takes the keyboard focus too (the window's focus frame shows it), and Enter or Space click it.
class ClickablePicture : public QLabel
{
    Q_OBJECT
public:
    explicit ClickablePicture(QWidget *parent = nullptr);

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
};
