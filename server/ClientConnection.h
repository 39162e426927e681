#pragma once

#include "ClientInput.h"
#include "ConnectionLimits.h"
#include "ExtensionAgreement.h"
#include "OutputQueue.h"
#include "OutgoingText.h"
#include "PacingSchedule.h"
#include "TokenBucket.h"

#include <QBasicTimer>
#include <QByteArray>
#include <QHostAddress>
#include <QObject>

class QSslSocket;
class QTcpSocket;

// One client's socket, and the limits that keep one client from costing the others memory or time.
//
// Output: until the client switches to framing, the protocol has no framing, so each message is
// written on its own and the next goes only after the previous one has left the socket and a short
// gap has passed; the shared PacingSchedule says when. Once the client has switched, the server's
// switch and then framed messages are written as fast as the socket takes them, many to a write.
//
// Further extensions: right after its switch the server offers them, and holds the rest of its
// output until the client's answer, or ExtensionAnswerMs. The answer is never handed on; what the
// client sends after it, and what the server sends after its confirmation, follow the agreed set.
//
// Input: ClientInput cuts what arrives into messages; they are handed on one at a time, no faster
// than the client's send rate allows. While the client is over its rate the socket is not read, so
// TCP holds the client back and nothing is dropped. Unread input is bounded whatever the client
// sends: at most ReadBufferSize bytes in the socket, one read and the start of one framed message
// in ClientInput (192 KiB in all), and the kernel's receive buffer.
//
// A reader whose queue grows is closed only when it really stops taking data, or when its queue
// reaches a hard cap; bytes the kernel holds for it count as waiting, and so do bytes a TLS socket
// has encrypted and not yet handed to the kernel. The connection closes itself when a limit is
// passed or the socket fails.
class ClientConnection : public QObject
{
    Q_OBJECT

public:
    // A longer unframed block or framed message closes the connection.
    static constexpr qint64 MaxBlockSize = ClientInput::MaxMessageSize;
    // Kernel send buffer asked for: the largest message fits whole, so it leaves in one send even
    // on a fresh connection whose buffer would otherwise start small.
    static constexpr int SendBufferSize = 2 * MaxBlockSize;
    // Kernel receive buffer asked for: its window lets a whole oversized block arrive before the
    // server reads, so the block shows as too long instead of as pieces of a message.
    static constexpr int ReceiveBufferSize = 4 * MaxBlockSize;
    // Bytes the socket takes from the kernel before the server reads them: one more than a block
    // may hold, so an oversized block still shows. A full buffer stops the socket reading, the
    // kernel's buffer fills and TCP holds the client back.
    static constexpr qint64 ReadBufferSize = MaxBlockSize + 1;
    // How long a connection being closed may take to let its last messages go out.
    static constexpr int LingerMs = 5000;
    // Pause after the framing offer has left, the first message of a greeting: a client that knows
    // framing answers within a round trip, the server's switch then goes at once, and the whole
    // greeting goes framed. A client that does not answer gets its greeting this much later, by
    // when it has opened its chat window after its sign-on and reads each message on its own.
    static constexpr int OfferAnswerMs = 200;
    // How long the server holds the greeting after offering further extensions: a client that knows
    // them answers within a round trip, and one that does not loses no more than this.
    static constexpr int ExtensionAnswerMs = 200;

    // Takes ownership of `socket`, which must be connected. `pacing` outlives the connection.
    ClientConnection(QTcpSocket *socket, PacingSchedule *pacing, int gapMs, const ConnectionLimits &limits,
                     QObject *parent = nullptr);
    ~ClientConnection() override;

    // Bytes as they are, the same for every connection.
    void send(const QByteArray &message);
    // Text, in the encoding this connection's output has agreed to.
    void send(const SharedText &text);
    // Offers framing (once): the offer is queued as a message of its own, and from then on the
    // client's switch is recognised.
    void offerFraming();
    // Sends what is queued, then closes; further input and sends are dropped.
    void closeWhenSent();
    // Closes at once, dropping what is queued; no finished() follows.
    void abort();

