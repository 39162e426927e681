#pragma once

#include <QPointer>
#include <QWidget>

// A ring around the control that has the keyboard focus, one per window, seen on any background:
// a dark line inside a light one, so that one of the two stands out at least 3:1 from whatever
// colour surrounds the control. The style draws no focus on text areas and lists, only after a Tab
// on pictures, and in the highlight colour elsewhere, which vanishes on a window of that colour
// or on a skin of it.
class FocusFrame : public QWidget
{
    Q_OBJECT
public:
    // Once, at start-up: from then on every window shows its focus.
    static void install();

protected:
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit FocusFrame(QWidget *window);

    static void focusChanged(QWidget *old, QWidget *now);
    static FocusFrame *of(QWidget *window);
    void follow(QWidget *control);
    void fitToControl();

    QPointer<QWidget> m_control;
};
