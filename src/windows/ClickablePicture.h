#pragma once

#include <QLabel>

// A picture that reports a left click (button released over it), as the smiley faces need.
class ClickablePicture : public QLabel
{
    Q_OBJECT
public:
    explicit ClickablePicture(QWidget *parent = nullptr);

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
};
