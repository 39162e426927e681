#include "BalloonTimer.h"

#include <algorithm>

BalloonTimer::BalloonTimer(QObject *parent)
    : QObject(parent)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &BalloonTimer::BalloonTimeOut);
}

int BalloonTimer::displayTime(int requestedMs)
{
    return std::clamp(requestedMs, ShortestMs, LongestMs);
}

void BalloonTimer::start(int requestedMs)
{
    if (m_timer.isActive())
        emit BalloonHide();
    m_timer.start(displayTime(requestedMs));
    emit BalloonShow();
}

void BalloonTimer::click()
{
    m_timer.stop();
    emit BalloonClicked();
}
