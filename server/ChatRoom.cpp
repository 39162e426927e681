#include "ChatRoom.h"

#include "LogText.h"

#include "net/ServerProtocol.h"

ChatRoom::ChatRoom(RoomOutput *output, Settings settings)
    : m_output(output)
    , m_settings(std::move(settings))
{
}

void ChatRoom::receive(ClientId client, const QString &block)
{
    const ServerProtocol::Request request = ServerProtocol::parse(block);
    if (!isSignedOn(client)) {
        // Until a name is accepted, "Join" is the only thing a connection can do.
        if (request.kind == ServerProtocol::Kind::Join)
            join(client, request.name);
        return;
    }
    switch (request.kind) {
    case ServerProtocol::Kind::Message:
        publicMessage(client, request.text);
        break;
    case ServerProtocol::Kind::PMMessage:
        privateMessage(client, request.name, request.text);
        break;
    case ServerProtocol::Kind::Prompt:
        prompt(client, request.text);
        break;
    case ServerProtocol::Kind::Leave:
        leave(client);
        break;
    case ServerProtocol::Kind::Join:
    case ServerProtocol::Kind::Unknown:
        break;
    }
}

void ChatRoom::disconnected(ClientId client)
{
    if (!isSignedOn(client))
        return;
    const QString name = m_members.value(client).name;
    remove(client);
    m_output->send(m_signOnOrder, ServerProtocol::left(name));
    if (m_link)
        m_link->left(name);
    m_output->log(client, LogText::quoted(name) + QStringLiteral(" left (connection closed)"));
}

void ChatRoom::changeSettings(const Settings &settings)
{
    const bool passwordChanged = settings.adminPassword != m_settings.adminPassword;
    m_settings = settings;
    if (!passwordChanged)
        return;
    for (auto member = m_members.begin(); member != m_members.end(); ++member) {
        if (!std::exchange(member->isOperator, false))
            continue;
        m_output->log(member.key(), LogText::quoted(member->name)
                                        + QStringLiteral(" is no longer an operator: the operator password changed"));
    }
}

bool ChatRoom::isSignedOn(ClientId client) const
{
    return m_members.contains(client);
}

QStringList ChatRoom::userNames() const
{
    QStringList names = m_remoteOrder;
    names.reserve(m_remoteOrder.size() + m_signOnOrder.size());
    for (const ClientId client : m_signOnOrder)
        names += m_members.value(client).name;
    return names;
}

QString ChatRoom::motd() const
{
    return m_settings.motd;
}

UserNameRules::Problem ChatRoom::nameProblem(const QString &name) const
{
    const UserNameRules::Problem problem = UserNameRules::check(name);
    if (problem == UserNameRules::Problem::None
        && (m_nameKeys.contains(UserNameRules::comparisonKey(name)) || m_remoteNames.contains(name)))
        return UserNameRules::Problem::InUse;
    return problem;
}

void ChatRoom::join(ClientId client, const QString &name)
{
    UserNameRules::Problem problem = nameProblem(name);
    if (problem == UserNameRules::Problem::None && m_link && !m_link->claimName(name))
        problem = UserNameRules::Problem::InUse;
    if (problem != UserNameRules::Problem::None) {
        // The connection stays open: the client may try another name.
        sendTo(client, ServerProtocol::errUsername(name));
        m_output->log(client, QStringLiteral("refused name %1: %2")
                                  .arg(LogText::quoted(name), UserNameRules::describe(problem)));
        return;
    }
    const QList<ClientId> others = m_signOnOrder;
    m_members.insert(client, Member{name, false});
    m_clientByName.insert(name, client);
    m_nameKeys.insert(UserNameRules::comparisonKey(name));
    m_signOnOrder.append(client);
    sendGreeting(client);
    m_output->send(others, ServerProtocol::joined(name));
    if (m_link)
        m_link->joined(name);
    m_output->log(client, QStringLiteral("signed on as ") + LogText::quoted(name));
}

void ChatRoom::sendGreeting(ClientId client)
{
    m_output->signedOn(client);
    sendTo(client, ServerProtocol::welcome(m_settings.serverName));
    if (!m_settings.motd.isEmpty())
        sendTo(client, ServerProtocol::msgday(m_settings.motd));
    for (const QString &name : userNames())
        sendTo(client, ServerProtocol::userList(name));
}

void ChatRoom::publicMessage(ClientId client, const QString &text)
{
    const QString name = m_members.value(client).name;
    m_output->send(m_signOnOrder, ServerProtocol::message(name, text));
    if (m_link)
        m_link->message(name, text);
}

void ChatRoom::privateMessage(ClientId client, const QString &recipient, const QString &text)
{
    const auto found = m_clientByName.constFind(recipient);
    if (found != m_clientByName.constEnd())
        sendTo(found.value(), ServerProtocol::pmMessage(m_members.value(client).name, text));
    else if (m_link && m_remoteNames.contains(recipient))
        m_link->privateMessage(m_members.value(client).name, recipient, text);
    else
        sendTo(client, ServerProtocol::pmError(recipient));
}

