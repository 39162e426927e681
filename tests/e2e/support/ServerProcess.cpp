#include "ServerProcess.h"

#include "support/EventLoopWait.h"

#include <QRegularExpression>

namespace {
constexpr int processWaitMs = 20000;
}

ServerProcess::ServerProcess(const QString &address, const QStringList &options)
    : m_address(address)
    , m_options(options)
{
    m_process.setProgram(QStringLiteral(KORVANI_SERVER_PATH));
    connect(&m_process, &QProcess::readyReadStandardError, this,
            [this] { m_log += QString::fromLocal8Bit(m_process.readAllStandardError()); });
}

ServerProcess::~ServerProcess()
{
    kill();
}

bool ServerProcess::start()
{
    const qsizetype from = m_log.size();
    m_process.setArguments(QStringList{QStringLiteral("--listen"), m_address, QStringLiteral("--port"),
                                       QStringLiteral("1290")}
                           + m_options);
    m_process.start();
    if (!m_process.waitForStarted(processWaitMs))
        return false;
    return EventLoopWait::until([&] { return m_log.indexOf(QLatin1String("listening on"), from) >= 0
                                             || m_process.state() == QProcess::NotRunning; },
                                processWaitMs)
        && m_process.state() == QProcess::Running;
}

bool ServerProcess::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return true;
    m_process.terminate();
    return EventLoopWait::until([this] { return m_process.state() == QProcess::NotRunning; }, processWaitMs);
}

bool ServerProcess::kill()
{
    if (m_process.state() == QProcess::NotRunning)
        return true;
    m_process.kill();
    return m_process.waitForFinished(processWaitMs);
}

bool ServerProcess::isRunning() const
{
    return m_process.state() == QProcess::Running;
}

bool ServerProcess::waitForLog(const QString &text, int timeoutMs)
{
    return waitForLogAfter(0, text, timeoutMs);
}

bool ServerProcess::waitForLogAfter(qsizetype from, const QString &text, int timeoutMs)
{
    return EventLoopWait::until([&] { return m_log.indexOf(text, from) >= 0; }, timeoutMs);
}

QString ServerProcess::lastPeerAddress() const
{
    static const QRegularExpression connectedFrom(QStringLiteral("connected from (\\S+):\\d+\\n"));
    QString address;
    for (const QRegularExpressionMatch &match : connectedFrom.globalMatch(m_log))
        address = match.captured(1);
    return address;
}
