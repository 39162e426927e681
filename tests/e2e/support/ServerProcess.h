#pragma once

#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>

// korvani-server run as its own program on one loopback address and the chat port, with its log
// (stderr, one line per event) gathered as it comes. Waits keep the event loop running, so the
// windows and sockets of the test process go on working meanwhile. The server is killed when this
// object goes.
class ServerProcess : public QObject
{
    Q_OBJECT
public:
    ServerProcess(const QString &address, const QStringList &options);
    ~ServerProcess() override;

    // Starts the server and waits until it listens; false when it did not (it then has ended).
    bool start();
    // Ends the server as a signal does: SIGTERM, then waits for the process to end.
    bool stop();
    // Kills the server outright, as a crash would: its connections close without a word.
    bool kill();
    bool isRunning() const;

    QString log() const { return m_log; }
    // Waits until the log holds text; the log is never cleared, so the text may come from earlier.
    bool waitForLog(const QString &text, int timeoutMs = 20000);
    // Waits until the log holds text after what it held at `from` (a length of log()).
    bool waitForLogAfter(qsizetype from, const QString &text, int timeoutMs = 20000);
    // The client address of the latest "connected from ADDRESS:PORT" line; "" if none.
    QString lastPeerAddress() const;

private:
    QString m_address;
    QStringList m_options;
    QProcess m_process;
    QString m_log;
};
