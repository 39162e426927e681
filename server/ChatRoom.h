#pragma once

#include "OperatorLoginGuard.h"
#include "RoomLink.h"
#include "RoomLinkEvents.h"
#include "RoomOutput.h"
#include "UserNameRules.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

// The rules of the chat, without sockets: who is signed on, what each received block leads to,
// and who receives what. The server hands it every block and every closed connection; the room
// answers through RoomOutput. With a RoomLink the room is shared with other servers: it tells them
// what its users do and hears what theirs do.
class ChatRoom : public RoomLinkEvents
{
public:
    struct Settings
    {
        QString serverName;
        QString motd;
        // Empty: nobody can become an operator.
        QString adminPassword;
    };

    ChatRoom(RoomOutput *output, Settings settings);

    void receive(ClientId client, const QString &block);
    // The connection is gone, with or without "Leave".
    void disconnected(ClientId client);

    // nullptr: the room is this server's alone. The link outlives the room's use of it.
    void setLink(RoomLink *link) { m_link = link; }

    void remoteJoined(const QString &name) override;
    void remoteLeft(const QString &name) override;
    void remoteKicked(const QString &name, const QString &operatorName) override;
    void remoteMessage(const QString &name, const QString &text) override;
    void remotePrivateMessage(const QString &sender, const QString &recipient, const QString &text) override;
    void remoteMotd(const QString &motd) override;

    // A reloaded configuration: the next greeting, message of the day and operator login use it.
    // A changed or removed operator password ends every operator's rights: they were given for
    // knowing the old one.
    void changeSettings(const Settings &settings);

    bool isSignedOn(ClientId client) const;
    // The other servers' users as this one heard of them, then its own in sign-on order (the
    // newest last).
    QStringList userNames() const;
    QString motd() const;

    // The problem that keeps `name` from signing on now (Problem::None when it may).
    UserNameRules::Problem nameProblem(const QString &name) const;

private:
    struct Member
    {
        QString name;
        bool isOperator = false;
    };

    void join(ClientId client, const QString &name);
    void sendGreeting(ClientId client);
    void publicMessage(ClientId client, const QString &text);
    void privateMessage(ClientId client, const QString &recipient, const QString &text);
    void prompt(ClientId client, const QString &command);
    void login(ClientId client, const QString &password);
    void kick(ClientId operatorClient, const QString &name);
    void kickHere(ClientId target, const QString &operatorName);
    bool removeRemote(const QString &name);
    void leave(ClientId client);
    void remove(ClientId client);
    void sendTo(ClientId client, const QString &message);

    RoomOutput *m_output;
    Settings m_settings;
    QHash<ClientId, Member> m_members;
    QHash<QString, ClientId> m_clientByName;
    // The names signed on, as UserNameRules compares them.
    QSet<QString> m_nameKeys;
    QList<ClientId> m_signOnOrder;
    RoomLink *m_link = nullptr;
    // The users of the other servers, in the order this server heard of them.
    QStringList m_remoteOrder;
    QSet<QString> m_remoteNames;
    OperatorLoginGuard m_loginGuard;
};
