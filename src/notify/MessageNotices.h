#pragma once

#include <QString>
#include <QStringView>

#include <optional>

// Which received messages are worth a desktop notification, as chat clients give them: a private
// message, and a public one that names the user, while the chat window is not the active one. The
// user's own messages, which the server sends back, never are.
//
// A name is found as a whole word, letter case aside: "Ana" in "hi ana!" but not in "banana".
// It is compared as text, never as a pattern, so a name holding "." or "*" means just that, and the
// search costs time linear in the message and the name together.
class MessageNotices
{
public:
    struct Notice
    {
        QString title;
        QString text;
    };

    // sender as received, text as the conversation shows it; ownName the user's name now. The
    // notice's text is the message on one line.
    static std::optional<Notice> forPublic(const QString &sender, const QString &text, const QString &ownName,
                                           bool windowActive);
    static std::optional<Notice> forPrivate(const QString &sender, const QString &text, const QString &ownName,
                                            bool windowActive);

    static bool namesUser(QStringView text, QStringView name);
};
