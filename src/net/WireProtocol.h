#pragma once

#include <QByteArrayView>
#include <QString>

// The messages client and server exchange: a command word, one blank, a payload, no framing.
class WireProtocol
{
public:
    // The commands the client understands; the word is matched exactly, letter case included.
    enum class Command {
        Unknown, // no command word, or one the client does not know: the block is ignored
        Message,
        PMMessage,
        ErrUsername,
        PMError,
        UserList,
        Joined,
        Left,
        Kicked,
        UKicked,
        Welcome,
        Msgday,
    };

    // One received block, split. `sender` and `text` are filled for "Message" (split at the first
    // ":") and "PMMessage" (split at the first "|"); with no separator the sender is empty and the
    // text is the whole payload. A block with no blank, or starting with one, has an empty command.
    struct Received
    {
        Command kind = Command::Unknown;
        QString command;
        QString payload;
        QString sender;
        QString text;
    };

    static Received split(const QString &block);
    // Whether raw received bytes begin with a command word the client knows and its blank: a
    // block that does not can only be the rest of a message cut by a read.
    static bool startsWithCommand(QByteArrayView block);

    // Splits "first<separator>rest" at the first separator; with no separator, first is empty.
    static void splitField(const QString &payload, QChar separator, QString *first, QString *rest);

    // Messages the client sends.
    static QString join(const QString &userName);
    static QString message(const QString &userName, const QString &text);
    static QString pmMessage(const QString &recipient, const QString &userName, const QString &text);
    static QString prompt(const QString &command);
    static QString leave(const QString &userName);
};
