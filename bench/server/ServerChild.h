#pragma once

#include <QHostAddress>
#include <QObject>
#include <QProcess>
#include <QTemporaryDir>

// The server under test started as a child process, so its memory can be read from /proc:
// korvani-server, or ngircd on a configuration of its own in a temporary folder (never the
// system's service).
class ServerChild : public QObject
{
    Q_OBJECT

public:
    explicit ServerChild(QObject *parent = nullptr);
    ~ServerChild() override;

    bool start(const QString &program, const QHostAddress &address, quint16 port, const QStringList &extraArguments);
    bool startNgircd(const QString &program, const QHostAddress &address, quint16 port);
    // nats-server with JetStream, its store in a folder of its own; `arguments` join it to a NATS cluster.
    bool startNats(const QHostAddress &address, quint16 port, const QStringList &arguments);
    // Sends SIGTERM and waits; true when the server ended with exit code 0.
    bool stop();

    // Current resident memory and its peak, in KiB.
    qint64 residentKiB() const;
    qint64 peakResidentKiB() const;
    // Processor time the server has used so far, user and system, in milliseconds.
    qint64 cpuMs() const;

private:
    // Starts `program` and waits until it says it listens.
    bool startListening(const QString &program, const QStringList &arguments,
                        const QString &ready = QStringLiteral("listening on"));
    qint64 statusField(const char *field) const;

    QProcess m_process;
    QString m_output;
    // What the program says once it takes connections.
    QString m_ready;
    QTemporaryDir m_configDir;
};
