// The client's own windows, driven as a user drives them, against korvani-server running as its
// own program: sign-on, the greeting, another user's arrival, public and private messages both
// ways, a name that is taken, a kick, every way out, and a server that dies.

#include "support/EventLoopWait.h"
#include "ServerProcess.h"
#include "support/TestClient.h"

#include "app/AppDir.h"
#include "app/Dialogs.h"
#include "app/Form.h"
#include "app/modMain.h"
#include "notify/frmNewuser.h"
#include "options/frmOptions.h"
#include "windows/frmPM.h"
#include "windows/frmPrompt.h"
#include "transcript/TranscriptView.h"
#include "windows/ComposeToolbar.h"
#include "windows/InputLine.h"
#include "windows/PanelStatusBar.h"
#include "windows/frmChat.h"
#include "windows/frmSignon.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {

const QString serverAddress = QStringLiteral("127.0.0.60");
const QHostAddress serverHost(serverAddress);
constexpr quint16 chatPort = 1290;
const QString adminPassword = QStringLiteral("opsecret");

// Generous: the machine may be busy with other builds and tests; nothing here measures speed.
constexpr int waitMs = 30000;

// Stands for the time stamp in the rows below; the page is searched with any stamp in its place.
const QString stamp = QStringLiteral("\x01stamp\x01");

QString row(const QString &cellClass, const QString &content)
{
    return QStringLiteral("<table cellspacing='0' cellpadding='0'><tr><td") + cellClass + QLatin1Char('>') + content
        + QStringLiteral("</td></tr></table>");
}

QString serverRow(const QString &text)
{
    return row(QStringLiteral(" class='system'"), u'[' + stamp + QStringLiteral("] Server: ") + text);
}

QString chatRow(const QString &user, const QString &html)
{
    return row(QStringLiteral(" class='message'"), u'[' + stamp + QStringLiteral("] ") + user + QStringLiteral(": ") + html);
}

QString pmRow(const QString &user, const QString &html)
{
    return row(QStringLiteral(" class='pm'"), u'[' + stamp + QStringLiteral("] ") + user + QStringLiteral(": ") + html);
}

const QString droppedRow = serverRow(QStringLiteral(" The connection was unexpectedly droped!!"));

// Whether page holds the rows, in this order, from position `from` on.
bool holdsInOrder(const QString &page, qsizetype from, const QStringList &rows)
{
    for (const QString &wanted : rows) {
        QString pattern = QRegularExpression::escape(wanted);
        pattern.replace(QRegularExpression::escape(stamp), QStringLiteral("[^\\]]*"));
        const QRegularExpressionMatch match = QRegularExpression(pattern).match(page, from);
        if (!match.hasMatch())
            return false;
        from = match.capturedEnd();
    }
    return true;
}

bool waitFor(const std::function<bool()> &done, int timeoutMs = waitMs)
{
    return EventLoopWait::until(done, timeoutMs);
}

// Takes the peer's blocks one by one until one equals `expected`; blocks after it stay.
bool receives(TestClient &peer, const QString &expected, QStringList *seen = nullptr)
{
    bool found = false;
    waitFor([&] {
        while (!found && peer.waitForBlocks(1, 0)) {
            const QString block = peer.receive(1).constFirst();
            found = block == expected;
            if (seen)
                *seen += block;
        }
        return found;
    });
    return found;
}

// Types text into a widget key by key, as the keyboard would. Characters beyond ASCII come as key
// events that carry only their text.
void typeText(QWidget *widget, const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x80) {
            QTest::keyClick(widget, char(c.unicode()));
            continue;
        }
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
        QApplication::sendEvent(widget, &release);
    }
}

// The user at the screen: every message box is read and answered, every input box gets the name
// prepared for it.
class AnsweringUser : public Dialogs
{
public:
    struct Box
    {
        QString title;
        QString text;
        QMessageBox::StandardButtons buttons;
    };
    QList<Box> boxes;
    QStringList inputPrompts;
    bool answerYes = true;
    QString newName;

    void reset()
    {
        boxes.clear();
        inputPrompts.clear();
        answerYes = true;
        newName.clear();
    }

