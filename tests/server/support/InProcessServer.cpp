#include "InProcessServer.h"

ServerSettings InProcessServer::settingsFor(const QHostAddress &address)
{
    ServerSettings settings;
    settings.address = address;
    settings.port = 0;
    settings.tlsPort = 0;
    settings.name = QStringLiteral("Test");
    settings.gapMs = 1;
    return settings;
}

InProcessServer::~InProcessServer()
{
    stop();
}

bool InProcessServer::start(const ServerSettings &settings, const QSslConfiguration &tls)
{
    stop();
    m_server = std::make_unique<ChatServer>(settings);
    connect(m_server.get(), &ChatServer::logLine, this, [this](const QString &line) { m_log += line; });
    if (!tls.localCertificate().isNull())
        m_server->setTlsConfiguration(tls);
    if (m_server->listen())
        return true;
    qWarning("cannot listen: %s", qPrintable(m_server->errorString()));
    return false;
}

void InProcessServer::stop()
{
    m_clients.clear();
    m_server.reset();
    m_log.clear();
}

ChatServer &InProcessServer::server()
{
    return *m_server;
}

quint16 InProcessServer::port() const
{
    return m_server->serverPort();
}

quint16 InProcessServer::tlsPort() const
{
    return m_server->tlsPort();
}

int InProcessServer::logCount(const QString &text) const
{
    return int(std::count_if(m_log.cbegin(), m_log.cend(), [&](const QString &line) { return line.contains(text); }));
}

bool InProcessServer::logHas(const QString &text) const
{
    return logCount(text) > 0;
}

QString InProcessServer::log() const
{
    return m_log.join(QLatin1Char('\n'));
}
