#pragma once

#include "ServerStreamReader.h"
#include "WireText.h"

#include <QByteArray>
#include <QQueue>

// What the connection has received and not yet handed out: blocks in arrival order, and the
// server's drops in their place among them. Counts the bytes it holds, so the connection can stop
// reading once it holds MaxBytes.
//
// An unframed block that does not start with a command word is the rest of a message a read cut
// in two; while the block it continues still waits here (and the two fit in MaxJoinedBytes), it
// is joined to it, so the complete messages behind the cut are not lost with the piece. No
// boundary is guessed: the bytes stay in the order they came, as one block.
class ReceiveQueue
{
public:
    static constexpr qsizetype MaxBytes = 4 * 1024 * 1024;
    // What an entry costs beside its bytes, so a flood of tiny messages is bounded as well.
    static constexpr qsizetype EntryCost = 64;
    // A joined block grows no further than one unframed read may be (the queue's bound): a
    // continuation that does not fit stays a block of its own, so no join makes a block a hostile
    // server could not send in one read anyway. A smaller bound would lose the messages behind a
    // cut whenever a client held up for a few seconds reads its backlog in two.
    static constexpr qsizetype MaxJoinedBytes = MaxBytes;

    struct Entry
    {
        enum Kind { Block, Drop };
        Kind kind = Block;
        QByteArray bytes;
        bool framed = false;
        // How the block's text was encoded when it arrived.
        WireText::Encoding encoding = WireText::Encoding::Windows1250;
    };

    void appendBlock(const ServerStreamReader::Block &block,
                     WireText::Encoding encoding = WireText::Encoding::Windows1250);
    void appendDrop();
    Entry takeNext();

    bool isEmpty() const;
    bool isFull() const;
    qsizetype byteCount() const;
    qsizetype count() const;
    // True when the newest entry is an unframed block a continuation could still join.
    bool endsWithUnframedBlock() const;
    // Forgets the blocks of a connection that is over; its drops stay, each one a row the user
    // must still see.
    void forgetBlocks();

private:
    QQueue<Entry> m_entries;
    qsizetype m_bytes = 0;
};
