#pragma once

#include <QList>
#include <QString>

// What the user sent that the server has not yet been seen to carry, so that a dropped connection
// loses nothing typed without saying so. A public message is carried once the server's relay of it
// has come back: the server relays every public message to its sender too, in the order it read
// them, so that relay also shows that everything sent before it was read. The server answers
// nothing to a private message that reached its recipient, so a private message counts as carried
// once the server's machine has acknowledged its bytes, or once a later public message came back.
// What is left when the connection drops was perhaps never delivered.
//
// Bounded: beyond MaxMessages, or MaxCharacters of text, the oldest are forgotten as if carried.
class PendingMessages
{
public:
    static constexpr qsizetype MaxMessages = 64;
    static constexpr qsizetype MaxCharacters = 256 * 1024;

    struct Message
    {
        // Empty for a public message.
        QString recipient;
        QString text;
        // Where the message ends in the bytes the connection sent.
        qint64 endOffset = 0;

        bool isPrivate() const { return !recipient.isEmpty(); }
        bool operator==(const Message &other) const = default;
    };

    void sentPublic(const QString &text, qint64 endOffset);
    void sentPrivate(const QString &recipient, const QString &text, qint64 endOffset);
    // A public message of the user's own came back, with this text. Relays of messages sent unframed
    // may reach the client merged or cut, so one whose text matches nothing stands for the oldest.
    void relayed(const QString &text);
    // The server's machine has acknowledged the first `offset` bytes the connection sent.
    void acknowledged(qint64 offset);
    // Nothing waits any more (a new connection).
    void clear();

    // What is still waiting, oldest first; takeAll() forgets it.
    const QList<Message> &messages() const { return m_messages; }
    QList<Message> takeAll();
    qsizetype characterCount() const { return m_characters; }

private:
    void add(Message message);
    void forgetFirst(qsizetype count);

    QList<Message> m_messages;
    qsizetype m_characters = 0;
};
