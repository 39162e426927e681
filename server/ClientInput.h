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
// switch is recognised however the reads cut it: bytes that may be its start wait for the next read.
class ClientInput
{
public:
    // A longer unframed read or framed message breaks the input.
    static constexpr qsizetype MaxMessageSize = 64 * 1024;

    // The server has sent its offer: from now on a NUL may start the client's switch.
    void offer();
    // One read of the socket. False once the input broke a limit; error() says which.
    bool append(const QByteArray &read);
    // The oldest complete message not yet taken, if any.
    bool takeMessage(QByteArray *message);
    bool isFramed() const;
    QString error() const;

private:
    enum class State { Unframed, Offered, Framed, Broken };

    void appendOffered(const QByteArray &read);
    void appendFramed(QByteArrayView bytes);
    // False, and the input broken, when unframed bytes of this length are too long for one block.
    bool fitsAsBlock(qsizetype length);
    void pushMessage(QByteArrayView message);
    void breakWith(const QString &error);

    State m_state = State::Unframed;
    QQueue<QByteArray> m_messages;
    // Offered: a NUL and what followed it, as far as it may still become the switch. Framed: the
    // start of a message whose NUL has not come yet.
    QByteArray m_held;
    QString m_error;
};
