#pragma once

#include <QObject>
#include <QTimer>

// Tells when a tray balloon shows and when its time is up. The tray reports a click on a balloon
// but neither its appearance nor its time-out, so both are raised here. The time a balloon stays
// is kept within the tray's own limits: a caller may ask for 50 ms, which nobody could read.
class BalloonTimer : public QObject
{
    Q_OBJECT
public:
    static constexpr int ShortestMs = 5000;
    static constexpr int LongestMs = 30000;

    explicit BalloonTimer(QObject *parent = nullptr);

    // The time a balloon asked to stay requestedMs is shown.
    static int displayTime(int requestedMs);

    // A balloon was just shown; one still up is hidden by it.
    void start(int requestedMs);
    // The user clicked the balloon, which closes it.
    void click();

    bool isShowing() const { return m_timer.isActive(); }
    int interval() const { return m_timer.interval(); }

signals:
    void BalloonShow();
    void BalloonHide();
    void BalloonTimeOut();
    void BalloonClicked();

private:
    QTimer m_timer;
};
