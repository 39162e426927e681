#pragma once

#include <QByteArray>
#include <QList>

// Cuts the bytes the server sends into the blocks the dispatcher takes, one read at a time, and
// follows the framing extension (docs/protocol.md) on the way in. Knows no socket, so every
// split of the stream can be fed to it.
//
// Unframed, one read is one block. A NUL ends the block before it and starts a marker: the offer
// while none has come, the server's switch after it. The marker may be split over reads; a NUL
// whose bytes turn out to be no marker is dropped and its bytes stay data. Once the server's
// switch is read, every NUL ends a message, and a message that runs past MaxMessageBytes without
// one is handed out in pieces of that size, so a hostile server costs bounded memory.
class ServerStreamReader
{
public:
    struct Block
    {
        QByteArray bytes;
        // False for an unframed block: its end is only where a read ended.
        bool framed = false;
    };

    // One read of the socket. Complete blocks are appended to `blocks`.
    void read(QByteArrayView bytes, QList<Block> &blocks);

    // The connection is over: a framed message cut off by the end is handed out as it is.
    void finish(QList<Block> &blocks);

    // True once, right after the offer was read: the owner answers with its own switch now.
    bool takeOffer();
    bool isFramed() const;
    // Bytes held over for the next read: a marker begun, or a framed message without its NUL.
    qsizetype heldBytes() const;

private:
    enum class State { AwaitingOffer, AwaitingSwitch, Framed };

    qsizetype readUnframed(QByteArrayView bytes, qsizetype from, QList<Block> &blocks);
    qsizetype matchMarker(QByteArrayView bytes, qsizetype from);
    qsizetype readFramed(QByteArrayView bytes, qsizetype from, QList<Block> &blocks);
    void endBlock(QList<Block> &blocks, bool framed);
    // The marker the next NUL may start, without that NUL.
    QByteArrayView expectedMarker() const;

    State m_state = State::AwaitingOffer;
    QByteArray m_block;
    // Inside a marker: how many of its bytes after the NUL have matched so far.
    bool m_inMarker = false;
    qsizetype m_matched = 0;
    bool m_offerRead = false;
};
