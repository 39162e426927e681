#pragma once

#include "ChatRoom.h"
#include "ClientListener.h"
#include "LogThrottle.h"
#include "PacingSchedule.h"
#include "RoomOutput.h"
#include "ServerSettings.h"
#include "SignOnGate.h"

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QTimer>

#include <memory>

class ClientConnection;

// The chat server: accepts connections, hands what they send to the room, and carries the room's
// messages back out.
class ChatServer : public QObject, private RoomOutput
{
    Q_OBJECT

public:
    explicit ChatServer(const ServerSettings &settings, QObject *parent = nullptr);
    ~ChatServer() override;

    // Before listen(): the TLS port opens too, with this certificate. Later: connections accepted
    // from then on use it.
    void setTlsConfiguration(const QSslConfiguration &configuration);

    bool listen();
    // Which port could not be opened, and why.
    QString errorString() const;
    quint16 serverPort() const;
    quint16 tlsPort() const;
    // Stops listening and closes every connection at once.
    void stop();

    // Name, message of the day and operator password of a reloaded configuration; the address,
    // port and limits stay as the server started.
    void changeRoomSettings(const ServerSettings &settings);

    // Shares the room with the other servers on the settings' NATS servers; false with *error when
    // they cannot be reached. Before listen().
    bool joinCluster(QString *error);

    int connectionCount() const;
    const ChatRoom &room() const;

signals:
    // One line for the server's log.
    void logLine(const QString &line);

private:
    bool listenOn(ClientListener &listener, quint16 port, const QString &kind);
    void acceptConnections(ClientListener &listener);
    void acceptFailed(ClientListener &listener);
    void admit(QTcpSocket *socket, ClientId client, const QString &peer);
    void received(ClientId client, const QString &message);
    void connectionFinished(ClientId client, const QString &reason);
    // Closes a connection that has not signed on, at once.
    void closeWaiting(ClientId client, const QString &reason);
    void closeExpiredSignOns();
    void armSignOnTimer();
    void releaseFreedMemory();

    void send(const QList<ClientId> &recipients, const QString &message) override;
    void signedOn(ClientId client) override;
    void closeWhenSent(ClientId client) override;
    QHostAddress peerAddress(ClientId client) const override;
    void log(ClientId client, const QString &event) override;
    // A line about a connection from `source`, as far as the log takes lines about that address.
    void logFrom(const QHostAddress &source, ClientId client, const QString &event);

    ServerSettings m_settings;
    ClientListener m_listener;
    ClientListener m_tlsListener;
    bool m_tlsConfigured = false;
    QString m_listenError;
    ChatRoom m_room;
    // nullptr: the room is this server's alone.
    std::unique_ptr<RoomLink> m_link;
    PacingSchedule m_pacing;
    QHash<ClientId, ClientConnection *> m_connections;
    ClientId m_lastClient = 0;
    SignOnGate m_signOnGate;
    QElapsedTimer m_clock;
    LogThrottle m_logThrottle;
    QTimer m_signOnTimer;
    QTimer m_releaseTimer;
    bool m_acceptFailing = false;
};
