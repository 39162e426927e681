#include "KorvaniDialect.h"

#include "LoopbackPeer.h"
#include "net/Framing.h"

#include <QFile>

#include <poll.h>
#include <sys/socket.h>

namespace {
const QString userName = QStringLiteral("carol");
constexpr int joinWaitMs = 30000;
} // namespace

KorvaniDialect::KorvaniDialect(const QString &executable)
    : m_executable(executable)
{
}

QString KorvaniDialect::name() const
{
    return m_executable;
}

QStringList KorvaniDialect::prepare(const QString &folder, const QString &serverAddress, bool signOn) const
{
    // Without signOn the settings file does not exist yet, as on a first start.
    const QString settingsPath = folder + QStringLiteral("/Options.ini");
    if (signOn) {
        QFile settings(settingsPath);
        if (!settings.open(QIODevice::WriteOnly)
            || settings.write(QStringLiteral("[UserSvr]\r\nUser=%1\r\nSvr=%2\r\nAC=1\r\n").arg(userName, serverAddress).toUtf8()) < 0)
            return {};
    }
    return {m_executable, QStringLiteral("--settings"), settingsPath};
}

bool KorvaniDialect::greet(int fd, bool offerFraming)
{
    // The first message of a client is its Join.
    pollfd waits{fd, POLLIN, 0};
    char join[256] = {};
    if (::poll(&waits, 1, joinWaitMs) != 1 || ::recv(fd, join, sizeof join - 1, 0) <= 0
        || !QByteArrayView(join).startsWith("Join "))
        return false;
    // As the server greets: the welcome, then one UserList per user.
    m_framed = LoopbackPeer::greet(fd, "Bench", offerFraming);
    for (const char *user : {"UserList carol", "UserList bob"}) {
        LoopbackPeer::sendMessage(fd, user, m_framed);
        LoopbackPeer::leaveGreetingGap();
    }
    return true;
}

QByteArray KorvaniDialect::floodMessage(const QByteArray &text) const
{
    const QByteArray message = "Message bob:" + text;
    return m_framed ? Framing::frame(message) : message;
}

QString KorvaniDialect::chatWindowTitle() const
{
    return QStringLiteral("Korvani 1.0 - (%1)").arg(userName);
}

QString KorvaniDialect::firstWindowTitle() const
{
    return QStringLiteral("Login");
}