    QMessageBox::StandardButton messageBox(QWidget *, QMessageBox::Icon, const QString &title, const QString &text,
                                           QMessageBox::StandardButtons buttons, QMessageBox::StandardButton) override
    {
        boxes.append({title, text, buttons});
        if (buttons.testFlag(QMessageBox::Yes))
            return answerYes ? QMessageBox::Yes : QMessageBox::No;
        return QMessageBox::Ok;
    }

    QString inputBox(QWidget *, const QString &prompt, const QString &, const QString &) override
    {
        inputPrompts.append(prompt);
        return newName;
    }
};

} // namespace

// One run of the program in this process, so one chat window for all tests, as for a user: each
// test goes on from the state the one before left, and the later ones first go back to the
// sign-on window and sign on afresh.
class tst_E2eChat : public QObject
{
    Q_OBJECT

    QTemporaryDir appDir;
    ServerProcess server{serverAddress,
                         {QStringLiteral("--name"), QStringLiteral("Lakeside"), QStringLiteral("--motd"),
                          QStringLiteral("Be <i>kind</i>"), QStringLiteral("--admin-password"), adminPassword,
                          // Every greeting block must reach the client on its own, also on a busy machine.
                          QStringLiteral("--send-gap"), QStringLiteral("30")}};
    AnsweringUser user;
    std::unique_ptr<TestClient> bob;
    int stops = 0;

    static frmChat *chat() { return Form<frmChat>::loaded(); }
    static QString page() { return chat() ? chat()->txtHistory->pageSource() : QString(); }
    static qsizetype pageEnd() { return page().size(); }

    static QStringList userList()
    {
        QStringList names;
        for (int i = 0; i < chat()->lstUsers->count(); ++i)
            names += chat()->lstUsers->item(i)->text();
        return names;
    }

    static bool signonShown()
    {
        return Form<frmSignon>::isLoaded() && Form<frmSignon>::loaded()->isVisible();
    }

    // Waits until the page holds the rows in order after `from`; on failure, shows the page's end.
    static bool pageShows(qsizetype from, const QStringList &rows)
    {
        if (waitFor([&] { return holdsInOrder(page(), from, rows); }))
            return true;
        qWarning().noquote() << "page after the mark:" << page().mid(from).right(3000);
        return false;
    }

    // The sign-on window, as the user fills it in: both fields typed, then a click on "&Connect".
    bool signOnFromWindow(const QString &name)
    {
        if (!waitFor(&signonShown))
            return false;
        frmSignon *signon = Form<frmSignon>::loaded();
        signon->txtUser->clear();
        signon->txtSvrIp->clear();
        typeText(signon->txtUser, name);
        typeText(signon->txtSvrIp, serverAddress);
        QTest::mouseClick(signon->cmdConnect, Qt::LeftButton);
        return !Form<frmSignon>::isLoaded() && chat() && chat()->isVisible();
    }

    // Signed on as name: the server logged it and the own name is in the user list.
    bool signOnAs(const QString &name)
    {
        const qsizetype logFrom = server.log().size();
        if (!signOnFromWindow(name))
            return false;
        return server.waitForLogAfter(logFrom, QStringLiteral("signed on as \"%1\"").arg(name))
            && waitFor([&] { return userList().contains(name); });
    }

    // After the status timer found the connection gone: one "not connected" box, then the
    // sign-on window instead of the chat window.
    bool returnsToSignon()
    {
        if (!waitFor([this] { return signonShown() && !user.boxes.isEmpty(); }))
            return false;
        const AnsweringUser::Box box = user.boxes.constLast();
        return box.title == QLatin1String("Client") && box.text == QLatin1String("You are not connected on Server!!")
            && box.buttons == QMessageBox::Ok && !chat()->isVisible() && !chat()->tmrConnection->isActive();
    }

    // Back at the sign-on window, whatever the state: a connected client disconnects.
    bool atSignon()
    {
        if (signonShown())
            return true;
        if (chat() && chat()->isConnected())
            chat()->mnuDiscon->trigger();
        return waitFor(&signonShown);
    }

