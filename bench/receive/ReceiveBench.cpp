#include "ReceiveBench.h"

#include "ChatDialect.h"
#include "ClientProgram.h"
#include "LoopbackPeer.h"
#include "SocketReadCounter.h"
#include "X11Display.h"

#include <QByteArray>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace LoopbackPeer;

namespace {

const char *const peerAddress = "127.0.0.140";
const char *const displayName = ":140";
constexpr int chatWidth = 800;
constexpr int chatHeight = 600;
constexpr int lineCharacters = 63;
// How often a flood stops to answer the client's requests (pings).
constexpr int answerEveryLines = 100;

constexpr qint64 msNs = 1000000;
constexpr qint64 secondNs = 1000 * msNs;
// The sign-on window connects two seconds after it is shown; a busy machine may add a lot.
constexpr int connectWaitMs = 30000;
constexpr int windowWaitMs = 20000;
constexpr qint64 idleAfterSignOnNs = 5 * secondNs;
// Long enough for the first window's memory to settle.
constexpr qint64 firstWindowSettleNs = 1500 * msNs;
// The client has finished a flood once it spends less than 1 % of a core over a quarter second.
constexpr qint64 settleStepNs = 250 * msNs;
constexpr double settledCpuNs = 2.5 * msNs;
constexpr qint64 settleLimitNs = 120 * secondNs;

double cpuNs(qint64 pid)
{
    return pid > 0 ? ProcessUsage::cpuNs(pid_t(pid)) : 0;
}

// A public chat line of exactly lineCharacters characters, numbered so that every line differs,
// with nothing the markup turns into a picture, a link or a tag.
QByteArray floodLine(int index)
{
    QByteArray text = QByteArray::number(index).rightJustified(7, '0')
        + " lorem ipsum dolor sit amet consectetur adipiscing elit, sed do eiusmod";
    text.truncate(lineCharacters);
    return text;
}

// The band edges: the first and last 10,000 lines of a long flood, a fifth at each end of a short one.
int bandEdge(int lines)
{
    constexpr int longBand = 10000;
    return lines >= 3 * longBand ? longBand : lines / 5;
}

quint16 peerPortOf(int fd)
{
    sockaddr_in peer{};
    socklen_t size = sizeof peer;
    return getpeername(fd, reinterpret_cast<sockaddr *>(&peer), &size) == 0 ? ntohs(peer.sin_port) : 0;
}

} // namespace

// The client program signed on: its connection's far end and the moment the greeting was done.
class ReceiveBench::SignedOnClient
{
public:
    SignedOnClient(const ChatDialect &dialect, const QString &platform, const QString &display)
        : program(dialect, platform, display)
    {
    }
    ~SignedOnClient()
    {
        program.stop();
        if (fd >= 0)
            ::close(fd);
    }

    ClientProgram program;
    int fd = -1;
    qint64 signedOnNs = 0;
};

ReceiveBench::ReceiveBench(ChatDialect &dialect, const QString &platform)
    : m_dialect(dialect)
    , m_platform(platform)
{
}

ReceiveBench::~ReceiveBench()
{
    if (m_listener >= 0)
        ::close(m_listener);
}

bool ReceiveBench::onX() const
{
    return m_platform == QLatin1String("xcb");
}

bool ReceiveBench::open()
{
    if (onX()) {
        m_display = std::make_unique<X11Display>(QString::fromLatin1(displayName));
        if (!m_display->open()) {
            m_why = m_display->why();
            return false;
        }
    }
    m_listener = listenOn(peerAddress);
    return true;
}

std::unique_ptr<ReceiveBench::SignedOnClient> ReceiveBench::signOn(bool framed)
{
    auto client = std::make_unique<SignedOnClient>(m_dialect, m_platform, onX() ? m_display->name() : QString());
    if (!client->program.start(QString::fromLatin1(peerAddress), true)) {
        m_why = m_dialect.name() + QStringLiteral(" does not start");
        return nullptr;
    }
    client->fd = acceptClient(m_listener, connectWaitMs);
    if (client->fd < 0 || !m_dialect.greet(client->fd, framed)) {
        m_why = QStringLiteral("the client did not sign on: ") + client->program.log();
        return nullptr;
    }
    client->signedOnNs = nowNs();
    if (onX()) {
        quint32 chat = 0;
        for (qint64 waited = 0; !chat && waited < windowWaitMs; waited += 10) {
            const QList<quint32> windows = m_display->windowsTitled(m_dialect.chatWindowTitle());
            chat = windows.isEmpty() ? 0 : windows.constFirst();
            if (!chat)
                usleep(10000);
        }
        // Sized, and in front of the user as a window manager puts it: a chat window that is not
        // active may call for attention on every message.
        if (!chat || !m_display->resize(chat, chatWidth, chatHeight) || !m_display->focus(chat)) {
            m_why = QStringLiteral("the chat window did not show");
            return nullptr;
        }
    }
    return client;
}

