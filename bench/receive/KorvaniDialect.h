#pragma once

#include "ChatDialect.h"

// korvani as a user starts it: with a settings file that remembers user and server, so the
// sign-on window connects by itself, two seconds after the start.
class KorvaniDialect : public ChatDialect
{
public:
    explicit KorvaniDialect(const QString &executable);

    QString name() const override;
    QStringList prepare(const QString &folder, const QString &serverAddress, bool signOn) const override;
    bool greet(int fd, bool offerFraming) override;
    bool delimited() const override { return m_framed; }
    QByteArray floodMessage(const QByteArray &text) const override;
    QString chatWindowTitle() const override;
    QString firstWindowTitle() const override;

private:
    QString m_executable;
    bool m_framed = false;
};
