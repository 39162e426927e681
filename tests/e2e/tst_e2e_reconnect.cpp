// Reconnecting against korvani-server running as its own program: the server stops and starts
// again while the chat window waits for it, keeping its conversation, and signs on under the same
// name; Disconnect ends the waiting; with reconnecting off a lost server sends the user back to
// the sign-on window as ever.

#include "support/EventLoopWait.h"
#include "ServerProcess.h"
#include "support/TestClient.h"

#include "app/AppDir.h"
#include "app/ChatFeatures.h"
#include "app/Dialogs.h"
#include "app/Form.h"
#include "app/modMain.h"
#include "options/frmOptions.h"
#include "transcript/TranscriptView.h"
#include "windows/PanelStatusBar.h"
#include "windows/UserListBox.h"
#include "windows/frmChat.h"
#include "windows/frmSignon.h"

#include <QAction>
#include <QApplication>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <utility>

namespace {

const QString serverAddress = QStringLiteral("127.0.0.217");
// Generous: the machine may be busy; nothing here measures speed.
constexpr int waitMs = 30000;

const QString droppedText = QStringLiteral("The connection was unexpectedly droped!!");

bool waitFor(const std::function<bool()> &done, int timeoutMs = waitMs)
{
    return EventLoopWait::until(done, timeoutMs);
}

// Counts the boxes and answers each with OK, after whileOpen has run as the user reads it.
class CountingDialogs : public Dialogs
{
public:
    QStringList boxes;
    std::function<void()> whileOpen;
    QMessageBox::StandardButton messageBox(QWidget *, QMessageBox::Icon, const QString &, const QString &text,
                                           QMessageBox::StandardButtons, QMessageBox::StandardButton) override
    {
        boxes.append(text);
        if (whileOpen)
            std::exchange(whileOpen, nullptr)();
        return QMessageBox::Ok;
    }
};

} // namespace

class tst_E2eReconnect : public QObject
{
    Q_OBJECT

    QTemporaryDir appDir;
    ServerProcess server{serverAddress, {QStringLiteral("--name"), QStringLiteral("Lakeside")}};
    CountingDialogs dialogs;

    static frmChat *chat() { return Form<frmChat>::loaded(); }
    static QString page() { return chat()->txtHistory->pageSource(); }
    static QStringList userList()
    {
        QStringList names;
        for (int i = 0; i < chat()->lstUsers->count(); ++i)
            names += chat()->lstUsers->item(i)->text();
        return names;
    }
    static bool signonShown() { return Form<frmSignon>::isLoaded() && Form<frmSignon>::loaded()->isVisible(); }

    bool signedOnAs(const QString &name)
    {
        const qsizetype logFrom = server.log().size();
        frmChat::signOn(name, serverAddress);
        return server.waitForLogAfter(logFrom, QStringLiteral("signed on as \"%1\"").arg(name))
            && waitFor([&] { return userList() == QStringList{name}; });
    }

    static bool pageShowsAfter(qsizetype from, const QString &text)
    {
        return waitFor([&] { return page().indexOf(text, from) >= 0; });
    }

private slots:
    void initTestCase()
    {
        QVERIFY(appDir.isValid());
        setApplicationDirectory(appDir.path());
        QApplication::setQuitOnLastWindowClosed(false);
        Dialogs::setCurrent(&dialogs);
        modMain::SetStopAction([] {});
        frmOptions::setLocalAddressSource(&frmChat::localAddress);
        QVERIFY2(server.start(), qPrintable(server.log()));
    }

    void cleanupTestCase()
    {
        Form<frmSignon>::unload();
        Form<frmChat>::unload();
        Dialogs::setCurrent(nullptr);
        setApplicationDirectory(QString());
    }

    void init()
    {
        dialogs.boxes.clear();
        if (!server.isRunning())
            QVERIFY2(server.start(), qPrintable(server.log()));
        ChatFeatures::setInForce({false, true, false});
    }

