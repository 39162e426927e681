#pragma once

#include <QByteArray>
#include <QQueue>

// The messages waiting for one client's socket, and the bytes of each write. Unframed, a write is
// one message (the connection paces them apart). Framed, a write is the server's switch if it is
// still due, then as many whole messages as fit in a batch, each followed by NUL: a user list of
// a thousand names goes out in a few writes. Plain bytes, no socket.
class OutputQueue
{
public:
    // A framed write holds at least one message and stops adding messages past this size.
    static constexpr qsizetype BatchBytes = 64 * 1024;
    // Queue capacity an idle connection may keep.
    static constexpr qsizetype IdleCapacity = 16;

    void push(const QByteArray &message);
    // The client has switched: the server's switch goes out with the next write, and every message
    // from then on, those already waiting included, framed.
    void switchToFramed();
    bool isFramed() const;
    bool isEmpty() const;
    // Bytes of the messages waiting, without framing.
    qint64 queuedBytes() const;
    // The bytes of the next write; empty when nothing waits.
    QByteArray takeWrite();
    // A queue that once held a long backlog (the user list of a big room, say) would keep its
    // capacity for as long as the connection lives. Frees it once the queue is empty; true when it
    // did.
    bool releaseBacklog();
    void clear();

private:
    QByteArray takeFramedBatch();

    QQueue<QByteArray> m_messages;
    qint64 m_queuedBytes = 0;
    bool m_framed = false;
    bool m_switchDue = false;
};