void ChatRoom::prompt(ClientId client, const QString &command)
{
    const qsizetype blank = command.indexOf(QLatin1Char(' '));
    const QString word = command.left(blank);
    const QString argument = blank < 0 ? QString() : command.mid(blank + 1);
    if (word == QLatin1String("login")) {
        login(client, argument);
        return;
    }
    if (!m_members.value(client).isOperator)
        return;
    if (word == QLatin1String("kick")) {
        kick(client, argument);
    } else if (word == QLatin1String("motd")) {
        m_settings.motd = argument;
        if (m_link)
            m_link->motdChanged(argument);
        m_output->log(client, QStringLiteral("changed the message of the day"));
    }
}

void ChatRoom::login(ClientId client, const QString &password)
{
    if (m_settings.adminPassword.isEmpty())
        return;
    Member &member = m_members[client];
    const QHostAddress address = m_output->peerAddress(client);
    qint64 waitMs = 0;
    if (!m_loginGuard.allows(client, address, &waitMs)) {
        m_output->log(client, QStringLiteral("refused operator login of %1 unchecked: %2 ms left of the pause after wrong passwords")
                                  .arg(LogText::quoted(member.name))
                                  .arg(waitMs));
        return;
    }
    if (password != m_settings.adminPassword) {
        m_loginGuard.failed(client, address);
        m_output->log(client, QStringLiteral("refused operator login of ") + LogText::quoted(member.name));
        return;
    }
    m_loginGuard.succeeded(client, address);
    member.isOperator = true;
    m_output->log(client, LogText::quoted(member.name) + QStringLiteral(" is an operator"));
}

void ChatRoom::kick(ClientId operatorClient, const QString &name)
{
    const QString operatorName = m_members.value(operatorClient).name;
    const auto found = m_clientByName.constFind(name);
    if (found != m_clientByName.constEnd())
        kickHere(found.value(), operatorName);
    else if (removeRemote(name))
        m_output->send(m_signOnOrder, ServerProtocol::kicked(name));
    else
        return;
    if (m_link)
        m_link->kicked(name, operatorName);
}

void ChatRoom::kickHere(ClientId target, const QString &operatorName)
{
    const QString name = m_members.value(target).name;
    remove(target);
    sendTo(target, ServerProtocol::uKicked(operatorName));
    m_output->send(m_signOnOrder, ServerProtocol::kicked(name));
    m_output->closeWhenSent(target);
    m_output->log(target, QStringLiteral("%1 kicked by %2")
                              .arg(LogText::quoted(name), LogText::quoted(operatorName)));
}

void ChatRoom::leave(ClientId client)
{
    const QString name = m_members.value(client).name;
    remove(client);
    m_output->send(m_signOnOrder, ServerProtocol::left(name));
    if (m_link)
        m_link->left(name);
    m_output->closeWhenSent(client);
    m_output->log(client, LogText::quoted(name) + QStringLiteral(" left"));
}

void ChatRoom::remove(ClientId client)
{
    m_loginGuard.forget(client);
    const QString name = m_members.take(client).name;
    m_clientByName.remove(name);
    m_nameKeys.remove(UserNameRules::comparisonKey(name));
    m_signOnOrder.removeOne(client);
}

void ChatRoom::sendTo(ClientId client, const QString &message)
{
    m_output->send({client}, message);
}

bool ChatRoom::removeRemote(const QString &name)
{
    if (!m_remoteNames.remove(name))
        return false;
    m_remoteOrder.removeOne(name);
    return true;
}

void ChatRoom::remoteJoined(const QString &name)
{
    // A name this server knows already stays with whoever has it: two servers never both hold a
    // name they claimed, so this is a repeated announcement.
    if (m_clientByName.contains(name) || m_remoteNames.contains(name))
        return;
    m_remoteNames.insert(name);
    m_remoteOrder.append(name);
    m_output->send(m_signOnOrder, ServerProtocol::joined(name));
}

void ChatRoom::remoteLeft(const QString &name)
{
    if (removeRemote(name))
        m_output->send(m_signOnOrder, ServerProtocol::left(name));
}

void ChatRoom::remoteKicked(const QString &name, const QString &operatorName)
{
    const auto found = m_clientByName.constFind(name);
    if (found != m_clientByName.constEnd())
        kickHere(found.value(), operatorName);
    else if (removeRemote(name))
        m_output->send(m_signOnOrder, ServerProtocol::kicked(name));
}

void ChatRoom::remoteMessage(const QString &name, const QString &text)
{
    m_output->send(m_signOnOrder, ServerProtocol::message(name, text));
}

void ChatRoom::remotePrivateMessage(const QString &sender, const QString &recipient, const QString &text)
{
    const auto found = m_clientByName.constFind(recipient);
    if (found != m_clientByName.constEnd())
        sendTo(found.value(), ServerProtocol::pmMessage(sender, text));
}

void ChatRoom::remoteMotd(const QString &motd)
{
    m_settings.motd = motd;
}
