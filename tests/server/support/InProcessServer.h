#pragma once

#include "ChatServer.h"

#include <QObject>
#include <QStringList>

#include <memory>
#include <vector>

// A chat server in the test's own process, its log, and the clients a test talks to it with; the
// clients go before the server does.
class InProcessServer : public QObject
{
public:
    // Settings for a test on `address`: a port of the system's choice and a gap of 1 ms.
    static ServerSettings settingsFor(const QHostAddress &address);

    ~InProcessServer() override;

    // Stops any running server and its clients, then starts one, with TLS too when a
    // configuration with a certificate is given; false when it cannot listen.
    bool start(const ServerSettings &settings, const QSslConfiguration &tls = QSslConfiguration());
    void stop();
    ChatServer &server();
    quint16 port() const;
    quint16 tlsPort() const;

    // A client the server fixture owns; constructed with `arguments`.
    template<typename Client, typename... Arguments>
    Client *add(Arguments &&...arguments)
    {
        auto client = std::make_unique<Client>(std::forward<Arguments>(arguments)...);
        Client *added = client.get();
        m_clients.push_back(std::shared_ptr<void>(std::move(client)));
        return added;
    }

    int logCount(const QString &text) const;
    bool logHas(const QString &text) const;
    QString log() const;

private:
    std::unique_ptr<ChatServer> m_server;
    std::vector<std::shared_ptr<void>> m_clients;
    QStringList m_log;
};
