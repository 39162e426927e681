#pragma once

#include "ChatDialect.h"

// HexChat (the Debian package), for figures beside korvani's: started with a configuration folder
// of its own that keeps 100,000 lines of a channel (its default keeps far fewer), opens an
// 800x600 window and, with signOn, connects to the bench as to an IRC server and joins #bench.
// The bench answers as a minimal IRC server; every line ends in CR LF, so every line is a row.
class HexChatDialect : public ChatDialect
{
public:
    QString name() const override;
    QStringList prepare(const QString &folder, const QString &serverAddress, bool signOn) const override;
    bool refusesRoot() const override { return true; }
    bool greet(int fd, bool offerFraming) override;
    bool delimited() const override { return true; }
    // Its pings: a client that gets no PONG for a while drops the connection.
    void answerRequests(int fd) override;
    QByteArray floodMessage(const QByteArray &text) const override;
    QString chatWindowTitle() const override;
    QString firstWindowTitle() const override;

private:
    QByteArray m_received;
};