    bool bobSignedOn()
    {
        if (bob && bob->isConnected())
            return true;
        bob = std::make_unique<TestClient>();
        return bob->signOn(serverHost, chatPort, QStringLiteral("bob"));
    }

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void signOnShowsTheGreeting();
    void anotherUserArrives();
    void publicMessageMakesTheRoundTrip_data();
    void publicMessageMakesTheRoundTrip();
    void messagesOfOthersShowAsRows_data();
    void messagesOfOthersShowAsRows();
    void privateMessageShowsEscaped();
    void privateMessageFromTheUserList();
    void operatorCommandsFromThePromptWindow();
    void namesOfOthersStayText();
    void newUserNoticeShowsNameAsText();
    void nameInUseAsksForAnother_data();
    void nameInUseAsksForAnother();
    void operatorKickEndsTheConnection();
    void serverThatGoesSendsUserBackToSignon_data();
    void serverThatGoesSendsUserBackToSignon();
    void everyWayOutSaysLeave_data();
    void everyWayOutSaysLeave();
};

void tst_E2eChat::initTestCase()
{
    QVERIFY(appDir.isValid());
    // The program's folder as it is installed: smileys beside it, Options.ini written by the user.
    const QString builtSmileys = QFileInfo(QStringLiteral(KORVANI_CLIENT_PATH)).absolutePath() + QStringLiteral("/smile");
    QVERIFY(QDir().mkpath(appDir.filePath(QStringLiteral("smile"))));
    const QStringList smileys = QDir(builtSmileys).entryList(QDir::Files);
    QVERIFY(!smileys.isEmpty());
    for (const QString &file : smileys)
        QVERIFY(QFile::copy(builtSmileys + u'/' + file, appDir.filePath(QStringLiteral("smile/") + file)));
    // Joins as rows and in the notice window; the message of the day in the page.
    QFile options(appDir.filePath(QStringLiteral("Options.ini")));
    QVERIFY(options.open(QIODevice::WriteOnly));
    options.write("[Message]\r\nUmain=1\r\nUMsg=Win\r\nmssg=Main\r\n");
    options.close();
    setApplicationDirectory(appDir.path());

    // As the program starts.
    QApplication::setApplicationName(QStringLiteral("Client"));
    QApplication::setQuitOnLastWindowClosed(false);
    Dialogs::setCurrent(&user);
    modMain::SetStopAction([this] { ++stops; });
    // Prompt mode, so the operator's commands can be typed into the prompt window.
    modMain::SetFlags({QStringLiteral("-prompt")});
    frmSignon::setHandOver(&frmChat::signOn);
    frmOptions::setLocalAddressSource(&frmChat::localAddress);
    Form<frmSignon>::get()->show();

    QVERIFY2(server.start(), qPrintable(server.log()));
}

void tst_E2eChat::cleanupTestCase()
{
    bob.reset();
    frmSignon::setHandOver(nullptr);
    frmOptions::setLocalAddressSource(nullptr);
    Dialogs::setCurrent(nullptr);
    QVERIFY(server.stop());
}

void tst_E2eChat::init()
{
    user.reset();
    stops = 0;
    if (!server.isRunning())
        QVERIFY2(server.start(), qPrintable(server.log()));
}

void tst_E2eChat::signOnShowsTheGreeting()
{
    QVERIFY(signonShown());
    QVERIFY(signOnFromWindow(QStringLiteral("alice")));
    QVERIFY(server.waitForLog(QStringLiteral("signed on as \"alice\"")));

    // The server's own texts stay as sent.
    QVERIFY(pageShows(0, {QStringLiteral("<div align='center'><span class='style1'>Welcome to Lakeside Server</span></div><hr>"),
                          row(QStringLiteral(" class='system'"), QStringLiteral("<b>Message of Day:</b> Be <i>kind</i>"))
                              + QStringLiteral("<hr>")}));
    QVERIFY(waitFor([] { return userList() == QStringList{QStringLiteral("alice")}; }));
    QVERIFY(waitFor([] { return chat()->users->text() == QLatin1String("1 Users"); }));
    QCOMPARE(chat()->windowTitle(), QStringLiteral("Korvani 1.0 - (alice)"));
    QCOMPARE(chat()->txtUser->text(), QStringLiteral("alice"));

    // The status timer shows the connection and the address the server saw it come from.
    QVERIFY(waitFor([] { return chat()->StatusBar1->panelText(1) == QLatin1String("You are connected on Server"); }));
    QVERIFY(!server.lastPeerAddress().isEmpty());
    QCOMPARE(chat()->StatusBar1->panelText(2), QStringLiteral("Your Ip is: ") + server.lastPeerAddress());
    QVERIFY(user.boxes.isEmpty());
}

