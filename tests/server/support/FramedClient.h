#pragma once

#include <QByteArrayList>
#include <QHostAddress>
#include <QObject>
#include <QStringList>
#include <QTcpSocket>

// A chat client that knows the framing extension, as the server sees one. It reads the server's
// bytes by the client's rules (unframed blocks, the offer at its first NUL, the server's switch at
// the next, then NUL-ended messages) and notes anything else as a protocol error. By default it
// answers the offer with its switch at once and frames what it sends from then on; a test may
// instead answer by hand, merged with other bytes or cut into pieces. It can stop reading for a
// while, so the server's queue for it grows.
//
// Further extensions: by default it answers the server's offer taking none, and keeps the offer
// and the confirmation out of its messages; it may take UTF-8 instead (its text is then UTF-8 from
// its answer on, the server's from the confirmation on), or not know the mechanism at all and list
// the offer among its messages.
class FramedClient : public QObject
{
    Q_OBJECT

public:
    enum class Answer { Automatic, ByHand };
    enum class Extensions { TakesNone, TakesUtf8, Unknown };

    explicit FramedClient(Answer answer = Answer::Automatic, QObject *parent = nullptr);

    // Before the client connects.
    void setExtensions(Extensions extensions);

    // Connects from `source` (any loopback address) when it is given.
    bool connectTo(const QHostAddress &address, quint16 port, const QHostAddress &source = QHostAddress());
    // Connects, signs on and takes the greeting, up to the own UserList.
    bool signOn(const QHostAddress &address, quint16 port, const QString &name,
                const QHostAddress &source = QHostAddress());
    // One message, framed once this client has switched.
    void send(const QString &message);
    // Bytes as one send, exactly as given, and a moment for the server to take them.
    void sendRaw(const QByteArray &bytes);
    // Bytes handed to the socket without waiting, for a client that writes as fast as the server
    // takes them; what has not left yet.
    void queueRaw(const QByteArray &bytes);
    qint64 unsentBytes() const;

    bool waitForMessages(int count, int timeoutMs = 20000);
    // Waits for `count` messages and takes them; later ones stay.
    QStringList receive(int count);
    QStringList takeMessages();
    int messageCount() const;
    bool hasSwitched() const;
    // The server's switch has arrived: what follows is framed.
    bool serverSwitched() const;
    QString protocolError() const;
    // The server's confirmation named UTF-8.
    bool readsUtf8() const;

    void pauseReading();
    void resumeReading();
    bool waitForDisconnected(int timeoutMs = 20000);
    bool isConnected() const;

private:
    enum class State { Unframed, Offered, Framed };

    void readAll();
    void take(QByteArray bytes);
    // Handles a NUL at the start of m_pending that the state allows; false when more bytes are needed.
    bool takeMarker();
    void addMessage(const QByteArray &message);
    void switchOver();
    // True when `message` is the offer or the confirmation of extensions, which it then follows.
    bool takeExtensions(const QByteArray &message);

    Answer m_answer;
    Extensions m_extensions = Extensions::TakesNone;
    int m_extensionMessages = 0;
    bool m_writesUtf8 = false;
    bool m_readsUtf8 = false;
    QTcpSocket m_socket;
    State m_state = State::Unframed;
    QByteArray m_pending;
    QStringList m_messages;
    QString m_protocolError;
    bool m_switched = false;
    bool m_paused = false;
};
