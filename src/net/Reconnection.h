#pragma once

#include "ReconnectSchedule.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

class ChatConnection;

// Tries again, on the schedule of ReconnectSchedule, to reach the server of a connection that
// stood and was lost. Each attempt gets AttemptMs to connect; one that does not is cancelled, so
// a late one never connects behind a newer one. A connection that stood for StableMs before it
// was lost starts the schedule from its shortest wait again; one lost sooner goes on waiting
// longer, so a server that takes connections and drops them is not knocked at every second.
//
// It knows nothing of signing on: whoever listens to the connection's connected() signs on as
// before.
class Reconnection : public QObject
{
    Q_OBJECT
public:
    static constexpr int AttemptMs = 3000;
    static constexpr int StableMs = 30000;

    explicit Reconnection(ChatConnection &connection, ReconnectSchedule schedule = ReconnectSchedule(),
                          QObject *parent = nullptr);

    // A new connection to server is being made by the user: what went before is forgotten.
    void follow(const QString &server);
    // The connection followed has stood since it was made.
    bool mayResume() const { return m_hasStood && !isActive(); }
    // The connection followed is lost: waits, then tries again, until it is back or stop() is called.
    void resume();
    // The user ended it: no further attempt, a pending one is cancelled, and the connection is no
    // longer one to resume.
    void stop();
    bool isActive() const { return m_waiting.isActive() || m_attempting; }

signals:
    // The next attempt comes in delayMs.
    void attemptScheduled(int delayMs);
    // An attempt connected.
    void resumed();

private:
    void attempt();
    void onConnected();
    void onAttemptTimedOut();
    void scheduleNext();

    ChatConnection &m_connection;
    ReconnectSchedule m_schedule;
    QString m_server;
    QTimer m_waiting;
    QTimer m_attemptLimit;
    bool m_attempting = false;
    bool m_hasStood = false;
    QElapsedTimer m_standing;
};