void tst_E2eChat::anotherUserArrives()
{
    QVERIFY(chat() && chat()->isConnected());
    const qsizetype mark = pageEnd();
    QVERIFY(bobSignedOn());

    // The notice window closes itself after a few seconds: it is looked at first.
    QVERIFY(waitFor([] {
        return Form<frmNewuser>::isLoaded() && Form<frmNewuser>::loaded()->isVisible()
            && Form<frmNewuser>::loaded()->lblNewuser->text() == QLatin1String("bob has join the chat!!!");
    }));
    QVERIFY(pageShows(mark, {serverRow(QStringLiteral("bob has joined to Chat!!!"))}));
    QVERIFY(waitFor([] { return userList() == QStringList{QStringLiteral("alice"), QStringLiteral("bob")}; }));
    QVERIFY(waitFor([] { return chat()->users->text() == QLatin1String("2 Users"); }));
}

void tst_E2eChat::publicMessageMakesTheRoundTrip_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("sent");
    QTest::addColumn<QString>("shown");

    QTest::newRow("markup, smiley, letters of the code page")
        << "Čaj [B]hi[/B] :)" << "Čaj [B]hi[/B] :)" << "Čaj <b>hi</b> <img src='{appDir}/smile/smile.gif' />";
    QTest::newRow("typed html is text") << "<b>not bold</b>" << "<b>not bold</b>" << "&lt;b&gt;not bold&lt;/b&gt;";
    // Lost on the way out, it comes back as "?" and is shown as lost, U+FFFD.
    QTest::newRow("letter outside the code page") << "日 ok" << "? ok" << "\uFFFD ok";
}

void tst_E2eChat::publicMessageMakesTheRoundTrip()
{
    QFETCH(QString, typed);
    QFETCH(QString, sent);
    QFETCH(QString, shown);
    QVERIFY(chat() && chat()->isConnected());
    QVERIFY(bobSignedOn());
    bob->takeBlocks();
    const qsizetype mark = pageEnd();

    typeText(chat()->txtText, typed);
    QVERIFY(chat()->cmdSend->isEnabled());
    QTest::keyClick(chat()->txtText, Qt::Key_Return);

    // Written only when it comes back from the server, like everyone else's.
    QVERIFY(pageShows(mark, {chatRow(QStringLiteral("alice"), shown.replace(QLatin1String("{appDir}"), appDir.path()))}));
    QVERIFY(receives(*bob, QStringLiteral("Message alice:") + sent));
    QVERIFY(chat()->txtText->isEmpty());
    QVERIFY(!chat()->cmdSend->isEnabled());
}

void tst_E2eChat::messagesOfOthersShowAsRows_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");

    QTest::newRow("plain") << "hello there" << "hello there";
    QTest::newRow("markup") << "[U]look[/U] :D" << "<u>look</u> <img src='{appDir}/smile/biggrin.gif' />";
    QTest::newRow("html is shown as text") << "<script>x</script> & more" << "&lt;script&gt;x&lt;/script&gt; & more";
    QTest::newRow("colon in the text") << "time: 10:30" << "time: 10:30";
    QTest::newRow("letters of the code page") << "Dobrý den, šťastný čtvrtek" << "Dobrý den, šťastný čtvrtek";
}

void tst_E2eChat::messagesOfOthersShowAsRows()
{
    QFETCH(QString, text);
    QFETCH(QString, shown);
    QVERIFY(chat() && chat()->isConnected());
    QVERIFY(bobSignedOn());
    const qsizetype mark = pageEnd();

    bob->send(QStringLiteral("Message bob:") + text);
    QVERIFY(pageShows(mark, {chatRow(QStringLiteral("bob"), shown.replace(QLatin1String("{appDir}"), appDir.path()))}));
}

