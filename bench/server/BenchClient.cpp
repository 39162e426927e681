#include "BenchClient.h"

#include "DeliveryStats.h"
#include "FramingBytes.h"

#include "net/WireProtocol.h"
#include "net/WireText.h"

#include <QRandomGenerator>
#include <QSslSocket>

namespace {
const QByteArray messagePrefix = QByteArrayLiteral("Message ");
const QByteArray ircMessagePrefix = QByteArrayLiteral(" PRIVMSG #room :");
const QByteArray ircLineEnd = QByteArrayLiteral("\r\n");

QByteArray ircSignOn(const QByteArray &name)
{
    return "NICK " + name + "\r\nUSER " + name + " 0 * :bench\r\nJOIN #room\r\n";
}

// ":nick!user@host COMMAND ...": the nick.
QByteArray ircSender(const QByteArray &line)
{
    return line.startsWith(':') ? line.mid(1, line.indexOf('!') - 1) : QByteArray();
}
}

BenchClient::BenchClient(int index, Mode mode, int messagesToSend, const QElapsedTimer *clock, DeliveryStats *stats,
                         QObject *parent)
    : QObject(parent)
    , m_name(QStringLiteral("bench%1").arg(index, 4, 10, QLatin1Char('0')).toLatin1())
    , m_mode(mode)
    , m_messagesToSend(messagesToSend)
    , m_clock(clock)
    , m_stats(stats)
    , m_socket(mode == Mode::FramedTls ? new QSslSocket(this) : new QTcpSocket(this))
{
    // With TLS the sign-on waits for the handshake: the socket keeps it until then.
    connect(m_socket, &QTcpSocket::connected, this, [this] {
        m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        m_socket->write(m_mode == Mode::Irc ? ircSignOn(m_name) : WireProtocol::join(QString::fromLatin1(m_name)).toLatin1());
    });
    connect(&m_sendTimer, &QTimer::timeout, this, [this] {
        sendNext();
        if (isDoneSending())
            m_sendTimer.stop();
    });
    connect(m_socket, &QTcpSocket::readyRead, this, &BenchClient::readSocket);
}

void BenchClient::connectTo(const QHostAddress &address, quint16 port, const QHostAddress &source)
{
    if (!source.isNull())
        m_socket->bind(source);
    if (auto *secure = qobject_cast<QSslSocket *>(m_socket)) {
        // The benchmark's own self-signed certificate.
        secure->setPeerVerifyMode(QSslSocket::VerifyNone);
        secure->connectToHostEncrypted(address.toString(), port);
    } else {
        m_socket->connectToHost(address, port);
    }
}

bool BenchClient::isConnected() const
{
    return m_socket->state() == QAbstractSocket::ConnectedState;
}

int BenchClient::usersHeardOf() const
{
    return m_usersHeardOf;
}

int BenchClient::mergedGreetingBlocks() const
{
    return m_mergedGreetingBlocks;
}

bool BenchClient::isFramed() const
{
    return m_input.isFramed();
}

void BenchClient::setText(const QString &text)
{
    m_text = text;
}

void BenchClient::startSending()
{
    m_sending = true;
    sendNext();
}

void BenchClient::startSendingAt(double perSecond)
{
    m_sending = true;
    m_sendsAtRate = true;
    const int intervalMs = int(1000 / perSecond);
    m_sendTimer.setTimerType(Qt::PreciseTimer);
    QTimer::singleShot(QRandomGenerator::global()->bounded(intervalMs), this, [this, intervalMs] {
        sendNext();
        m_sendTimer.start(intervalMs);
    });
}

bool BenchClient::receivesOwnMessages() const
{
    return m_mode != Mode::Irc;
}

qint64 BenchClient::messagesReceived() const
{
    return m_messagesReceived;
}

bool BenchClient::isDoneSending() const
{
    return m_sent >= m_messagesToSend;
}

void BenchClient::readSocket()
{
    if (m_mode == Mode::Irc) {
        readIrcLines();
        return;
    }
    const QByteArray bytes = m_socket->readAll();
    if (m_offered) {
        takeFramed(bytes);
        return;
    }
    const bool frames = m_mode == Mode::Framed || m_mode == Mode::FramedUtf8 || m_mode == Mode::FramedTls;
    const qsizetype offer = frames ? bytes.indexOf(FramingBytes::offer()) : -1;
    if (offer < 0) {
        takeBlock(bytes);
        return;
    }
    // The bytes before the offer are a block of their own; the switch goes out at once.
    takeBlock(bytes.left(offer));
    m_offered = true;
    m_input.offer();
    m_socket->write(FramingBytes::switchOver());
    takeFramed(bytes.mid(offer + FramingBytes::offer().size()));
}

