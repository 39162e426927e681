#include "ServerChild.h"

#include <QEventLoop>
#include <QFile>
#include <QTimer>

#include <csignal>
#include <unistd.h>

ServerChild::ServerChild(QObject *parent)
    : QObject(parent)
{
    // The server logs every connection; keep only what start() needs to see.
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    connect(&m_process, &QProcess::readyReadStandardOutput, this, [this] {
        const QString text = QString::fromLocal8Bit(m_process.readAllStandardOutput());
        if (!m_output.contains(m_ready))
            m_output += text;
    });
}

ServerChild::~ServerChild()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished();
    }
}

bool ServerChild::start(const QString &program, const QHostAddress &address, quint16 port,
                        const QStringList &extraArguments)
{
    return startListening(program, QStringList{"--listen", address.toString(), "--port", QString::number(port)}
                                       + extraArguments);
}

bool ServerChild::startNgircd(const QString &program, const QHostAddress &address, quint16 port)
{
    // No limits per address, no look-ups of the clients, pings rare enough never to count.
    const QString config = QStringLiteral(
        "[Global]\nName = bench.irc\nInfo = bench\nListen = %1\nPorts = %2\nPidFile = %3/ngircd.pid\n"
        "MotdPhrase = Hello\nAdminInfo1 = bench\nAdminInfo2 = bench\nAdminEMail = bench@localhost\n"
        "[Limits]\nMaxConnections = 0\nMaxConnectionsIP = 0\nMaxJoins = 0\nMaxNickLength = 20\n"
        "PingTimeout = 600\nPongTimeout = 600\n"
        "[Options]\nDNS = no\nIdent = no\nPAM = no\n"
        "[Channel]\nName = #room\nModes = tnP\n")
                               .arg(address.toString())
                               .arg(port)
                               .arg(m_configDir.path());
    QFile file(m_configDir.filePath(QStringLiteral("ngircd.conf")));
    if (!file.open(QIODevice::WriteOnly) || file.write(config.toUtf8()) < 0)
        return false;
    file.close();
    return startListening(program, QStringList{"--nodaemon", "--config", file.fileName()});
}

bool ServerChild::startNats(const QHostAddress &address, quint16 port, const QStringList &arguments)
{
    return startListening(QStringLiteral("nats-server"),
                          QStringList{"-a", address.toString(), "-p", QString::number(port), "-js", "-sd",
                                      m_configDir.path()}
                              + arguments,
                          QStringLiteral("Server is ready"));
}

bool ServerChild::startListening(const QString &program, const QStringList &arguments, const QString &ready)
{
    m_output.clear();
    m_ready = ready;
    m_process.start(program, arguments);
    QEventLoop loop;
    QTimer check;
    connect(&check, &QTimer::timeout, &loop, [&] {
        if (m_output.contains(ready) || m_process.state() == QProcess::NotRunning)
            loop.quit();
    });
    check.start(5);
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    loop.exec();
    if (!m_output.contains(ready)) {
        qWarning("%s did not start: %s", qPrintable(program), qPrintable(m_output));
        return false;
    }
    return true;
}

bool ServerChild::stop()
{
    ::kill(pid_t(m_process.processId()), SIGTERM);
    return m_process.waitForFinished(10000) && m_process.exitStatus() == QProcess::NormalExit
        && m_process.exitCode() == 0;
}

qint64 ServerChild::residentKiB() const
{
    return statusField("VmRSS:");
}

qint64 ServerChild::peakResidentKiB() const
{
    return statusField("VmHWM:");
}

qint64 ServerChild::cpuMs() const
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(m_process.processId()));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    // The fields after the command name (which may hold blanks) start with the state, field 3;
    // utime and stime are fields 14 and 15, in clock ticks.
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return -1;
    const qint64 ticks = fields.at(11).toLongLong() + fields.at(12).toLongLong();
    return ticks * 1000 / ::sysconf(_SC_CLK_TCK);
}

qint64 ServerChild::statusField(const char *field) const
{
    QFile status(QStringLiteral("/proc/%1/status").arg(m_process.processId()));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(int(qstrlen(field))).trimmed().split(' ').constFirst().toLongLong();
    }
    return -1;
}