void tst_E2eChat::privateMessageShowsEscaped()
{
    QVERIFY(chat() && chat()->isConnected());
    QVERIFY(bobSignedOn());
    const qsizetype mark = pageEnd();

    bob->send(QStringLiteral("PMMessage alice:bob|<i>psst</i> & [B]more[/B] :)"));
    // Private text is never markup: no tags, no smileys.
    QVERIFY(pageShows(mark, {pmRow(QStringLiteral("bob"), QStringLiteral("&lt;i&gt;psst&lt;/i&gt; &amp; [B]more[/B] :)"))}));
    // Private rows are the green ones.
    const qsizetype pmStyle = page().indexOf(QLatin1String(".pm {"));
    QVERIFY(pmStyle >= 0);
    QVERIFY(page().indexOf(QLatin1String("color: green;"), pmStyle) > pmStyle);
}

void tst_E2eChat::privateMessageFromTheUserList()
{
    QVERIFY(chat() && chat()->isConnected());
    QVERIFY(bobSignedOn());
    QVERIFY(waitFor([] { return userList().contains(QStringLiteral("bob")); }));
    bob->takeBlocks();

    // Select bob, then a right press on the row offers "Private Message".
    QListWidget *list = chat()->lstUsers;
    const QPoint bobRow = list->visualItemRect(list->findItems(QStringLiteral("bob"), Qt::MatchExactly).constFirst()).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, bobRow);
    QTest::mouseClick(list->viewport(), Qt::RightButton, {}, bobRow);
    QVERIFY(waitFor([] { return chat()->mnu->isVisible(); }));
    QTest::mouseClick(chat()->mnu, Qt::LeftButton, {}, chat()->mnu->actionGeometry(chat()->mnuPM).center());
    QVERIFY(waitFor([] { return Form<frmPM>::isLoaded() && Form<frmPM>::loaded()->isVisible(); }));
    frmPM *pm = Form<frmPM>::loaded();
    QCOMPARE(pm->lblUserPM->text(), QStringLiteral("bob"));

    typeText(pm->txtPM, QStringLiteral("hi <b>bob</b> & [B]co[/B]"));
    QTest::keyClick(pm->txtPM, Qt::Key_Return);
    QVERIFY(receives(*bob, QStringLiteral("PMMessage alice|hi <b>bob</b> & [B]co[/B]")));
    QVERIFY(pm->txtPM->toPlainText().isEmpty());

    // The window stays addressed to bob after he has gone; the server says so.
    bob->disconnectFromServer();
    QVERIFY(waitFor([] { return !userList().contains(QStringLiteral("bob")); }));
    const qsizetype mark = pageEnd();
    typeText(pm->txtPM, QStringLiteral("still there?"));
    QTest::keyClick(pm->txtPM, Qt::Key_Return);
    QVERIFY(pageShows(mark, {row(QStringLiteral(" class='system' "),
                                 u'[' + stamp + QStringLiteral("] Server: bob  doesn't exist, or has left!!!"))}));
    QVERIFY(pm->close());
    QVERIFY(!Form<frmPM>::isLoaded());
}

void tst_E2eChat::operatorCommandsFromThePromptWindow()
{
    QVERIFY(chat() && chat()->isConnected());
    QVERIFY(bobSignedOn());
    QVERIFY(waitFor([] { return userList().contains(QStringLiteral("bob")); }));
    const qsizetype logFrom = server.log().size();
    const qsizetype mark = pageEnd();

    chat()->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(chat()));
    QTest::keySequence(chat(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P));
    QVERIFY(waitFor([] { return Form<frmPrompt>::isLoaded() && Form<frmPrompt>::loaded()->isVisible(); }));
    frmPrompt *prompt = Form<frmPrompt>::loaded();

    typeText(prompt->txtPrompt, QStringLiteral("login ") + adminPassword);
    QTest::keyClick(prompt->txtPrompt, Qt::Key_Return);
    QVERIFY(server.waitForLogAfter(logFrom, QStringLiteral("\"alice\" is an operator")));
    typeText(prompt->txtPrompt, QStringLiteral("kick bob"));
    QTest::keyClick(prompt->txtPrompt, Qt::Key_Return);

    QVERIFY(receives(*bob, QStringLiteral("UKicked alice")));
    QVERIFY(bob->waitForDisconnected(waitMs));
    QVERIFY(pageShows(mark, {serverRow(QStringLiteral("bob has Kick from the Chat!!!"))}));
    QVERIFY(waitFor([] { return userList() == QStringList{QStringLiteral("alice")}; }));
    QVERIFY(prompt->close());
}

