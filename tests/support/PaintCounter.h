#pragma once

#include <QObject>
#include <QRegion>

// Counts the paint events of the widgets it is installed on, to see how often a view draws.
class PaintCounter : public QObject
{
public:
    int paints = 0;
    // Everything painted, in the widget's coordinates.
    QRegion painted;
    bool eventFilter(QObject *watched, QEvent *event) override;
};
