#pragma once

#include "OperatorLoginGuard.h"
#include "RoomOutput.h"
#include "UserNameRules.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

// The rules of the chat, without sockets: who is signed on, what each received block leads to,
// and who receives what. The server hands it every block and every closed connection; the room
// answers through RoomOutput.
class ChatRoom
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

    // A reloaded configuration: the next greeting, message of the day and operator login use it.
    // A changed or removed operator password ends every operator's rights: they were given for
    // knowing the old one.
    void changeSettings(const Settings &settings);

    bool isSignedOn(ClientId client) const;
    // In sign-on order.
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
    OperatorLoginGuard m_loginGuard;
};