    void lostServerIsWaitedForAndSignedOnAgain()
    {
        QVERIFY(signedOnAs(QStringLiteral("alice")));
        QVERIFY(waitFor([] { return chat()->StatusBar1->panelText(1) == QLatin1String("You are connected on Server"); }));
        const QString before = page();

        QVERIFY(server.stop());
        QVERIFY(pageShowsAfter(before.size(), droppedText));
        QVERIFY(pageShowsAfter(before.size(), QStringLiteral("Reconnecting in 1 second (")));
        QVERIFY(waitFor([] { return chat()->StatusBar1->panelText(1) == QLatin1String("Reconnecting..."); }));
        // Attempts while the server is away fail, and the waits grow.
        QVERIFY(pageShowsAfter(before.size(), QStringLiteral("Reconnecting in 2 seconds (")));
        QVERIFY(chat()->isVisible());
        QVERIFY(!signonShown());
        QVERIFY(dialogs.boxes.isEmpty());

        const qsizetype logFrom = server.log().size();
        QVERIFY2(server.start(), qPrintable(server.log()));
        QVERIFY(server.waitForLogAfter(logFrom, QStringLiteral("signed on as \"alice\"")));
        QVERIFY(pageShowsAfter(before.size(), QStringLiteral("Connected again; signing on as alice.")));
        QVERIFY(waitFor([] { return userList() == QStringList{QStringLiteral("alice")}; }));
        QVERIFY(waitFor([] { return chat()->StatusBar1->panelText(1) == QLatin1String("You are connected on Server"); }));
        QVERIFY(page().startsWith(before));
        QVERIFY(chat()->isVisible());
        QVERIFY(dialogs.boxes.isEmpty());
    }

    // Disconnect while waiting: no further attempt, and the window gives up as it always did.
    void disconnectStopsTheWaiting()
    {
        QVERIFY(signedOnAs(QStringLiteral("alice")));
        const qsizetype mark = page().size();
        QVERIFY(server.stop());
        QVERIFY(pageShowsAfter(mark, QStringLiteral("Reconnecting in")));
        chat()->mnuDiscon->trigger();
        QVERIFY(waitFor(&signonShown));
        QCOMPARE(dialogs.boxes, QStringList{QStringLiteral("You are not connected on Server!!")});

        const qsizetype logFrom = server.log().size();
        QVERIFY2(server.start(), qPrintable(server.log()));
        EventLoopWait::during(3000);
        QVERIFY2(server.log().indexOf(QLatin1String("connected from"), logFrom) < 0, qPrintable(server.log().mid(logFrom)));
        Form<frmSignon>::unload();
    }

    // Turned off while waiting: the next tick gives up as without it, and no attempt signs on
    // behind the box that says so.
    void turnedOffWhileWaitingGivesUp()
    {
        QVERIFY(signedOnAs(QStringLiteral("alice")));
        const qsizetype mark = page().size();
        QVERIFY(server.stop());
        QVERIFY(pageShowsAfter(mark, QStringLiteral("Reconnecting in")));
        qsizetype logFrom = 0;
        dialogs.whileOpen = [this, &logFrom] {
            logFrom = server.log().size();
            QVERIFY(server.start());
            // Longer than any attempt and wait the schedule had begun.
            EventLoopWait::during(8000);
        };
        ChatFeatures::setInForce({});
        QVERIFY(waitFor(&signonShown));
        QCOMPARE(dialogs.boxes, QStringList{QStringLiteral("You are not connected on Server!!")});
        EventLoopWait::during(1000);
        QVERIFY2(server.log().indexOf(QLatin1String("connected from"), logFrom) < 0, qPrintable(server.log().mid(logFrom)));
        Form<frmSignon>::unload();
    }

    // A name in use, and the user declines another: the connection is closed for good and not
    // tried again under the taken name.
    void declinedNameInUseIsNotTriedAgain()
    {
        TestClient carol;
        QVERIFY(carol.signOn(QHostAddress(serverAddress), 1290, QStringLiteral("carol")));
        const qsizetype logFrom = server.log().size();
        frmChat::signOn(QStringLiteral("carol"), serverAddress);
        QVERIFY(waitFor(&signonShown));
        QCOMPARE(dialogs.boxes.size(), 2);
        QVERIFY(dialogs.boxes.first().contains(QLatin1String("is in use")));
        QCOMPARE(dialogs.boxes.last(), QStringLiteral("You are not connected on Server!!"));
        EventLoopWait::during(2500);
        QCOMPARE(server.log().mid(logFrom).count(QLatin1String("connected from")), 1);
        Form<frmSignon>::unload();
    }

    // Off, as it is unless the user turns it on: the program behaves as it always did.
    void withReconnectingOffTheUserIsSentBackToSignOn()
    {
        ChatFeatures::setInForce({});
        QVERIFY(signedOnAs(QStringLiteral("alice")));
        const qsizetype mark = page().size();
        QVERIFY(server.stop());
        QVERIFY(pageShowsAfter(mark, droppedText));
        QVERIFY(waitFor(&signonShown));
        QCOMPARE(dialogs.boxes, QStringList{QStringLiteral("You are not connected on Server!!")});
        QVERIFY(page().indexOf(QLatin1String("Reconnecting"), mark) < 0);
        Form<frmSignon>::unload();
    }
};

QTEST_MAIN(tst_E2eReconnect)
#include "tst_e2e_reconnect.moc"