void tst_E2eChat::namesOfOthersStayText()
{
    QVERIFY(chat() && chat()->isConnected());
    const QString name = QStringLiteral("<b>eve</b> & co");
    const QString shown = QStringLiteral("&lt;b&gt;eve&lt;/b&gt; &amp; co");
    const qsizetype mark = pageEnd();

    TestClient eve;
    QVERIFY(eve.signOn(serverHost, chatPort, name));
    QVERIFY(waitFor([&] { return userList().contains(name); }));
    eve.send(QStringLiteral("Message ") + name + QStringLiteral(":hi"));
    eve.send(QStringLiteral("PMMessage alice:") + name + QStringLiteral("|psst"));
    eve.disconnectFromServer();

    QVERIFY(pageShows(mark, {serverRow(shown + QStringLiteral(" has joined to Chat!!!")), chatRow(shown, QStringLiteral("hi")),
                             pmRow(shown, QStringLiteral("psst")), serverRow(shown + QStringLiteral(" has logoff from the Chat!!!"))}));
    QVERIFY(waitFor([&] { return !userList().contains(name); }));
}

// A user name is the other user's own text: the notice that announces it must not lay it out as
// markup, as the rows and the list do not.
void tst_E2eChat::newUserNoticeShowsNameAsText()
{
    QVERIFY(chat() && chat()->isConnected());
    const QString name = QStringLiteral("<font size=7>mallory</font>");
    const QString notice = name + QStringLiteral(" has join the chat!!!");

    TestClient mallory;
    QVERIFY(mallory.signOn(serverHost, chatPort, name));
    QLabel *label = nullptr;
    QVERIFY(waitFor([&] {
        label = Form<frmNewuser>::isLoaded() ? Form<frmNewuser>::loaded()->lblNewuser : nullptr;
        return label && label->isVisible() && label->text() == notice;
    }));
    // How QLabel decides whether it lays its text out as rich text.
    const bool laidOutAsMarkup = label->textFormat() == Qt::RichText
        || (label->textFormat() == Qt::AutoText && Qt::mightBeRichText(label->text()));
    mallory.disconnectFromServer();
    QVERIFY(!laidOutAsMarkup);
}

void tst_E2eChat::nameInUseAsksForAnother_data()
{
    QTest::addColumn<bool>("answerYes");
    QTest::addColumn<QString>("newName");

    QTest::newRow("yes, with a new name") << true << "alice2";
    QTest::newRow("no") << false << "";
}

void tst_E2eChat::nameInUseAsksForAnother()
{
    QFETCH(bool, answerYes);
    QFETCH(QString, newName);
    QVERIFY(bobSignedOn());
    QVERIFY(atSignon());
    user.reset();
    user.answerYes = answerYes;
    user.newName = newName;
    bob->takeBlocks();
    const qsizetype logFrom = server.log().size();

    QVERIFY(signOnFromWindow(QStringLiteral("bob")));
    QVERIFY(server.waitForLogAfter(logFrom, QStringLiteral("refused name \"bob\": in use")));
    QVERIFY(waitFor([this] { return !user.boxes.isEmpty(); }));
    const AnsweringUser::Box asked = user.boxes.constFirst();
    QCOMPARE(asked.title, QStringLiteral("Username Error"));
    QCOMPARE(asked.text, QStringLiteral("The username bob is in use.\r\nWould you like to enter a new one."));
    QCOMPARE(asked.buttons, QMessageBox::Yes | QMessageBox::No);

    if (!answerYes) {
        // The client closes the connection; the status timer sends the user back.
        QVERIFY(returnsToSignon());
        QCOMPARE(user.boxes.size(), 2);
        QVERIFY(user.inputPrompts.isEmpty());
        return;
    }
    QCOMPARE(user.inputPrompts, QStringList{QStringLiteral("Please enter a new username.")});
    QVERIFY(server.waitForLogAfter(logFrom, QStringLiteral("signed on as \"%1\"").arg(newName)));
    QVERIFY(receives(*bob, QStringLiteral("Joined ") + newName));
    QVERIFY(waitFor([&] { return userList() == QStringList{QStringLiteral("bob"), newName}; }));
    QCOMPARE(chat()->windowTitle(), QStringLiteral("Korvani - (%1)").arg(newName));
    QCOMPARE(chat()->txtUser->text(), newName);
    // What the user writes now goes out under the new name.
    typeText(chat()->txtText, QStringLiteral("renamed"));
    QTest::keyClick(chat()->txtText, Qt::Key_Return);
    QVERIFY(receives(*bob, QStringLiteral("Message %1:renamed").arg(newName)));
    QCOMPARE(user.boxes.size(), 1);
}

