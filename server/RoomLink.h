#pragma once

#include <QString>

// What a room shared by several servers tells the other servers. The room calls it for its own
// users only; what the other servers' users do comes back through RoomLinkEvents.
class RoomLink
{
public:
    virtual ~RoomLink() = default;

    // Takes the name for a user of this server across the whole room: false when another server
    // holds it (or the room cannot be asked), and the user may not sign on with it.
    virtual bool claimName(const QString &name) = 0;
    // After a successful claimName(): the user signed on.
    virtual void joined(const QString &name) = 0;
    // The user left or lost the connection; the name is free again.
    virtual void left(const QString &name) = 0;
    // An operator here kicked `name`, a user of any server.
    virtual void kicked(const QString &name, const QString &operatorName) = 0;
    virtual void message(const QString &name, const QString &text) = 0;
    // To a user who is not on this server.
    virtual void privateMessage(const QString &sender, const QString &recipient, const QString &text) = 0;
    virtual void motdChanged(const QString &motd) = 0;
};
