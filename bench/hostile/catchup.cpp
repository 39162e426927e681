// How the client catches up with a flood after being stopped. A small server (a child process
// speaking the chat protocol, framed or not) sends numbered lines at a steady rate and, a few
// seconds in, stops the client with SIGSTOP for a while. The client is the real receiving path
// (connection, dispatcher) writing real rows into a shown transcript. Prints, per run, the lines
// shown against those sent, the rows that held more than one line, the catch-up time (from the
// moment the client runs again until a line is shown within 100 ms of being sent), the largest
// delay of a shown line, and how long after the last line was sent it was shown.
//
// bench_catchup [lines [rate [pause-at-seconds]]]   (defaults 20000 1000 5; run with nsrun)
#include "LoopbackPeer.h"
#include "app/PendingEvents.h"
#include "net/ChatConnection.h"
#include "net/ChatFrontEnd.h"
#include "net/Dispatcher.h"
#include "transcript/MessageMarkup.h"
#include "transcript/TranscriptRows.h"
#include "transcript/TranscriptView.h"

#include <QApplication>
#include <QFile>
#include <QRegularExpression>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

using namespace LoopbackPeer;

namespace {

const char *const serverAddress = "127.0.0.130";

struct Run
{
    bool framed;
    int pauseMs;
};

const Run runs[] = {{false, 2000}, {false, 5000}, {true, 2000}, {true, 5000}};

// One client: "Join bench <framed> <pauseMs>", the greeting (with the offer when framed), then the
// flood. The client process is stopped at pauseAt for pauseMs while the flood goes on.
void serveOne(int fd, pid_t client, int lines, int rate, int pauseAtS)
{
    char join[64] = {};
    const ssize_t got = ::recv(fd, join, sizeof join - 1, 0);
    int framed = 0;
    int pauseMs = 0;
    if (got <= 0 || std::sscanf(join, "Join bench %d %d", &framed, &pauseMs) != 2)
        return;
    framed = greet(fd, "Bench", framed);

    const qint64 start = nowNs();
    const qint64 stepNs = 1000000000LL / rate;
    const int pauseLine = pauseAtS * rate;
    qint64 resumeAt = -1;
    char line[160];
    for (int index = 0; index < lines; ++index) {
        sleepUntil(start + index * stepNs);
        if (index == pauseLine) {
            kill(client, SIGSTOP);
            resumeAt = nowNs() + qint64(pauseMs) * 1000000;
        }
        if (resumeAt >= 0 && nowNs() >= resumeAt) {
            kill(client, SIGCONT);
            resumeAt = -1;
        }
        const int size = std::snprintf(line, sizeof line, "Message bob:line %06d sent %lld lorem ipsum dolor sit amet",
                                       index, static_cast<long long>(nowNs()));
        if (!sendAll(fd, line, size_t(size) + (framed ? 1 : 0))) // the NUL snprintf wrote frames it
            break;
    }
    if (resumeAt >= 0)
        kill(client, SIGCONT);
    // Stay until the client has read all and hung up.
    char sink[4096];
    while (::recv(fd, sink, sizeof sink, 0) > 0) {
    }
}

[[noreturn]] void runServer(int listener, pid_t client, int lines, int rate, int pauseAtS)
{
    for (;;) {
        const int fd = acceptClient(listener, -1);
        if (fd < 0)
            _exit(0);
        serveOne(fd, client, lines, rate, pauseAtS);
        ::close(fd);
    }
}

// ---- the client ----

qint64 residentKilobytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    }
    return 0;
}

// The main window's part that matters here: message rows into the transcript, every other
// effect left out. Records which lines each row showed.
class CountingFrontEnd : public ChatFrontEnd
{
public:
    explicit CountingFrontEnd(int lines)
        : shown(size_t(lines), false)
    {
        view.resize(700, 500);
        view.show();
    }

    void AppendHistory(const QString &html) override { view.AppendHistory(html); }
    void AddChat(const QString &user, const QString &text) override
    {
        view.AppendHistory(TranscriptRows::chatRow(TranscriptRows::timeStamp(), user, MessageMarkup::ConvertMarkup(text)));
        static const QRegularExpression linePattern(QStringLiteral("line (\\d{6}) sent (\\d+)"));
        int inRow = 0;
        for (auto match = linePattern.globalMatch(text); match.hasNext();) {
            const QRegularExpressionMatch line = match.next();
            const int index = line.captured(1).toInt();
            if (index < 0 || size_t(index) >= shown.size())
                continue;
            ++inRow;
            if (!shown[size_t(index)]) {
                shown[size_t(index)] = true;
                ++shownCount;
            }
            const qint64 sent = line.captured(2).toLongLong();
            lastSentNs = qMax(lastSentNs, sent);
            const qint64 delay = nowNs() - sent;
            longestDelayNs = qMax(longestDelayNs, delay);
            if (resumedNs > 0 && caughtUpNs == 0 && delay < 100000000)
                caughtUpNs = nowNs();
        }
        if (inRow > 1)
            ++mergedRows;
        if (inRow > 0)
            lastShownNs = nowNs();
    }

