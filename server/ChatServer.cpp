#include "ChatServer.h"

#include "ClientConnection.h"
#include "ClusterModule.h"
#include "LogText.h"

#include <QSslSocket>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {
// After a failed accept (out of file descriptors, say) the listener pauses; it tries again after
// this long instead of never accepting again.
constexpr int AcceptRetryMs = 200;
// Quiet time after a backlog went out before freed memory goes back to the system.
constexpr int ReleaseDelayMs = 1000;

QString endpointText(const QHostAddress &address, quint16 port)
{
    const QString host = address.protocol() == QAbstractSocket::IPv6Protocol
        ? QLatin1Char('[') + address.toString() + QLatin1Char(']')
        : address.toString();
    return host + QLatin1Char(':') + QString::number(port);
}
}

ChatServer::ChatServer(const ServerSettings &settings, QObject *parent)
    : QObject(parent)
    , m_settings(settings)
    , m_room(this, ChatRoom::Settings{settings.name, settings.motd, settings.adminPassword})
    , m_signOnGate(settings.limits)
{
    m_clock.start();
    m_signOnTimer.setSingleShot(true);
    connect(&m_signOnTimer, &QTimer::timeout, this, &ChatServer::closeExpiredSignOns);
    for (ClientListener *listener : {&m_listener, &m_tlsListener}) {
        connect(listener, &QTcpServer::newConnection, this, [this, listener] { acceptConnections(*listener); });
        connect(listener, &QTcpServer::acceptError, this, [this, listener] { acceptFailed(*listener); });
    }
    m_releaseTimer.setSingleShot(true);
    m_releaseTimer.setInterval(ReleaseDelayMs);
    connect(&m_releaseTimer, &QTimer::timeout, this, &ChatServer::releaseFreedMemory);
}

ChatServer::~ChatServer()
{
    stop();
}

void ChatServer::setTlsConfiguration(const QSslConfiguration &configuration)
{
    m_tlsListener.setTlsConfiguration(configuration);
    m_tlsConfigured = true;
}

bool ChatServer::joinCluster(QString *error)
{
    m_link.reset(ClusterModule::createLink(m_settings.clusterUrls, &m_room,
                                           [this](const QString &line) { emit logLine(line); }, error));
    m_room.setLink(m_link.get());
    if (m_link)
        emit logLine(QStringLiteral("sharing the room through NATS at ") + m_settings.clusterUrls.join(QLatin1Char(',')));
    return m_link != nullptr;
}

bool ChatServer::listen()
{
    if (m_settings.plainPort && !listenOn(m_listener, m_settings.port, QString()))
        return false;
    if (m_tlsConfigured && !listenOn(m_tlsListener, m_settings.tlsPort, QStringLiteral(" with TLS"))) {
        m_listener.close();
        return false;
    }
    return true;
}

bool ChatServer::listenOn(ClientListener &listener, quint16 port, const QString &kind)
{
    if (!listener.listen(m_settings.address, port)) {
        m_listenError = QStringLiteral("port %1: %2").arg(port).arg(listener.errorString());
        return false;
    }
    emit logLine(QStringLiteral("listening%1 on %2 as %3")
                     .arg(kind, endpointText(listener.serverAddress(), listener.serverPort()),
                          LogText::quoted(m_settings.name)));
    return true;
}

void ChatServer::changeRoomSettings(const ServerSettings &settings)
{
    m_settings.name = settings.name;
    m_settings.motd = settings.motd;
    m_settings.adminPassword = settings.adminPassword;
    m_room.changeSettings(ChatRoom::Settings{settings.name, settings.motd, settings.adminPassword});
}

QString ChatServer::errorString() const
{
    return m_listenError;
}

quint16 ChatServer::serverPort() const
{
    return m_listener.serverPort();
}

quint16 ChatServer::tlsPort() const
{
    return m_tlsListener.serverPort();
}

void ChatServer::stop()
{
    m_listener.close();
    m_tlsListener.close();
    const QHash<ClientId, ClientConnection *> connections = std::exchange(m_connections, {});
    for (ClientConnection *connection : connections) {
        connection->abort();
        delete connection;
    }
}

int ChatServer::connectionCount() const
{
    return int(m_connections.size());
}

const ChatRoom &ChatServer::room() const
{
    return m_room;
}

void ChatServer::acceptConnections(ClientListener &listener)
{
    while (QTcpSocket *socket = listener.nextPendingConnection()) {
        m_acceptFailing = false;
        const ClientId client = ++m_lastClient;
        const QString peer = endpointText(socket->peerAddress(), socket->peerPort());
        if (m_connections.size() >= m_settings.maxConnections) {
            logFrom(socket->peerAddress(), client,
                    QStringLiteral("refused %1: already %2 connections").arg(peer).arg(m_settings.maxConnections));
            socket->disconnectFromHost();
            socket->deleteLater();
            continue;
        }
        admit(socket, client, peer);
    }
}

