#pragma once

#include <QObject>

// Counts the paint events of the widgets it is installed on, to see how often a view draws.
class PaintCounter : public QObject
{
public:
    int paints = 0;
    bool eventFilter(QObject *watched, QEvent *event) override;
};
