#pragma once

#include "OutgoingText.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QQueue>

// The messages waiting for one client's socket, and the bytes of each write. Unframed, a write is
// one message (the connection paces them apart). Framed, a write is the server's switch if it is
// still due, then the agreement's own messages still due, then as many whole messages as fit in a
// batch, each followed by NUL: a user list of a thousand names goes out in a few writes. Plain
// bytes, no socket.
//
// Text is encoded as it is queued, in the queue's encoding; each message keeps its text until it
// has gone, so one that waits when the client agrees to another encoding goes out in that one.
class OutputQueue
{
public:
    // A framed write holds at least one message and stops adding messages past this size.
    static constexpr qsizetype BatchBytes = 64 * 1024;
    // Queue capacity an idle connection may keep.
    static constexpr qsizetype IdleCapacity = 16;

    // Bytes as they are, such as the framing offer.
    void push(const QByteArray &message);
    void push(const SharedText &text);
    // The client has switched: the server's switch goes out with the next write, and every message
    // from then on, those already waiting included, framed. A non-empty `offer` goes first, as a
    // message of its own, and every other message waits behind it until release().
    void switchToFramed(const QByteArray &offer = {});
    // The messages held behind the offer may go.
    void release();
    // `confirmation` goes out before every message still waiting, and those go in `encoding`, as does
    // every message pushed from now on; held messages may go.
    void confirm(const QByteArray &confirmation, WireText::Encoding encoding);
    bool isFramed() const;
    // True while messages are held behind the offer.
    bool isHeld() const;
    // Nothing waits, held or not.
    bool isEmpty() const;
    // Something may be written now.
    bool hasWrite() const;
    // Bytes of the messages waiting, without framing.
    qint64 queuedBytes() const;
    // The bytes of the next write; empty when nothing may go.
    QByteArray takeWrite();
    // A queue that once held a long backlog (the user list of a big room, say) would keep its
    // capacity for as long as the connection lives. Frees it once the queue is empty; true when it
    // did.
    bool releaseBacklog();
    void clear();

private:
    struct Entry
    {
        QByteArray bytes;
        // Null for bytes pushed as they are.
        SharedText text;
    };

    void enqueue(Entry entry);
    Entry dequeue();
    QByteArray takeFramedBatch();

    QQueue<Entry> m_messages;
    // Framed messages of the agreement that go before everything waiting.
    QByteArrayList m_firstMessages;
    qint64 m_queuedBytes = 0;
    WireText::Encoding m_encoding = WireText::Encoding::Windows1250;
    bool m_framed = false;
    bool m_switchDue = false;
    bool m_held = false;
};