void BenchClient::readIrcLines()
{
    const QByteArray bytes = m_partialLine + m_socket->readAll();
    qsizetype from = 0;
    for (qsizetype end = bytes.indexOf(ircLineEnd); end >= 0; end = bytes.indexOf(ircLineEnd, from)) {
        takeIrcLine(bytes.mid(from, end - from));
        from = end + ircLineEnd.size();
    }
    m_partialLine = bytes.mid(from);
}

void BenchClient::takeIrcLine(const QByteArray &line)
{
    if (line.startsWith("PING ")) {
        m_socket->write("PONG " + line.mid(5) + ircLineEnd);
        return;
    }
    const QList<QByteArray> words = line.split(' ');
    if (words.size() < 3)
        return;
    const QByteArray &command = words.at(1);
    if (command == "353") {
        // ":server 353 me = #room :name name ...": the users in the room, this one among them.
        m_usersHeardOf += int(line.mid(line.indexOf(" :") + 2).trimmed().count(' ')) + 1;
    } else if (command == "JOIN" && ircSender(line) != m_name) {
        ++m_usersHeardOf;
    } else if (command == "PRIVMSG" && m_sending) {
        const qsizetype text = line.indexOf(ircMessagePrefix);
        if (text >= 0)
            takeMessages(messagePrefix + ircSender(line) + ':' + line.mid(text + ircMessagePrefix.size()));
    }
}

void BenchClient::takeFramed(const QByteArray &bytes)
{
    // The server's switch has the same bytes as the client's: ClientInput finds it the same way.
    if (!m_input.append(bytes))
        qFatal("bad framing from the server: %s", qPrintable(m_input.error()));
    QByteArray message;
    while (m_input.takeMessage(&message)) {
        if (!takeExtensions(message))
            takeBlock(message);
    }
}

bool BenchClient::takeExtensions(const QByteArray &message)
{
    if (!message.startsWith("Extensions "))
        return false;
    if (++m_extensionMessages == 1) {
        m_writesUtf8 = m_mode == Mode::FramedUtf8;
        m_socket->write(QByteArray(m_writesUtf8 ? "Extensions UTF-8" : "Extensions ") + FramingBytes::terminator);
    }
    return true;
}

void BenchClient::takeBlock(const QByteArray &block)
{
    if (block.isEmpty())
        return;
    if (m_sending)
        takeMessages(block);
    else
        countUsers(block);
}

void BenchClient::countUsers(const QByteArray &block)
{
    const int users = int(block.count("UserList ") + block.count("Joined "));
    m_usersHeardOf += users;
    if (users + block.count("Welcome ") > 1)
        ++m_mergedGreetingBlocks;
}

void BenchClient::takeMessages(const QByteArray &block)
{
    // "Message " + sender + ":" + number + " " + send time in ns; a block holding more than one
    // message is counted as merged, and every message in it still counts as delivered.
    const qint64 now = m_clock->nsecsElapsed();
    int messagesInBlock = 0;
    qsizetype at = block.indexOf(messagePrefix);
    while (at >= 0) {
        const qsizetype next = block.indexOf(messagePrefix, at + 1);
        const QByteArray message = block.mid(at + messagePrefix.size(), next < 0 ? -1 : next - at - messagePrefix.size());
        at = next;
        const qsizetype colon = message.indexOf(':');
        const qsizetype blank = message.indexOf(' ', colon);
        if (colon < 0 || blank < 0)
            continue;
        const qsizetype textBlank = message.indexOf(' ', blank + 1);
        ++messagesInBlock;
        ++m_messagesReceived;
        m_stats->addDelivery(now - message.mid(blank + 1, textBlank < 0 ? -1 : textBlank - blank - 1).toLongLong());
        if (!m_sendsAtRate && message.left(colon) == m_name && message.mid(colon + 1, blank - colon - 1).toInt() == m_sent)
            sendNext();
    }
    if (messagesInBlock > 1)
        m_stats->addMergedBlock();
}

void BenchClient::sendNext()
{
    if (m_sent >= m_messagesToSend)
        return;
    ++m_sent;
    QString text = QString::number(m_sent) + QLatin1Char(' ') + QString::number(m_clock->nsecsElapsed());
    if (!m_text.isEmpty())
        text += QLatin1Char(' ') + m_text;
    if (m_mode == Mode::Irc) {
        m_socket->write("PRIVMSG #room :" + text.toLatin1() + ircLineEnd);
        return;
    }
    QByteArray message = WireText::encode(WireProtocol::message(QString::fromLatin1(m_name), text),
                                          m_writesUtf8 ? WireText::Encoding::Utf8 : WireText::Encoding::Windows1250);
    if (m_offered)
        message += FramingBytes::terminator;
    m_socket->write(message);
}