    // Called every few milliseconds: a long gap between two calls is the time the client stood.
    void tick()
    {
        const qint64 now = nowNs();
        if (lastTickNs > 0 && now - lastTickNs > 1000000000 && resumedNs == 0)
            resumedNs = now;
        lastTickNs = now;
    }
    void AddChatPM(const QString &, const QString &) override {}
    QString timeStamp() const override { return TranscriptRows::timeStamp(); }
    void appendUser(const QString &) override {}
    int userCount() const override { return 0; }
    int findUser(const QString &, int) const override { return -1; }
    void removeUserAt(int) override {}
    void setUserName(const QString &) override {}
    void setCaption(const QString &) override {}
    void showBalloon(const QString &, const QString &, BalloonIcon, int) override {}
    void showNewUserNotice(const QString &) override {}
    void showMessageOfDay(const QString &) override {}
    void flash() override {}
    void playSound(SoundRow) override {}
    void speak(const QString &) override {}
    bool joinRowInMain() const override { return false; }
    bool joinLeaveBalloon() const override { return false; }
    bool motdInMain() const override { return false; }
    bool motdInWindow() const override { return false; }
    bool motdInBalloon() const override { return false; }
    void yield() override { LetPendingEventsRun(); }
    bool askYesNo(const QString &, const QString &) override { return false; }
    QString askText(const QString &, const QString &) override { return QString(); }
    void sendText(const QString &) override {}
    void closeConnection() override {}

    TranscriptView view;
    std::vector<bool> shown;
    int shownCount = 0;
    int mergedRows = 0;
    qint64 lastSentNs = 0;
    qint64 lastShownNs = 0;
    qint64 longestDelayNs = 0;
    qint64 lastTickNs = 0;
    qint64 resumedNs = 0;
    qint64 caughtUpNs = 0;
};

void runClient(const Run &run, int lines)
{
    CountingFrontEnd frontEnd(lines);
    Dispatcher dispatcher(frontEnd);
    ChatConnection connection;
    QObject::connect(&connection, &ChatConnection::connected, [&] {
        connection.send(QStringLiteral("Join bench %1 %2").arg(run.framed ? 1 : 0).arg(run.pauseMs));
    });
    QObject::connect(&connection, &ChatConnection::blockReceived, [&](const QString &block) { dispatcher.DataParsing(block); });
    connection.connectToServer(QString::fromLatin1(serverAddress));

    // Done once every line is shown, or when nothing new has been shown for five seconds after
    // the flood should have ended.
    const qint64 started = nowNs();
    QEventLoop loop;
    QTimer ticks;
    QObject::connect(&ticks, &QTimer::timeout, [&] { frontEnd.tick(); });
    ticks.start(5);
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, [&] {
        const bool all = frontEnd.shownCount == lines;
        const qint64 quietSince = qMax(frontEnd.lastShownNs, started + qint64(lines) * 1000000LL);
        if (all || nowNs() - quietSince > 5000000000LL)
            loop.quit();
    });
    check.start(100);
    loop.exec();
    connection.close();

    const double caughtUpMs = frontEnd.caughtUpNs > 0 ? double(frontEnd.caughtUpNs - frontEnd.resumedNs) / 1e6 : -1;
    std::printf("%-9s pause %d s: shown %5d of %d lines (%4d lost), %4d rows with merged lines, caught up %6.0f ms "
                "after resuming, longest delay %6.0f ms, last line shown %5.0f ms after it was sent, RSS %lld MB\n",
                run.framed ? "framed" : "unframed", run.pauseMs / 1000, frontEnd.shownCount, lines,
                lines - frontEnd.shownCount, frontEnd.mergedRows, caughtUpMs, double(frontEnd.longestDelayNs) / 1e6,
                double(frontEnd.lastShownNs - frontEnd.lastSentNs) / 1e6,
                static_cast<long long>(residentKilobytes() / 1024));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char *argv[])
{
    const int lines = argc > 1 ? std::atoi(argv[1]) : 20000;
    const int rate = argc > 2 ? std::atoi(argv[2]) : 1000;
    const int pauseAtS = argc > 3 ? std::atoi(argv[3]) : 5;

    const int listener = listenOn(serverAddress);
    const pid_t client = getpid();
    const pid_t server = fork();
    if (server == 0)
        runServer(listener, client, lines, rate, pauseAtS);
    ::close(listener);

    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::printf("%d lines at %d/s, client stopped %d s in\n", lines, rate, pauseAtS);
    for (const Run &run : runs)
        runClient(run, lines);

    kill(server, SIGTERM);
    waitpid(server, nullptr, 0);
    return 0;
}
