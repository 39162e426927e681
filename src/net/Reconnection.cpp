#include "Reconnection.h"

#include "ChatConnection.h"

#include <utility>

Reconnection::Reconnection(ChatConnection &connection, ReconnectSchedule schedule, QObject *parent)
    : QObject(parent)
    , m_connection(connection)
    , m_schedule(std::move(schedule))
{
    m_waiting.setSingleShot(true);
    m_attemptLimit.setSingleShot(true);
    m_attemptLimit.setInterval(AttemptMs);
    connect(&m_waiting, &QTimer::timeout, this, &Reconnection::attempt);
    connect(&m_attemptLimit, &QTimer::timeout, this, &Reconnection::onAttemptTimedOut);
    connect(&m_connection, &ChatConnection::connected, this, &Reconnection::onConnected);
}

void Reconnection::follow(const QString &server)
{
    stop();
    m_server = server;
    m_schedule.restart();
}

void Reconnection::resume()
{
    if (!mayResume())
        return;
    if (m_standing.isValid() && m_standing.elapsed() >= StableMs)
        m_schedule.restart();
    scheduleNext();
}

void Reconnection::stop()
{
    m_waiting.stop();
    m_attemptLimit.stop();
    if (std::exchange(m_attempting, false))
        m_connection.abortPending();
    m_hasStood = false;
}

void Reconnection::attempt()
{
    m_attempting = true;
    m_attemptLimit.start();
    m_connection.connectToServer(m_server);
}

void Reconnection::onConnected()
{
    m_hasStood = true;
    m_standing.start();
    m_attemptLimit.stop();
    if (std::exchange(m_attempting, false))
        emit resumed();
}

void Reconnection::onAttemptTimedOut()
{
    m_attempting = false;
    m_connection.abortPending();
    scheduleNext();
}

void Reconnection::scheduleNext()
{
    const int delayMs = m_schedule.nextDelayMs();
    m_waiting.start(delayMs);
    emit attemptScheduled(delayMs);
}