void ChatServer::admit(QTcpSocket *socket, ClientId client, const QString &peer)
{
    const SignOnGate::Admission admission = m_signOnGate.admit(client, socket->peerAddress(), m_clock.elapsed());
    for (const ClientId evicted : admission.evicted)
        closeWaiting(evicted, QStringLiteral("not signed on, making room for newer connections"));
    if (!admission.admitted) {
        logFrom(socket->peerAddress(), client, QStringLiteral("refused %1: %2").arg(peer, admission.refusal));
        socket->disconnectFromHost();
        socket->deleteLater();
        return;
    }
    // A TLS handshake may wait while the user decides whether to trust the server's certificate,
    // so it has the time of a sign-on, not of a first message; the waiting limits hold as for
    // any connection that has not signed on.
    const bool tls = qobject_cast<QSslSocket *>(socket) != nullptr;
    if (tls)
        m_signOnGate.heardFrom(client);
    auto *connection = new ClientConnection(socket, &m_pacing, m_settings.gapMs, m_settings.limits, this);
    m_connections.insert(client, connection);
    connect(connection, &ClientConnection::messageReceived, this, [this, client](const QString &message) {
        received(client, message);
    });
    connect(connection, &ClientConnection::finished, this, [this, client](const QString &reason) {
        connectionFinished(client, reason);
    });
    connect(connection, &ClientConnection::backlogSent, &m_releaseTimer, qOverload<>(&QTimer::start));
    log(client, QStringLiteral("connected from ") + peer + (tls ? QStringLiteral(" with TLS") : QString()));
    if (!m_signOnTimer.isActive())
        armSignOnTimer();
}

void ChatServer::received(ClientId client, const QString &message)
{
    m_signOnGate.heardFrom(client);
    m_room.receive(client, message);
}

void ChatServer::acceptFailed(ClientListener &listener)
{
    // One line per run of failures, not one per retry.
    if (!m_acceptFailing)
        emit logLine(QStringLiteral("cannot accept connections for now: ") + listener.errorString());
    m_acceptFailing = true;
    QTimer::singleShot(AcceptRetryMs, this, [&listener] { listener.resumeAccepting(); });
}

void ChatServer::connectionFinished(ClientId client, const QString &reason)
{
    ClientConnection *connection = m_connections.value(client);
    if (!connection)
        return;
    m_signOnGate.remove(client);
    if (!reason.isEmpty())
        log(client, QStringLiteral("closed: ") + reason);
    else if (!connection->isClosing() && !m_room.isSignedOn(client))
        log(client, QStringLiteral("disconnected"));
    // Still known while the room says so, so its log line is counted against the client's address.
    m_room.disconnected(client);
    m_connections.remove(client);
    connection->deleteLater();
}

void ChatServer::closeWaiting(ClientId client, const QString &reason)
{
    m_signOnGate.remove(client);
    ClientConnection *connection = m_connections.take(client);
    if (!connection)
        return;
    connection->abort();
    connection->deleteLater();
    logFrom(connection->peerAddress(), client, QStringLiteral("closed: ") + reason);
}

void ChatServer::closeExpiredSignOns()
{
    for (const ClientId client : m_signOnGate.expired(m_clock.elapsed()))
        closeWaiting(client, QStringLiteral("not signed on in time"));
    armSignOnTimer();
}

void ChatServer::armSignOnTimer()
{
    const qint64 next = m_signOnGate.nextDeadlineMs();
    if (next >= 0)
        m_signOnTimer.start(int(std::max<qint64>(0, next - m_clock.elapsed())));
}

void ChatServer::releaseFreedMemory()
{
    // A burst (many users signing on at once, a flood of messages) leaves the heap holed by the
    // queues it freed; without this the server would keep its peak size for the rest of its life.
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

void ChatServer::send(const QList<ClientId> &recipients, const QString &message)
{
    // Shared by every recipient's queue: encoded once per encoding, not once per recipient.
    const auto text = SharedText::create(message);
    for (const ClientId client : recipients) {
        if (ClientConnection *connection = m_connections.value(client))
            connection->send(text);
    }
}

void ChatServer::signedOn(ClientId client)
{
    m_signOnGate.remove(client);
    if (ClientConnection *connection = m_connections.value(client))
        connection->offerFraming();
}

void ChatServer::closeWhenSent(ClientId client)
{
    if (ClientConnection *connection = m_connections.value(client))
        connection->closeWhenSent();
}

QHostAddress ChatServer::peerAddress(ClientId client) const
{
    const ClientConnection *connection = m_connections.value(client);
    return connection ? connection->peerAddress() : QHostAddress();
}

void ChatServer::log(ClientId client, const QString &event)
{
    logFrom(peerAddress(client), client, event);
}

void ChatServer::logFrom(const QHostAddress &source, ClientId client, const QString &event)
{
    qint64 leftOut = 0;
    if (!m_logThrottle.admit(source, m_clock.elapsed(), &leftOut))
        return;
    if (leftOut > 0)
        emit logLine(QStringLiteral("%1 lines about connections from %2 left out").arg(leftOut).arg(source.toString()));
    emit logLine(QLatin1Char('#') + QString::number(client) + QLatin1Char(' ') + event);
}
