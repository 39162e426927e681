#include "FramedClient.h"

#include "support/EventLoopWait.h"
#include "FramingWire.h"

#include "net/WireText.h"

namespace {
const QByteArray &offerBytes = FramingWire::offer;
const QByteArray &switchBytes = FramingWire::switchOver;
// Long enough for a server in this process to read one send before the next arrives.
constexpr int SettleMs = 15;
}

FramedClient::FramedClient(Answer answer, QObject *parent)
    : QObject(parent)
    , m_answer(answer)
{
    connect(&m_socket, &QTcpSocket::readyRead, this, [this] {
        if (!m_paused)
            readAll();
    });
}

void FramedClient::setExtensions(Extensions extensions)
{
    m_extensions = extensions;
}

bool FramedClient::connectTo(const QHostAddress &address, quint16 port, const QHostAddress &source)
{
    if (!source.isNull())
        m_socket.bind(source);
    m_socket.connectToHost(address, port);
    const bool settled = EventLoopWait::until([this] {
        return m_socket.state() != QAbstractSocket::ConnectingState
            && m_socket.state() != QAbstractSocket::HostLookupState
            && m_socket.state() != QAbstractSocket::BoundState;
    }, 10000);
    m_socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    return settled && m_socket.state() == QAbstractSocket::ConnectedState;
}

bool FramedClient::signOn(const QHostAddress &address, quint16 port, const QString &name, const QHostAddress &source)
{
    if (!connectTo(address, port, source))
        return false;
    sendRaw(WireText::encode(QStringLiteral("Join ") + name, WireText::Encoding::Windows1250));
    const QString ownEntry = QStringLiteral("UserList ") + name;
    const bool greeted = EventLoopWait::until([&] { return m_messages.contains(ownEntry); }, 20000);
    m_messages.remove(0, m_messages.indexOf(ownEntry) + 1);
    return greeted;
}

void FramedClient::send(const QString &message)
{
    QByteArray bytes = WireText::encode(message, m_writesUtf8 ? WireText::Encoding::Utf8 : WireText::Encoding::Windows1250);
    if (m_switched)
        bytes += '\0';
    sendRaw(bytes);
}

void FramedClient::sendRaw(const QByteArray &bytes)
{
    m_socket.write(bytes);
    m_socket.flush();
    if (EventLoopWait::until([this] { return m_socket.bytesToWrite() == 0; }, 10000))
        EventLoopWait::during(SettleMs);
    // A switch sent by hand counts as the switch.
    if (bytes.contains(switchBytes))
        m_switched = true;
}

void FramedClient::queueRaw(const QByteArray &bytes)
{
    m_socket.write(bytes);
}

qint64 FramedClient::unsentBytes() const
{
    return m_socket.bytesToWrite();
}

bool FramedClient::waitForMessages(int count, int timeoutMs)
{
    return EventLoopWait::until([this, count] { return m_messages.size() >= count; }, timeoutMs);
}

QStringList FramedClient::receive(int count)
{
    waitForMessages(count);
    const QStringList taken = m_messages.mid(0, count);
    m_messages.remove(0, taken.size());
    return taken;
}

QStringList FramedClient::takeMessages()
{
    return std::exchange(m_messages, {});
}

int FramedClient::messageCount() const
{
    return int(m_messages.size());
}

bool FramedClient::hasSwitched() const
{
    return m_switched;
}

bool FramedClient::serverSwitched() const
{
    return m_state == State::Framed;
}

QString FramedClient::protocolError() const
{
    return m_protocolError;
}

void FramedClient::pauseReading()
{
    m_paused = true;
    // The socket stops taking bytes from the kernel once this much waits in it.
    m_socket.setReadBufferSize(1);
}

void FramedClient::resumeReading()
{
    m_paused = false;
    m_socket.setReadBufferSize(0);
    readAll();
}

bool FramedClient::waitForDisconnected(int timeoutMs)
{
    return EventLoopWait::until([this] { return m_socket.state() == QAbstractSocket::UnconnectedState; }, timeoutMs);
}

bool FramedClient::readsUtf8() const
{
    return m_readsUtf8;
}

bool FramedClient::isConnected() const
{
    return m_socket.state() == QAbstractSocket::ConnectedState;
}

void FramedClient::readAll()
{
    take(m_socket.readAll());
}

void FramedClient::take(QByteArray bytes)
{
    // Unframed, one read is one block; a NUL ends the block before it.
    m_pending += bytes;
    for (;;) {
        const qsizetype nul = m_pending.indexOf('\0');
        if (nul < 0) {
            if (m_state != State::Framed) {
                addMessage(m_pending);
                m_pending.clear();
            }
            return;
        }
        if (m_state == State::Framed) {
            if (!takeExtensions(m_pending.left(nul)))
                addMessage(m_pending.left(nul));
            m_pending.remove(0, nul + 1);
            continue;
        }
        addMessage(m_pending.left(nul));
        m_pending.remove(0, nul);
        if (!takeMarker())
            return;
    }
}

bool FramedClient::takeMarker()
{
    const QByteArray &expected = m_state == State::Unframed ? offerBytes : switchBytes;
    if (m_pending.size() < expected.size() && expected.startsWith(m_pending))
        return false;
    if (!m_pending.startsWith(expected)) {
        m_protocolError = QStringLiteral("unexpected NUL before: ") + QString::fromLatin1(m_pending.left(20).toHex());
        m_pending.clear();
        return false;
    }
    m_pending.remove(0, expected.size());
    if (m_state == State::Unframed) {
        m_state = State::Offered;
        if (m_answer == Answer::Automatic)
            switchOver();
    } else {
        m_state = State::Framed;
    }
    return true;
}

void FramedClient::addMessage(const QByteArray &message)
{
    if (!message.isEmpty())
        m_messages += WireText::decode(message, m_readsUtf8 ? WireText::Encoding::Utf8 : WireText::Encoding::Windows1250);
}

bool FramedClient::takeExtensions(const QByteArray &message)
{
    if (m_extensions == Extensions::Unknown || !message.startsWith("Extensions "))
        return false;
    if (++m_extensionMessages == 1) {
        const bool utf8 = m_extensions == Extensions::TakesUtf8;
        // Without settling, like the switch: the server is in this process.
        m_socket.write(QByteArray(utf8 ? "Extensions UTF-8" : "Extensions ") + '\0');
        m_writesUtf8 = utf8;
    } else if (m_extensionMessages == 2) {
        m_readsUtf8 = m_extensions == Extensions::TakesUtf8 && message.split(' ').contains("UTF-8");
    }
    return true;
}

void FramedClient::switchOver()
{
    // Without settling: the server is in this process and reads it as soon as this returns.
    m_socket.write(switchBytes);
    m_switched = true;
}
