#pragma once

#include <QString>
#include <QTemporaryDir>

#include <sys/types.h>

class ChatDialect;

// A chat program run as a child with settings of its own in a fresh folder, on the given Qt/GTK
// X display or, for korvani, on Qt's offscreen platform. Its output goes to a log file in that
// folder. A program that refuses root runs as "nobody" (with that folder as its home) when the
// bench is root. The child is killed when this object goes.
class ClientProgram
{
public:
    ClientProgram(const ChatDialect &dialect, const QString &platform, const QString &display);
    ~ClientProgram();
    ClientProgram(const ClientProgram &) = delete;
    ClientProgram &operator=(const ClientProgram &) = delete;

    // fork + exec, signing on to serverAddress by itself when signOn; false when it did not start.
    bool start(const QString &serverAddress, bool signOn);
    void stop();
    pid_t pid() const { return m_pid; }
    bool isRunning();
    QString log() const;

private:
    const ChatDialect &m_dialect;
    QString m_platform;
    QString m_display;
    QTemporaryDir m_folder;
    pid_t m_pid = -1;
};
