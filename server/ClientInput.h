#pragma once

#include <QByteArray>
#include <QQueue>
#include <QString>

// What one client sends, cut into the messages the room receives; plain bytes in, messages out, so
// a test or a fuzzer drives it without a socket.
//
// The protocol has no framing: one read of the socket is one message. Once the server has offered
// framing, a NUL ends the unframed data before it; when the NUL starts the client's switch, every
// later message ends with a NUL, otherwise the NUL is dropped and the data stays unframed. The
// switch is recognised however the reads cut it: bytes that may be its start wait for the next read,
// and when that shows they are not the switch, they are the blocks their reads would have been.
//
// Reads are kept as they came and cut one message at a time as messages are taken: a read full of
// tiny framed messages costs no more memory than its bytes.
class ClientInput
{
public:
    // A longer unframed block or framed message breaks the input.
    static constexpr qsizetype MaxMessageSize = 64 * 1024;

    // The server has sent its offer: from now on a NUL may start the client's switch. Reads not yet
    // cut are cut by the new rules.
    void offer();
    // One read of the socket. False once the input broke a limit; error() says which.
    bool append(const QByteArray &read);
    // The oldest complete message not yet taken, if any. False as well once the input broke a limit,
    // which may show only as the reads are cut.
    bool takeMessage(QByteArray *message);
    bool isFramed() const;
    bool isBroken() const;
    QString error() const;

private:
    enum class State { Unframed, Offered, Framed, Broken };

    // Whether the bytes from a NUL at `nul` in the front read on are the client's switch.
    enum class Match { Switch, NotSwitch, Undecided };

    bool takeUnframed(QByteArray *message);
    bool takeOffered(QByteArray *message);
    bool takeFramed(QByteArray *message);
    // The NUL and what follows it, through the reads after the front one if need be, against the
    // switch. Reads are never joined: bytes that turn out not to be the switch stay in their reads,
    // so each is still the block it would have been.
    Match matchSwitch(qsizetype nul) const;
    // The front read is cut up to `to`.
    void advance(qsizetype to);
    // Cuts `count` bytes, across reads.
    void skip(qsizetype count);
    // False, and the input broken, when unframed bytes of this length are too long for one block.
    bool fitsAsBlock(qsizetype length);
    void breakWith(const QString &error);

    State m_state = State::Unframed;
    // Reads not yet cut whole; the front one is cut up to m_cut.
    QQueue<QByteArray> m_reads;
    qsizetype m_cut = 0;
    // Framed: the start of a message whose NUL has not come yet.
    QByteArray m_held;
    QString m_error;
};
