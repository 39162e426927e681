#include "HexChatDialect.h"

#include "LoopbackPeer.h"
#include "net/ChatConnection.h"

#include <QDir>
#include <QFile>

#include <poll.h>
#include <sys/socket.h>

namespace {
constexpr int registrationWaitMs = 30000;

// Reads what the client sends until it has sent `word` at the start of a line.
bool readUntil(int fd, const QByteArray &word)
{
    QByteArray received = "\n";
    pollfd waits{fd, POLLIN, 0};
    char bytes[4096];
    while (!received.contains('\n' + word)) {
        const ssize_t got = ::poll(&waits, 1, registrationWaitMs) == 1 ? ::recv(fd, bytes, sizeof bytes, 0) : -1;
        if (got <= 0)
            return false;
        received.append(bytes, got);
    }
    return true;
}

bool send(int fd, const QByteArray &lines)
{
    return LoopbackPeer::sendAll(fd, lines.constData(), size_t(lines.size()));
}
} // namespace

QString HexChatDialect::name() const
{
    return QStringLiteral("hexchat");
}

QStringList HexChatDialect::prepare(const QString &folder, const QString &serverAddress, bool signOn) const
{
    QFile settings(folder + QStringLiteral("/hexchat.conf"));
    const QByteArray keys = "version = 2.16.1\n"
                            "irc_nick1 = carol\n"
                            "irc_user_name = carol\n"
                            "text_max_lines = 100000\n"
                            "gui_win_width = 800\n"
                            "gui_win_height = 600\n";
    if (!settings.open(QIODevice::WriteOnly) || settings.write(keys) < 0)
        return {};
    QStringList commandLine{QStringLiteral("hexchat"), QStringLiteral("--cfgdir=") + folder, QStringLiteral("--no-plugins")};
    if (signOn)
        commandLine.append(QStringLiteral("--url=irc://%1:%2/#bench").arg(serverAddress).arg(ChatConnection::ChatPort));
    return commandLine;
}

bool HexChatDialect::greet(int fd, bool)
{
    m_received.clear();
    if (!readUntil(fd, "USER "))
        return false;
    send(fd, ":bench 001 carol :Welcome\r\n:bench 002 carol :Bench\r\n:bench 003 carol :Bench\r\n"
             ":bench 004 carol bench 1 i o\r\n:bench 422 carol :No MOTD\r\n");
    if (!readUntil(fd, "JOIN #bench"))
        return false;
    return send(fd, ":carol!carol@bench JOIN #bench\r\n:bench 353 carol = #bench :carol bob\r\n"
                    ":bench 366 carol #bench :End of NAMES list\r\n");
}

void HexChatDialect::answerRequests(int fd)
{
    char bytes[4096];
    for (ssize_t got; (got = ::recv(fd, bytes, sizeof bytes, MSG_DONTWAIT)) > 0;)
        m_received.append(bytes, got);
    for (qsizetype end; (end = m_received.indexOf("\r\n")) >= 0; m_received.remove(0, end + 2)) {
        const QByteArray line = m_received.left(end);
        if (line.startsWith("PING "))
            send(fd, ":bench PONG bench " + line.mid(5) + "\r\n");
    }
}

QByteArray HexChatDialect::floodMessage(const QByteArray &text) const
{
    return ":bob!bob@bench PRIVMSG #bench :" + text + "\r\n";
}

QString HexChatDialect::chatWindowTitle() const
{
    return QStringLiteral("carol @ bench / #bench - HexChat");
}

QString HexChatDialect::firstWindowTitle() const
{
    return QString();
}
