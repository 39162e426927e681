#pragma once

#include <QBasicTimer>
#include <QElapsedTimer>
#include <QMultiMap>
#include <QObject>

class ClientConnection;

// When each paced connection may write next, on one timer for all of them. Every connection due by
// the time the timer fires is served in that one pass, so a room of a thousand unframed readers
// costs a few passes of the event loop per gap, not a timer, a pass and a poll of every socket for
// each message each of them receives.
class PacingSchedule : public QObject
{
public:
    // Its clock and its timer count whole milliseconds: a connection served in a pass may have been
    // due up to this much earlier.
    static constexpr int GrainMs = 1;

    explicit PacingSchedule(QObject *parent = nullptr);

    // Milliseconds on the clock every due time is given in.
    qint64 nowMs() const;
    // `connection` is served (ClientConnection::writeDue) at `dueMs` or in the first pass after it.
    // A connection is scheduled at most once: it cancels before it schedules again.
    void schedule(ClientConnection *connection, qint64 dueMs);
    void cancel(ClientConnection *connection, qint64 dueMs);
    // Connections waiting to be served.
    qsizetype size() const;

protected:
    void timerEvent(QTimerEvent *event) override;

private:
    void serveDue();
    void armTimer();

    QElapsedTimer m_clock;
    QMultiMap<qint64, ClientConnection *> m_due;
    QBasicTimer m_timer;
    qint64 m_timerDueMs = -1;
};