void tst_E2eChat::operatorKickEndsTheConnection()
{
    QVERIFY(bobSignedOn());
    QVERIFY(atSignon());
    QVERIFY(signOnAs(QStringLiteral("carl")));
    user.reset();
    const qsizetype logFrom = server.log().size();
    const qsizetype mark = pageEnd();

    bob->send(QStringLiteral("Prompt login ") + adminPassword);
    QVERIFY(server.waitForLogAfter(logFrom, QStringLiteral("\"bob\" is an operator")));
    bob->takeBlocks();
    bob->send(QStringLiteral("Prompt kick carl"));

    QVERIFY(receives(*bob, QStringLiteral("Kicked carl")));
    QVERIFY(pageShows(mark, {serverRow(QStringLiteral("you has been kick by  bob")), droppedRow}));
    QVERIFY(waitFor([] { return userList().isEmpty(); }));
    QVERIFY(returnsToSignon());
    QCOMPARE(user.boxes.size(), 1);
}

void tst_E2eChat::serverThatGoesSendsUserBackToSignon_data()
{
    QTest::addColumn<bool>("killed");

    // Killed, the system closes its connections in order; stopped, the server drops them at once.
    QTest::newRow("killed") << true;
    QTest::newRow("stopped by a signal") << false;
}

void tst_E2eChat::serverThatGoesSendsUserBackToSignon()
{
    QFETCH(bool, killed);
    QVERIFY(atSignon());
    QVERIFY(signOnAs(QStringLiteral("alice")));
    QVERIFY(waitFor([] { return chat()->StatusBar1->panelText(1) == QLatin1String("You are connected on Server"); }));
    user.reset();
    const qsizetype mark = pageEnd();

    QVERIFY(killed ? server.kill() : server.stop());

    QVERIFY(pageShows(mark, {droppedRow}));
    QVERIFY(waitFor([] { return userList().isEmpty(); }));
    QVERIFY(returnsToSignon());
    QCOMPARE(user.boxes.size(), 1);
}

void tst_E2eChat::everyWayOutSaysLeave_data()
{
    QTest::addColumn<QString>("way");
    QTest::addColumn<int>("expectedStops");

    // Disconnect keeps the program; the others end it (here only counted). The close box comes
    // last: after it the window has no tray icon any more.
    QTest::newRow("Disconnect") << "disconnect" << 0;
    QTest::newRow("toolbar Exit") << "exit" << 1;
    QTest::newRow("close box") << "close" << 1;
}

void tst_E2eChat::everyWayOutSaysLeave()
{
    QFETCH(QString, way);
    QFETCH(int, expectedStops);
    QVERIFY(bobSignedOn());
    QVERIFY(atSignon());
    QVERIFY(signOnAs(QStringLiteral("alice")));
    bob->takeBlocks();
    user.reset();
    const qsizetype logFrom = server.log().size();

    if (way == QLatin1String("disconnect")) {
        chat()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(chat()));
        QTest::keySequence(chat(), QKeySequence(Qt::CTRL | Qt::Key_D));
    } else if (way == QLatin1String("exit")) {
        QTest::mouseClick(chat()->Toolbar1->widgetForAction(chat()->Toolbar1->button(12)), Qt::LeftButton);
    } else {
        QVERIFY(chat()->close());
    }

    QVERIFY(receives(*bob, QStringLiteral("Left alice")));
    QVERIFY(server.waitForLogAfter(logFrom, QStringLiteral("\"alice\" left")));
    QCOMPARE(stops, expectedStops);
    if (way == QLatin1String("disconnect")) {
        QVERIFY(returnsToSignon());
        QCOMPARE(user.boxes.size(), 1);
    }
}

QTEST_MAIN(tst_E2eChat)
#include "tst_e2e_chat.moc"
