#pragma once

#include <QString>
#include <QTemporaryDir>

#include <sys/types.h>

// The real korvani program run as a child with a settings file of its own in a fresh folder, on
// the given Qt platform ("xcb" with an X display, or "offscreen"). Its output goes to a log file
// in that folder. The child is killed when this object goes.
class ClientProgram
{
public:
    ClientProgram(const QString &executable, const QString &platform, const QString &display);
    ~ClientProgram();
    ClientProgram(const ClientProgram &) = delete;
    ClientProgram &operator=(const ClientProgram &) = delete;

    // Remembers user and server with automatic connect, as a user who ticked "Save Username/Server
    // IP" left them: the sign-on window connects by itself two seconds after the start.
    bool rememberSignOn(const QString &user, const QString &serverAddress);
    // fork + exec; false when the program could not be started.
    bool start();
    void stop();
    pid_t pid() const { return m_pid; }
    bool isRunning();
    QString log() const;

private:
    QString m_executable;
    QString m_platform;
    QString m_display;
    QTemporaryDir m_folder;
    pid_t m_pid = -1;
};