bool ReceiveBench::idle(ProcessUsage::Memory *result)
{
    const std::unique_ptr<SignedOnClient> client = signOn(false);
    if (!client)
        return false;
    sleepUntil(client->signedOnNs + idleAfterSignOnNs);
    *result = ProcessUsage::memory(client->program.pid());
    return true;
}

bool ReceiveBench::startup(Startup *result)
{
    if (!onX()) {
        m_why = QStringLiteral("start-up is measured on X only");
        return false;
    }
    // Fresh settings that do not sign on: the first window waits for the user.
    SignedOnClient client(m_dialect, m_platform, m_display->name());
    m_display->watchMaps();
    const qint64 started = nowNs();
    if (!client.program.start(QString::fromLatin1(peerAddress), false)) {
        m_why = m_dialect.name() + QStringLiteral(" does not start");
        return false;
    }
    const quint32 window = m_display->waitForMapped(m_dialect.firstWindowTitle(), windowWaitMs);
    const qint64 mapped = nowNs();
    if (!window) {
        m_why = QStringLiteral("the first window did not show: ") + client.program.log();
        return false;
    }
    result->mappedMs = double(mapped - started) / double(msNs);
    sleepUntil(mapped + firstWindowSettleNs);
    result->firstWindow = ProcessUsage::memory(client.program.pid());
    return true;
}

bool ReceiveBench::flood(int lines, int rate, bool framed, Flood *result)
{
    const std::unique_ptr<SignedOnClient> client = signOn(framed);
    if (!client)
        return false;
    const pid_t pid = client->program.pid();
    const qint64 xServer = onX() ? m_display->serverProcessId() : 0;
    result->xServerMeasured = xServer > 0;
    sleepUntil(client->signedOnNs + idleAfterSignOnNs);
    m_dialect.answerRequests(client->fd);
    result->idle = ProcessUsage::memory(pid);

    SocketReadCounter reads;
    reads.start(pid, SocketReadCounter::socketDescriptor(pid, peerPortOf(client->fd)));

    const int edge = bandEdge(lines);
    const QList<int> edges{0, edge, lines - edge, lines};
    result->bands = {{QStringLiteral("first %1").arg(edge), edge},
                     {QStringLiteral("middle %1").arg(lines - 2 * edge), lines - 2 * edge},
                     {QStringLiteral("last %1").arg(edge), edge}};
    double clientAtEdge = cpuNs(pid);
    double xAtEdge = cpuNs(xServer);
    const auto closeBand = [&](int band) {
        const double clientNow = cpuNs(pid);
        const double xNow = cpuNs(xServer);
        result->bands[band].clientNs = clientNow - clientAtEdge;
        result->bands[band].xServerNs = xNow - xAtEdge;
        clientAtEdge = clientNow;
        xAtEdge = xNow;
    };

    const qint64 start = nowNs();
    const qint64 stepNs = secondNs / rate;
    for (int index = 0, band = 0; index < lines; ++index) {
        if (index == edges.at(band + 1) && index > 0)
            closeBand(band++);
        if (index % answerEveryLines == 0)
            m_dialect.answerRequests(client->fd);
        sleepUntil(start + index * stepNs);
        const QByteArray message = m_dialect.floodMessage(floodLine(index));
        if (!sendAll(client->fd, message.constData(), size_t(message.size()))) {
            m_why = QStringLiteral("the client hung up during the flood: ") + client->program.log();
            return false;
        }
    }
    const qint64 sent = nowNs();
    result->sendingS = double(sent - start) / double(secondNs);

    // The last band ends when the client has shown everything it was sent.
    for (double before = cpuNs(pid); nowNs() - sent < settleLimitNs;) {
        usleep(settleStepNs / 1000);
        m_dialect.answerRequests(client->fd);
        const double now = cpuNs(pid);
        if (now - before < settledCpuNs)
            break;
        before = now;
    }
    result->settleS = double(nowNs() - sent) / double(secondNs);
    closeBand(2);
    result->end = ProcessUsage::memory(pid);
    result->socketReads = reads.stop();
    // Delimited, every message is a row of its own; unframed, every read is one block and one row.
    result->rowsShown = m_dialect.delimited() ? lines : result->socketReads;
    if (!client->program.isRunning()) {
        m_why = QStringLiteral("the client ended during the flood: ") + client->program.log();
        return false;
    }
    return true;
}
