#pragma once

#include <QLabel>

// A label whose picture fills it, stretched. QLabel's own scaled contents keep two more copies of
// the picture for the next paint: an image of it and the stretched one, which for the skin behind
// the main window is bigger than the picture itself. This one stretches the part it paints each
// time and keeps nothing else.
class ScaledPicture : public QLabel
{
    Q_OBJECT
public:
    explicit ScaledPicture(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};
