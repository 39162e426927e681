#pragma once

#include <QString>

#include <sys/types.h>

// Counts the reads another process makes on one of its sockets, with `perf stat` on the read
// system call's tracepoint filtered to that descriptor, so the counted process runs as it would.
// Unframed, each read of the chat socket is one block and so one row: the reads during a flood are
// the rows the client showed. Without perf (or the permission to trace) there is no count.
class SocketReadCounter
{
public:
    ~SocketReadCounter();

    // The descriptor in process pid whose TCP connection has local port localPort; -1 if none.
    static int socketDescriptor(pid_t pid, quint16 localPort);

    bool start(pid_t pid, int descriptor);
    // The reads counted since start(); -1 when counting did not work.
    qint64 stop();
    QString why() const { return m_why; }

private:
    pid_t m_perf = -1;
    QString m_output;
    QString m_why;
};
