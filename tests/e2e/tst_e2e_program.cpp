// The korvani program itself, installed in a folder of its own with a remembered sign-on, against
// korvani-server: it signs on by itself, takes what the server and the other users send, floods
// included, outlives the server, and says "Leave" when its window is closed.

#include "support/EventLoopWait.h"
#include "ServerProcess.h"
#include "support/TestClient.h"
#include "X11Display.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

constexpr quint16 chatPort = 1290;
// Generous: the machine may be busy with other builds and tests; nothing here measures speed.
constexpr int waitMs = 30000;
// Longer than the sign-on window's automatic connect (2 s) and the status check (1 s) together.
constexpr int settleMs = 6000;

// The program as a user installs it: the executable with its sound module, smile/ and sound/
// beside it, and an Options.ini that remembers the user and the server and connects at start.
class InstalledProgram
{
public:
    ~InstalledProgram()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished();
        }
    }

    bool install(const QString &serverAddress)
    {
        const QFileInfo built(QStringLiteral(KORVANI_CLIENT_PATH));
        m_executable = m_folder.filePath(built.fileName());
        if (!m_folder.isValid() || !QFile::copy(built.absoluteFilePath(), m_executable))
            return false;
        const QString soundModule = QStringLiteral("korvani-sound.so");
        if (!QFile::copy(built.absolutePath() + u'/' + soundModule, m_folder.filePath(soundModule)))
            return false;
        for (const QString &sub : {QStringLiteral("smile"), QStringLiteral("sound")}) {
            const QDir from(built.absolutePath() + u'/' + sub);
            if (!QDir(m_folder.path()).mkpath(sub) || from.isEmpty())
                return false;
            for (const QString &file : from.entryList(QDir::Files)) {
                if (!QFile::copy(from.filePath(file), m_folder.filePath(sub + u'/' + file)))
                    return false;
            }
        }
        QFile options(m_folder.filePath(QStringLiteral("Options.ini")));
        if (!options.open(QIODevice::WriteOnly))
            return false;
        options.write(QStringLiteral("[UserSvr]\r\nUser=carol\r\nSvr=%1\r\nAC=1\r\n").arg(serverAddress).toUtf8());
        return true;
    }

    // platform: "offscreen", or "xcb" with the display.
    void start(const QString &platform, const QString &display = QString())
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
        environment.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("qt.multimedia*=false"));
        if (display.isEmpty())
            environment.remove(QStringLiteral("DISPLAY"));
        else
            environment.insert(QStringLiteral("DISPLAY"), display);
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(m_folder.path());
        process.setProcessChannelMode(QProcess::MergedChannels);
        QObject::connect(&process, &QProcess::readyRead, [this] { output += QString::fromLocal8Bit(process.readAll()); });
        process.start(m_executable, {});
    }

    bool isRunning() const { return process.state() == QProcess::Running; }

    QProcess process;
    QString output;

private:
    QTemporaryDir m_folder;
    QString m_executable;
};

// Takes the peer's blocks until one holds `expected` as a message of its own or at the end of a
// block: on a busy machine a flood can reach the peer two messages to a read.
bool receives(TestClient &peer, const QString &expected, int timeoutMs = waitMs)
{
    bool found = false;
    EventLoopWait::until([&] {
        for (const QString &block : peer.takeBlocks())
            found = found || block.endsWith(expected);
        return found;
    }, timeoutMs);
    return found;
}

std::unique_ptr<TestClient> signedOn(const QHostAddress &server, const QString &name)
{
    auto client = std::make_unique<TestClient>();
    if (!client->signOn(server, chatPort, name))
        return nullptr;
    return client;
}

// Public messages with markup and smileys, and now and then a private one, as fast as the server
// takes them; the last public one comes back to the sender once the server has passed them all on.
bool flood(TestClient &sender, int count)
{
    for (int i = 0; i < count; ++i) {
        sender.send(QStringLiteral("Message dave:flood %1 [B]bold[/B] :) lol <i>tag</i>").arg(i));
        if (i % 100 == 0)
            sender.send(QStringLiteral("PMMessage carol:dave|private %1 <b>text</b>").arg(i));
    }
    return receives(sender, QStringLiteral("Message dave:flood %1 [B]bold[/B] :) lol <i>tag</i>").arg(count - 1));
}

bool signedOff(const ServerProcess &server, qsizetype from, const QString &name)
{
    const QString log = server.log().mid(from);
    return log.contains(QStringLiteral("\"%1\" left").arg(name)) || log.contains(QStringLiteral("\"%1\" kicked").arg(name));
}

} // namespace

class tst_E2eProgram : public QObject
{
    Q_OBJECT

private slots:
    void outlivesFloodsAndTheServerOffscreen();
    void signsOnAgainAndLeavesThroughItsWindowsOnX();
};

