#pragma once

#include <QTimer>
#include <QWidget>

// What the two notice windows share: a small tool window without task-bar button at a fixed spot
// on the screen, which closes itself a fixed time after it was loaded. Closing unloads it, so the
// next notice gets a fresh window and a fresh timer; a notice while it is open only changes its
// text, and the window still closes at the time the first one set.
class NoticeWindow : public QWidget
{
public:
    QTimer *Timer;

protected:
    NoticeWindow(const QString &title, const QRect &clientTwips);

    // The load step of each window: the time it stays, counted from now.
    void closeAfter(int intervalMs);
    void closeEvent(QCloseEvent *event) override;
    // Form<T>::unload() of the concrete window.
    virtual void unload() = 0;

private:
    void Timer_Timer();
};
