#include "PacingSchedule.h"

#include "ClientConnection.h"

#include <QTimerEvent>

PacingSchedule::PacingSchedule(QObject *parent)
    : QObject(parent)
{
    m_clock.start();
}

qint64 PacingSchedule::nowMs() const
{
    return m_clock.elapsed();
}

void PacingSchedule::schedule(ClientConnection *connection, qint64 dueMs)
{
    m_due.insert(dueMs, connection);
    if (m_timerDueMs < 0 || dueMs < m_timerDueMs)
        armTimer();
}

void PacingSchedule::cancel(ClientConnection *connection, qint64 dueMs)
{
    // The timer stays: a pass with nothing due costs less than re-arming it for every cancel.
    auto [it, end] = m_due.equal_range(dueMs);
    for (; it != end; ++it) {
        if (it.value() == connection) {
            m_due.erase(it);
            return;
        }
    }
}

qsizetype PacingSchedule::size() const
{
    return m_due.size();
}

void PacingSchedule::timerEvent(QTimerEvent *event)
{
    if (event->timerId() != m_timer.timerId()) {
        QObject::timerEvent(event);
        return;
    }
    m_timer.stop();
    m_timerDueMs = -1;
    serveDue();
    armTimer();
}

void PacingSchedule::serveDue()
{
    // Taken out first: a connection served here schedules its next write, always later than now.
    const qint64 now = nowMs();
    QList<ClientConnection *> due;
    while (!m_due.isEmpty() && m_due.firstKey() <= now)
        due += m_due.take(m_due.firstKey());
    for (ClientConnection *connection : std::as_const(due))
        connection->writeDue();
}

void PacingSchedule::armTimer()
{
    if (m_due.isEmpty())
        return;
    m_timerDueMs = m_due.firstKey();
    m_timer.start(int(std::max<qint64>(0, m_timerDueMs - nowMs())), Qt::PreciseTimer, this);
}