void tst_E2eProgram::outlivesFloodsAndTheServerOffscreen()
{
    const QString address = QStringLiteral("127.0.0.70");
    const QHostAddress host(address);
    ServerProcess server(address, {});
    QVERIFY2(server.start(), qPrintable(server.log()));
    std::unique_ptr<TestClient> dave = signedOn(host, QStringLiteral("dave"));
    QVERIFY(dave);

    InstalledProgram program;
    QVERIFY(program.install(address));
    program.start(QStringLiteral("offscreen"));

    // The sign-on window connects by itself two seconds after the start.
    QVERIFY2(receives(*dave, QStringLiteral("Joined carol")), qPrintable(program.output));
    QVERIFY(server.waitForLog(QStringLiteral("signed on as \"carol\"")));
    const qsizetype signedOnAt = server.log().size();

    dave->send(QStringLiteral("Message dave:hello carol :) [U]underlined[/U] <script>x</script>"));
    dave->send(QStringLiteral("PMMessage carol:dave|psst <b>secret</b> & more"));
    QVERIFY(flood(*dave, 1000));
    EventLoopWait::during(settleMs);
    QVERIFY2(program.isRunning(), qPrintable(program.output));
    QVERIFY2(!signedOff(server, signedOnAt, QStringLiteral("carol")), qPrintable(server.log()));

    // The program shows the loss and then its "not connected" box. Nobody can answer a box on the
    // offscreen platform, so the program waits there: it neither ends nor signs on again behind
    // the user's back.
    QVERIFY(server.stop());
    dave.reset();
    EventLoopWait::during(settleMs);
    QVERIFY2(program.isRunning(), qPrintable(program.output));
    QVERIFY2(server.start(), qPrintable(server.log()));
    const qsizetype restartedAt = server.log().size();
    dave = signedOn(host, QStringLiteral("dave"));
    QVERIFY(dave);
    EventLoopWait::during(settleMs);
    QVERIFY(!server.log().mid(restartedAt).contains(QLatin1String("signed on as \"carol\"")));
    QVERIFY(program.isRunning());

    program.process.terminate();
    QVERIFY(program.process.waitForFinished(waitMs));
}

// On an X display the program's windows can be closed as a user closes them: the "not connected"
// box after the server went, so the sign-on window connects again by itself, and at last the chat
// window, which signs off and ends the program.
void tst_E2eProgram::signsOnAgainAndLeavesThroughItsWindowsOnX()
{
    X11Display display(QStringLiteral(":70"));
    if (!display.open())
        QSKIP(qPrintable(QStringLiteral("no X display: ") + display.why()));

    const QString address = QStringLiteral("127.0.0.71");
    const QHostAddress host(address);
    ServerProcess server(address, {});
    QVERIFY2(server.start(), qPrintable(server.log()));
    std::unique_ptr<TestClient> dave = signedOn(host, QStringLiteral("dave"));
    QVERIFY(dave);

    InstalledProgram program;
    QVERIFY(program.install(address));
    program.start(QStringLiteral("xcb"), display.name());
    QVERIFY2(receives(*dave, QStringLiteral("Joined carol")), qPrintable(program.output));
    const QString chatTitle = QStringLiteral("Korvani 1.0 - (carol)");
    QVERIFY(EventLoopWait::until([&] { return !display.windowsTitled(chatTitle).isEmpty(); }, waitMs));
    QVERIFY(flood(*dave, 300));

    QVERIFY(server.stop());
    dave.reset();
    QList<quint32> boxes;
    QVERIFY2(EventLoopWait::until([&] { return !(boxes = display.windowsTitled(QStringLiteral("Client"))).isEmpty(); }, waitMs),
             qPrintable(program.output));
    QCOMPARE(boxes.size(), 1);
    QVERIFY(display.windowsTitled(chatTitle).size() == 1);

    // The server is back before the user closes the box; the sign-on window then connects again.
    QVERIFY2(server.start(), qPrintable(server.log()));
    dave = signedOn(host, QStringLiteral("dave"));
    QVERIFY(dave);
    QVERIFY(display.close(boxes.constFirst()));
    QVERIFY2(receives(*dave, QStringLiteral("Joined carol")), qPrintable(program.output));

    QList<quint32> chatWindows;
    QVERIFY(EventLoopWait::until([&] { return !(chatWindows = display.windowsTitled(chatTitle)).isEmpty(); }, waitMs));
    QVERIFY(display.close(chatWindows.constFirst()));
    QVERIFY(receives(*dave, QStringLiteral("Left carol")));
    QVERIFY(EventLoopWait::until([&] { return !program.isRunning(); }, waitMs));
    QCOMPARE(program.process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.process.exitCode(), 0);
}

QTEST_MAIN(tst_E2eProgram)
#include "tst_e2e_program.moc"