    // The pacing schedule's call: this connection's gap has passed.
    void writeDue();

    // True once closeWhenSent() or abort() was called or a limit was passed.
    bool isClosing() const;
    // The client switched to framing, and so did the server's output.
    bool isFramed() const;
    // Where the client connects from; kept after the socket closes.
    QHostAddress peerAddress() const;

signals:
    // One message, decoded as the client's text is encoded when it was sent.
    void messageReceived(const QString &message);
    // A backlog of queued messages has gone out: the memory it held is free.
    void backlogSent();
    // Emitted once, from the event loop, when the connection is over. `reason` is empty when the
    // client or the room ended it, and says why when the connection closed it for a limit or error.
    void finished(const QString &reason);

protected:
    void timerEvent(QTimerEvent *event) override;

private:
    // Messages not yet handed to the kernel, without framing.
    qint64 queuedBytes() const;
    // Bytes the socket holds for the kernel, encrypted or not yet.
    qint64 socketBacklog() const;
    // What waits for the client: the queue, and what the kernel holds that the client has not
    // acknowledged. A reader that takes nothing thus shows even while the kernel's buffer takes
    // what the server sends it.
    qint64 waitingBytes() const;
    qint64 unacknowledgedBytes() const;
    qint64 nowMs() const;
    void serviceInput();
    // Reads once into the input; false when there was nothing to read or the connection ended.
    bool readSocket();
    // The client's switch has been read: the server's own goes out at once, pacing ends.
    void followClientSwitch();
    // True when `message` was the client's answer to the offer of extensions, which it then follows.
    bool takeExtensionAnswer(const QByteArray &message);
    void releaseGreeting();
    void queued();
    void dropInput();
    void checkQueueLimits();
    void checkStall();
    void scheduleFlush();
    // True when the gap after the last unframed write has not passed yet; schedules the write then.
    bool waitForGap();
    void scheduleWrite();
    void cancelPacing();
    void writeNext();
    // False when the connection failed.
    bool writeToSocket(const QByteArray &bytes);
    void written();
    void closeIfDone();
    void fail(const QString &reason);
    void finish(const QString &reason);

    QTcpSocket *m_socket;
    // The same socket when it speaks TLS, else null.
    QSslSocket *m_tlsSocket;
    QHostAddress m_peerAddress;
    PacingSchedule *m_pacing;
    int m_gapMs;
    ConnectionLimits m_limits;
    ClientInput m_input;
    OutputQueue m_output;
    TokenBucket m_messageRate;
    TokenBucket m_byteRate;
    QBasicTimer m_lingerTimer;
    // Runs while the client is over its send rate.
    QBasicTimer m_resumeTimer;
    // Runs while the greeting waits for the client's answer to the offer of extensions.
    QBasicTimer m_extensionTimer;
    // Runs while more than stalledQueueBytes wait.
    QBasicTimer m_stallTimer;
    qint64 m_lastProgressMs = 0;
    // The kernel's send buffer as it granted it: the most it can hold for this client.
    qint64 m_kernelSendBuffer = 0;
    // When the next unframed message may go, on the pacing schedule's clock.
    qint64 m_nextWriteMs = 0;
    // When the schedule serves this connection; -1 when it is not on the schedule.
    qint64 m_scheduledMs = -1;
    // When the message in the socket was due; its gap counts from here.
    qint64 m_writeSlotMs = 0;
    // The next message waited for its gap on the schedule.
    bool m_waitedForGap = false;
    bool m_flushScheduled = false;
    bool m_offered = false;
    ExtensionAgreement m_extensions;
    // The write in the socket is the offer.
    bool m_offerLeaving = false;
    bool m_closing = false;
    bool m_finished = false;
    bool m_flushingTls = false;
};
