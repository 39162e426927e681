#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// A D-Bus session bus of the test's own, with nothing on it and no services to start: the tests
// decide what runs there. Becomes the program's session bus when made before anything uses one.
class PrivateSessionBus
{
public:
    PrivateSessionBus();
    ~PrivateSessionBus();

    bool isRunning() const { return !m_address.isEmpty(); }
    QString address() const { return m_address; }

private:
    QTemporaryDir m_folder;
    QProcess m_daemon;
    QString m_address;
};
