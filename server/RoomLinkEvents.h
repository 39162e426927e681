#pragma once

#include <QString>

// What happened on the other servers of a shared room, as the room here must hear it.
class RoomLinkEvents
{
public:
    virtual ~RoomLinkEvents() = default;

    virtual void remoteJoined(const QString &name) = 0;
    // A user of another server left, lost the connection, or that server is gone.
    virtual void remoteLeft(const QString &name) = 0;
    // `name` may be a user of this server: it is then kicked here.
    virtual void remoteKicked(const QString &name, const QString &operatorName) = 0;
    virtual void remoteMessage(const QString &name, const QString &text) = 0;
    virtual void remotePrivateMessage(const QString &sender, const QString &recipient, const QString &text) = 0;
    virtual void remoteMotd(const QString &motd) = 0;
};
