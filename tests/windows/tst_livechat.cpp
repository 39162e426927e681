#include "support/LiveChatTestCase.h"
#include "support/LiveChatServer.h"
#include "support/SilentChatServer.h"

#include "app/Form.h"
#include "net/ChatConnection.h"
#include "notify/frmMessage.h"
#include "notify/frmNewuser.h"
#include "notify/frmSysTray.h"
#include "options/frmOptions.h"
#include "transcript/MessageMarkup.h"
#include "transcript/TranscriptRows.h"
#include "transcript/TranscriptView.h"
#include "windows/ComposeToolbar.h"
#include "windows/InputLine.h"
#include "windows/PanelStatusBar.h"
#include "windows/frmChat.h"
#include "windows/frmPM.h"
#include "windows/frmPrompt.h"
#include "windows/frmSignon.h"

#include <QAction>
#include <QCheckBox>
#include <QDeadlineTimer>
#include <QHostAddress>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <QToolButton>

namespace {

constexpr int waitMs = 5000;
// The status timer gives a connection one second; the box follows within the next tick or two.
constexpr int boxWaitMs = 3000;

// Rows are written with this in place of the time stamp; the page is searched for them with any
// stamp there.
const QString anyStamp = QStringLiteral("\x01stamp\x01");

const QString systemCell = QStringLiteral("<table cellspacing='0' cellpadding='0'><tr><td class='system'>[");
const QString rowEnd = QStringLiteral("</td></tr></table>");

QString serverRow(const QString &text)
{
    return systemCell + anyStamp + QStringLiteral("] Server: ") + text + rowEnd;
}

QString chatRow(const QString &user, const QString &text)
{
    return TranscriptRows::chatRow(anyStamp, user, MessageMarkup::ConvertMarkup(text));
}

QString hintRow(const QString &text)
{
    return TranscriptRows::textRow(anyStamp, text);
}

const QString notConnectedHint = QStringLiteral("  ~// You must be connected to some to send text");

// Where each row stands in the page, in the order given; -1 for a row that is missing or out of
// order.
QList<qsizetype> rowPositions(const QString &page, const QStringList &rows)
{
    QList<qsizetype> positions;
    qsizetype from = 0;
    for (const QString &row : rows) {
        QString pattern = QRegularExpression::escape(row);
        pattern.replace(QRegularExpression::escape(anyStamp), QStringLiteral("[^\\]]*"));
        const QRegularExpressionMatch match = QRegularExpression(pattern).match(page, from);
        positions << (match.hasMatch() ? match.capturedStart() : -1);
        if (match.hasMatch())
            from = match.capturedEnd();
    }
    return positions;
}

bool hasRowsInOrder(const QString &page, const QStringList &rows)
{
    return !rowPositions(page, rows).contains(-1);
}

bool endsWithRow(const QString &page, const QString &row)
{
    QString pattern = QRegularExpression::escape(row);
    pattern.replace(QRegularExpression::escape(anyStamp), QStringLiteral("[^\\]]*"));
    return QRegularExpression(pattern + QStringLiteral("$")).match(page).hasMatch();
}

// Runs events without the pauses of QTest::qWaitFor, for floods of blocks.
bool pumpUntil(const std::function<bool()> &done, int timeoutMs = waitMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents();
    }
    return true;
}

// The caption a window has each time it is shown.
class CaptionsWhenShown : public QObject
{
public:
    explicit CaptionsWhenShown(QWidget *window) { window->installEventFilter(this); }
    QStringList captions;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show)
            captions += static_cast<QWidget *>(watched)->windowTitle();
        return false;
    }
};

} // namespace

// The main chat window against a real server end on the loopback: sign-on, what the server's
// blocks do to the window, sending, losing the connection, the ways out, and bad input.
class tst_LiveChat : public LiveChatTestCase
{
    Q_OBJECT

    int stops = 0;

    static frmChat *chat() { return Form<frmChat>::loaded(); }
    static QString page() { return chat()->txtHistory->pageSource(); }

    // The sign-on window's connect step, with the fields as typed.
    static void signOn(const QString &userName, const QString &address)
    {
        frmSignon *signon = Form<frmSignon>::get();
        signon->txtUser->setText(userName);
        signon->txtSvrIp->setText(address);
        signon->cmdConnect_Click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    static void typeAndPressEnter(const QString &text)
    {
        chat()->txtText->setText(text);
        QTest::keyClick(chat()->txtText, Qt::Key_Return);
    }

    void verifyBackAtSignon()
    {
        QCOMPARE(dialogs.boxes.size(), 1);
        const LiveChatDialogs::Box &box = dialogs.boxes.first();
        QCOMPARE(box.text, QStringLiteral("You are not connected on Server!!"));
        QCOMPARE(box.title, QStringLiteral("Client"));
        QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(box.icon, QMessageBox::NoIcon);
        QVERIFY(!chat()->isVisible());
        QVERIFY(!chat()->tmrConnection->isActive());
        QVERIFY(Form<frmSignon>::isLoaded());
        QVERIFY(Form<frmSignon>::loaded()->isVisible());
    }

private slots:
    void init()
    {
        dialogs.reset();
        choices.joinRow = true;
        choices.motdMain = true;
        choices.motdWindow = false;
        fakes.sounds.played.clear();
        stops = 0;
        modMain::SetStopAction([this] { ++stops; });
        modMain::SoundsOn = true;
        modMain::PromptMode = false;
    }

    void cleanup()
    {
        for (auto unload : {&Form<frmSignon>::unload, &Form<frmNewuser>::unload, &Form<frmMessage>::unload,
                            &Form<frmOptions>::unload, &Form<frmPM>::unload, &Form<frmPrompt>::unload,
                            &Form<frmChat>::unload})
            unload();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QFile::remove(modMain::SettingsPath());
    }

    void signOnJoinsAndShowsTheChat_data()
    {
        QTest::addColumn<QString>("userName");
        QTest::addColumn<QByteArray>("join");
        QTest::newRow("plain") << QStringLiteral("ana") << QByteArray("Join ana");
        QTest::newRow("blanks as typed") << QStringLiteral("  ana ") << QByteArray("Join   ana ");
        QTest::newRow("Central European letters") << QStringLiteral("Čedo Žan") << QByteArray("Join \xC8""edo \x8E""an");
    }

    void signOnJoinsAndShowsTheChat()
    {
        QFETCH(QString, userName);
        QFETCH(QByteArray, join);
        LiveChatServer server(QStringLiteral("127.0.0.40"));
        QVERIFY(server.isListening());
        frmChat *window = Form<frmChat>::get();
        window->hide();
        const CaptionsWhenShown shown(window);

        signOn(userName, QStringLiteral("127.0.0.40"));

        QVERIFY(!Form<frmSignon>::isLoaded());
        QVERIFY(chat()->isVisible());
        QCOMPARE(chat()->windowTitle(), QStringLiteral("Korvani 1.0 - (") + userName + QStringLiteral(")"));
        QCOMPARE(shown.captions, QStringList{chat()->windowTitle()});
        QCOMPARE(chat()->txtUser->text(), userName);
        QVERIFY(chat()->tmrConnection->isActive());
        QTRY_COMPARE_WITH_TIMEOUT(server.received(), join, waitMs);

        // The status check shows the connection and its local end, here and in the options.
        QTRY_COMPARE_WITH_TIMEOUT(chat()->StatusBar1->panelText(1), QStringLiteral("You are connected on Server"), boxWaitMs);
        const QString local = chat()->wskClient->localAddress();
        QVERIFY(!QHostAddress(local).isNull());
        QCOMPARE(chat()->StatusBar1->panelText(2), QStringLiteral("Your Ip is: ") + local);
        QCOMPARE(Form<frmOptions>::get()->txtIp->text(), local);
        QTest::qWait(1100); // a second tick finds it still connected
        QVERIFY(dialogs.boxes.isEmpty());
        QVERIFY(chat()->isVisible());
    }

    // A server that never offers UTF-8 carries Windows-1250 only: once its greeting has come, the
    // input line marks what would go out as "?", and the own message comes back marked as lost,
    // never as the question smiley. Signed off, nothing is marked.
    void legacyServerLosesWhatTheInputLineMarks()
    {
        LiveChatServer server(QStringLiteral("127.0.0.176"));
        QVERIFY(server.isListening());
        signOn(QStringLiteral("ana"), QStringLiteral("127.0.0.176"));
        QTRY_COMPARE_WITH_TIMEOUT(server.received(), QByteArray("Join ana"), waitMs);
        QVERIFY(!chat()->txtText->marksLostCharacters());
        server.send("UserList ana");
        QTRY_VERIFY_WITH_TIMEOUT(chat()->txtText->marksLostCharacters(), waitMs);

        chat()->txtText->setText(QStringLiteral("\u65E5\u672C \u017C"));
        QCOMPARE(chat()->txtText->lostCharacterMarks().size(), 1);
        chat()->cmdSend_Click();
        QTRY_COMPARE_WITH_TIMEOUT(server.received(), QByteArray("Join ana") + QByteArray("Message ana:?? \xBF"), waitMs);
        server.send("Message ana:?? \xBF");
        QTRY_VERIFY_WITH_TIMEOUT(page().contains(QStringLiteral("ana: \uFFFD\uFFFD \u017C")), waitMs);
        QVERIFY(!page().contains(QStringLiteral("question.gif")));

        server.dropClient();
        QTRY_VERIFY_WITH_TIMEOUT(!chat()->txtText->marksLostCharacters(), waitMs);
    }

    void serverBlocksShowInTheWindow()
    {
        LiveChatServer server(QStringLiteral("127.0.0.41"));
        signOn(QStringLiteral("ana"), QStringLiteral("127.0.0.41"));
        QTRY_COMPARE_WITH_TIMEOUT(server.received(), QByteArray("Join ana"), waitMs);

        server.send("Welcome Test");
        server.send("Msgday Hello <i>all</i>");
        server.send("UserList ana");
        server.send("UserList bob");
        QTRY_COMPARE_WITH_TIMEOUT(chat()->users->text(), QStringLiteral("2 Users"), waitMs);
        server.send("Joined c<i>d");
        server.send("Message bob:hi :) [B]you[/B]");
        server.send("PMMessage bob|psst <b>");
        server.send("Left bob");
        server.send("Message c<i>d:\xE8""au"); // Windows-1250 "č"

        const QStringList rows = {
            QStringLiteral("<div align='center'><span class='style1'>Welcome to Test Server</span></div><hr>"),
            QStringLiteral("<table cellspacing='0' cellpadding='0'><tr><td class='system'><b>Message of Day:</b> "
                           "Hello <i>all</i></td></tr></table><hr>"),
            serverRow(QStringLiteral("c&lt;i&gt;d has joined to Chat!!!")),
            chatRow(QStringLiteral("bob"), QStringLiteral("hi :) [B]you[/B]")),
            TranscriptRows::pmRow(anyStamp, QStringLiteral("bob"), QStringLiteral("psst <b>")),
            serverRow(QStringLiteral("bob has logoff from the Chat!!!")),
            chatRow(QStringLiteral("c<i>d"), QStringLiteral("\u010Dau")),
        };
        QTRY_VERIFY2_WITH_TIMEOUT(hasRowsInOrder(page(), rows), qPrintable(page().right(3000)), waitMs);

        QCOMPARE(chat()->lstUsers->count(), 2);
        QCOMPARE(chat()->lstUsers->item(0)->text(), QStringLiteral("ana"));
        QCOMPARE(chat()->lstUsers->item(1)->text(), QStringLiteral("c<i>d"));
        QCOMPARE(chat()->users->text(), QStringLiteral("2 Users"));
        QVERIFY(Form<frmNewuser>::isLoaded());
        QCOMPARE(Form<frmNewuser>::loaded()->lblNewuser->text(), QStringLiteral("c<i>d has join the chat!!!"));
        // Join, message, the private row's own sound replaced by its row, leave, message.
        QCOMPARE(fakes.sounds.played,
                 QStringList({"/sounds/row4.wav", "/sounds/row1.wav", "/sounds/row4.wav", "/sounds/row2.wav",
                              "/sounds/row5.wav", "/sounds/row1.wav"}));
    }

    void messageOfDayInItsWindow()
    {
        choices.motdMain = false;
        choices.motdWindow = true;
        LiveChatServer server(QStringLiteral("127.0.0.42"));
        QVERIFY(connectedAsAna(server, QStringLiteral("127.0.0.42")));
        const QString before = page();

        server.send("Msgday Hello <i>all</i>");

        QTRY_VERIFY_WITH_TIMEOUT(Form<frmMessage>::isLoaded(), waitMs);
        QCOMPARE(Form<frmMessage>::loaded()->txtmessage->toPlainText(), QStringLiteral("Hello <i>all</i>"));
        QCOMPARE(page(), before);
    }

    // Loading the window gives the user list its menu; in prompt mode "Prompt" opens its window.
    void menusOfTheLoadedWindow()
    {
        modMain::PromptMode = true;
        frmChat *window = Form<frmChat>::get();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        window->lstUsers->addItems({QStringLiteral("ana"), QStringLiteral("bob")});
        window->lstUsers->setCurrentRow(1);

        QTest::mousePress(window->lstUsers->viewport(), Qt::RightButton, {},
                          window->lstUsers->visualItemRect(window->lstUsers->item(0)).center());
        QTRY_VERIFY(window->mnu->isVisible());
        window->mnu->close();
        QCOMPARE(window->lstUsers->currentRow(), 1);

        window->mnuPrompt->trigger();
        QVERIFY(Form<frmPrompt>::isLoaded());
        QVERIFY(Form<frmPrompt>::loaded()->isVisible());
    }

    void enterSendsThePublicMessage_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("sent");
        QTest::newRow("plain") << QStringLiteral("hello there") << QByteArray("Message ana:hello there");
        QTest::newRow("colons stay in the text") << QStringLiteral("a:b:c") << QByteArray("Message ana:a:b:c");
        QTest::newRow("markup goes as typed") << QStringLiteral("[B]hi[/B] :)") << QByteArray("Message ana:[B]hi[/B] :)");
        QTest::newRow("one blank") << QStringLiteral(" ") << QByteArray("Message ana: ");
        QTest::newRow("pasted line breaks as CR LF") << QStringLiteral("one\ntwo\n") << QByteArray("Message ana:one\r\ntwo\r\n");
        QTest::newRow("Windows-1250") << QStringLiteral("Čau žabo") << QByteArray("Message ana:\xC8""au \x9E""abo");
        QTest::newRow("outside the code page") << QStringLiteral("\u65E5 \u20AC") << QByteArray("Message ana:? \x80");
        QTest::newRow("empty line sends nothing") << QString() << QByteArray();
    }

    void enterSendsThePublicMessage()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, sent);
        LiveChatServer server(QStringLiteral("127.0.0.43"));
        QVERIFY(connectedAsAna(server, QStringLiteral("127.0.0.43")));
        const QString before = page();

        typeAndPressEnter(text);

        QTRY_COMPARE_WITH_TIMEOUT(server.received(), QByteArray("Join ana") + sent, waitMs);
        QTest::qWait(100);
        QCOMPARE(server.received(), QByteArray("Join ana") + sent);
        QCOMPARE(chat()->txtText->text(), QString());
        // Our own message shows when the server sends it back, not before.
        QCOMPARE(page(), before);
    }

    void enterWithoutConnectionKeepsTheText_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("never connected") << QStringLiteral("never");
        QTest::newRow("dropped by the server") << QStringLiteral("dropped");
        QTest::newRow("after Disconnect") << QStringLiteral("disconnected");
    }

    void enterWithoutConnectionKeepsTheText()
    {
        QFETCH(QString, how);
        LiveChatServer server(QStringLiteral("127.0.0.44"));
        if (how == QLatin1String("never")) {
            Form<frmChat>::get()->show();
        } else {
            QVERIFY(connectedAsAna(server, QStringLiteral("127.0.0.44")));
            if (how == QLatin1String("dropped"))
                server.dropClient();
            else
                chat()->mnuDiscon->trigger();
            QTRY_VERIFY_WITH_TIMEOUT(!chat()->isConnected(), waitMs);
        }
        const QByteArray sentBefore = server.received();

        typeAndPressEnter(QStringLiteral("worth keeping"));

        QVERIFY2(endsWithRow(page(), hintRow(notConnectedHint)), qPrintable(page().right(500)));
        QCOMPARE(chat()->txtText->text(), QStringLiteral("worth keeping"));
        QTest::qWait(100);
        QCOMPARE(server.received(), sentBefore);
    }

    void lostConnectionReturnsToSignon_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QByteArray>("sent");
        QTest::newRow("refused") << QStringLiteral("refused") << QByteArray();
        QTest::newRow("never answers") << QStringLiteral("silent") << QByteArray();
        QTest::newRow("Disconnect") << QStringLiteral("disconnect") << QByteArray("Join anaLeave ana");
    }

    void lostConnectionReturnsToSignon()
    {
        QFETCH(QString, how);
        QFETCH(QByteArray, sent);
        const QString address = QStringLiteral("127.0.0.45");
        QByteArray sentLater;

        if (how == QLatin1String("refused")) {
            signOn(QStringLiteral("ana"), address);
        } else if (how == QLatin1String("silent")) {
            SilentChatServer silent(address);
            QVERIFY(silent.isSilent());
            // The server comes to life while the box is open and stays so: the abandoned attempt
            // must not sign on behind the user's back.
            dialogs.whileBoxOpen = [&silent] {
                silent.answer();
                QTest::qWait(2500); // past the system's first retry of the attempt
            };
            signOn(QStringLiteral("ana"), address);
            QTRY_COMPARE_WITH_TIMEOUT(dialogs.boxes.size(), 1, boxWaitMs);
            QTest::qWait(200);
            sentLater = silent.received();
        } else {
            LiveChatServer server(address);
            signOn(QStringLiteral("ana"), address);
            QTRY_COMPARE_WITH_TIMEOUT(server.received(), QByteArray("Join ana"), waitMs);
            chat()->mnuDiscon->trigger();
            QTRY_VERIFY_WITH_TIMEOUT(server.clientGone(), waitMs);
            QVERIFY(chat()->isVisible()); // until the next tick
            sentLater = server.received();
        }

        QTRY_COMPARE_WITH_TIMEOUT(dialogs.boxes.size(), 1, boxWaitMs);
        verifyBackAtSignon();
        QCOMPARE(sentLater, sent);
        QTest::qWait(1200); // the stopped timer opens no second box
        QCOMPARE(dialogs.boxes.size(), 1);
    }

    void dropShowsItsRowThenTheBox()
    {
        LiveChatServer server(QStringLiteral("127.0.0.46"));
        signOn(QStringLiteral("ana"), QStringLiteral("127.0.0.46"));
        QTRY_COMPARE_WITH_TIMEOUT(server.received(), QByteArray("Join ana"), waitMs);
        server.send("UserList ana");
        server.send("UserList bob");
        QTRY_COMPARE_WITH_TIMEOUT(chat()->users->text(), QStringLiteral("2 Users"), waitMs);
        bool rowBeforeBox = false;
        int usersAtBox = -1;
        QString labelAtBox;
        dialogs.whileBoxOpen = [&] {
            rowBeforeBox = endsWithRow(page(), serverRow(QStringLiteral(" The connection was unexpectedly droped!!")));
            usersAtBox = chat()->lstUsers->count();
            labelAtBox = chat()->users->text();
        };

        server.send("Message bob:last words", 0);
        server.dropClient();

        QTRY_COMPARE_WITH_TIMEOUT(dialogs.boxes.size(), 1, boxWaitMs);
        QVERIFY2(rowBeforeBox, qPrintable(page().right(500)));
        QVERIFY(hasRowsInOrder(page(), {chatRow(QStringLiteral("bob"), QStringLiteral("last words")),
                                        serverRow(QStringLiteral(" The connection was unexpectedly droped!!"))}));
        QCOMPARE(usersAtBox, 0);
        QCOMPARE(labelAtBox, QStringLiteral("2 Users")); // the label waits for the next block
        verifyBackAtSignon();
    }

    void dropReportsWhatWasNotDelivered_data()
    {
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<QStringList>("relayed");
        QTest::addColumn<QString>("draft");
        QTest::addColumn<QStringList>("undelivered");
        QTest::addColumn<QString>("inputAfter");

        QTest::newRow("relay came back") << QStringList{"first"} << QStringList{"first"} << QString() << QStringList()
                                         << QString();
        QTest::newRow("relay missing") << QStringList{"first", "second <b>"} << QStringList{"first"} << QString()
                                       << QStringList{"second <b>"} << "second <b>";
        QTest::newRow("two missing, the last goes back") << QStringList{"one", "two"} << QStringList() << QString()
                                                         << QStringList{"one", "two"} << "two";
        QTest::newRow("a line typed since stays") << QStringList{"lost"} << QStringList() << "draft"
                                                  << QStringList{"lost"} << "draft";
    }

    void dropReportsWhatWasNotDelivered()
    {
        QFETCH(QStringList, typed);
        QFETCH(QStringList, relayed);
        QFETCH(QString, draft);
        QFETCH(QStringList, undelivered);
        QFETCH(QString, inputAfter);
        const QString address = QStringLiteral("127.0.0.188");
        LiveChatServer server(address);
        QVERIFY(connectedAsAna(server, address));
        QByteArray sent("Join ana");
        for (const QString &text : std::as_const(typed)) {
            typeAndPressEnter(text);
            sent += "Message ana:" + text.toLatin1();
            QTRY_COMPARE_WITH_TIMEOUT(server.received(), sent, waitMs);
        }
        for (const QString &text : std::as_const(relayed)) {
            QVERIFY(server.send("Message ana:" + text.toLatin1()));
            QTRY_VERIFY_WITH_TIMEOUT(page().contains(chatRow(QStringLiteral("ana"), text).section(anyStamp, 1)), waitMs);
        }
        chat()->txtText->setText(draft);

        server.dropClient();

        const QString dropped = serverRow(QStringLiteral(" The connection was unexpectedly droped!!"));
        QTRY_VERIFY_WITH_TIMEOUT(page().contains(dropped.section(anyStamp, 1)), waitMs);
        QStringList rows{dropped};
        for (const QString &text : std::as_const(undelivered))
            rows += TranscriptRows::notDeliveredRow(anyStamp, text);
        QVERIFY2(hasRowsInOrder(page(), rows), qPrintable(page().right(1000)));
        QVERIFY(endsWithRow(page(), rows.constLast()));
        QCOMPARE(page().count(QStringLiteral("not delivered")), undelivered.size());
        QCOMPARE(chat()->txtText->text(), inputAfter);
    }

    // No acknowledgement of the private message was seen before the drop (no block came after it).
    void dropReportsPrivateMessageInItsWindow_data()
    {
        QTest::addColumn<QString>("addressedAtDrop");
        QTest::addColumn<QString>("draft");
        QTest::addColumn<QString>("textAfter");

        QTest::newRow("window still to the recipient") << "bob" << QString() << "psst";
        QTest::newRow("window readdressed") << "carl" << QString() << QString();
        QTest::newRow("text typed since stays") << "bob" << "draft" << "draft";
    }

    void dropReportsPrivateMessageInItsWindow()
    {
        QFETCH(QString, addressedAtDrop);
        QFETCH(QString, draft);
        QFETCH(QString, textAfter);
        const QString address = QStringLiteral("127.0.0.188");
        LiveChatServer server(address);
        QVERIFY(connectedAsAna(server, address));
        frmPM *privateWindow = Form<frmPM>::get();
        privateWindow->lblUserPM->setText(QStringLiteral("bob"));
        privateWindow->txtPM->setPlainText(QStringLiteral("psst"));
        privateWindow->cmdSendPM_Click();
        QTRY_COMPARE_WITH_TIMEOUT(server.received(), QByteArray("Join anaPMMessage bob:ana|psst"), waitMs);
        privateWindow->lblUserPM->setText(addressedAtDrop);
        privateWindow->txtPM->setPlainText(draft);

        server.dropClient();

        const QString dropped = serverRow(QStringLiteral(" The connection was unexpectedly droped!!"));
        QTRY_VERIFY_WITH_TIMEOUT(page().contains(dropped.section(anyStamp, 1)), waitMs);
        QVERIFY2(hasRowsInOrder(page(), {dropped, TranscriptRows::pmNotDeliveredRow(anyStamp, QStringLiteral("bob"),
                                                                                     QStringLiteral("psst"))}),
                 qPrintable(page().right(1000)));
        QCOMPARE(privateWindow->txtPM->toPlainText(), textAfter);
        QCOMPARE(chat()->txtText->text(), QString());
    }

    // The server answers nothing to a private message that reached its recipient; one whose bytes
    // the server's machine took is not reported when the connection drops later.
    void acknowledgedPrivateMessageIsNotReported()
    {
        const QString address = QStringLiteral("127.0.0.188");
        LiveChatServer server(address);
        QVERIFY(connectedAsAna(server, address));
        frmPM *privateWindow = Form<frmPM>::get();
        privateWindow->lblUserPM->setText(QStringLiteral("bob"));
        privateWindow->txtPM->setPlainText(QStringLiteral("psst"));
        privateWindow->cmdSendPM_Click();
        QTRY_COMPARE_WITH_TIMEOUT(server.received(), QByteArray("Join anaPMMessage bob:ana|psst"), waitMs);
        // Any later block carries the acknowledgement of what came before it.
        QVERIFY(server.send("Joined carl"));

        server.dropClient();

        QTRY_VERIFY_WITH_TIMEOUT(page().contains(QStringLiteral("unexpectedly droped")), waitMs);
        QTest::qWait(100);
        QVERIFY2(!page().contains(QStringLiteral("not delivered")), qPrintable(page().right(1000)));
        QCOMPARE(privateWindow->txtPM->toPlainText(), QString());
    }

    void takenNameAsksForAnother_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::addColumn<QString>("newName");
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("backAtSignon");
        QTest::newRow("a new name") << true << QStringLiteral("newname") << QByteArray("Join anaJoin newname")
                                    << QStringLiteral("Korvani - (newname)") << false;
        QTest::newRow("a new name with blanks") << true << QStringLiteral(" nu ") << QByteArray("Join anaJoin  nu ")
                                                << QStringLiteral("Korvani - ( nu )") << false;
        QTest::newRow("no name given") << true << QString() << QByteArray("Join ana")
                                       << QStringLiteral("Korvani 1.0 - (ana)") << false;
        QTest::newRow("No") << false << QString() << QByteArray("Join ana") << QStringLiteral("Korvani 1.0 - (ana)")
                            << true;
    }

    void takenNameAsksForAnother()
    {
        QFETCH(bool, yes);
        QFETCH(QString, newName);
        QFETCH(QByteArray, sent);
        QFETCH(QString, caption);
        QFETCH(bool, backAtSignon);
        LiveChatServer server(QStringLiteral("127.0.0.47"));
        signOn(QStringLiteral("ana"), QStringLiteral("127.0.0.47"));
        QTRY_COMPARE_WITH_TIMEOUT(server.received(), QByteArray("Join ana"), waitMs);
        dialogs.answerYes = yes;
        dialogs.answerText = newName;

        server.send("ErrUsername ana");

        QTRY_VERIFY_WITH_TIMEOUT(!dialogs.boxes.isEmpty(), waitMs);
        const LiveChatDialogs::Box box = dialogs.boxes.first();
        QCOMPARE(box.title, QStringLiteral("Username Error"));
        QCOMPARE(box.text, QStringLiteral("The username ana is in use.\r\nWould you like to enter a new one."));
        QCOMPARE(box.buttons, QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(box.defaultButton, QMessageBox::Yes);
        QCOMPARE(box.icon, QMessageBox::NoIcon);
        if (yes) {
            QCOMPARE(dialogs.inputs.size(), 1);
            QCOMPARE(dialogs.inputs.first().prompt, QStringLiteral("Please enter a new username."));
            QCOMPARE(dialogs.inputs.first().title, QStringLiteral("New Username"));
            QCOMPARE(dialogs.inputs.first().defaultText, QString());
        }
        if (backAtSignon) {
            QTRY_VERIFY_WITH_TIMEOUT(server.clientGone(), waitMs);
            QTRY_COMPARE_WITH_TIMEOUT(dialogs.boxes.size(), 2, boxWaitMs);
            dialogs.boxes.removeFirst();
            verifyBackAtSignon();
        } else {
            QTRY_COMPARE_WITH_TIMEOUT(server.received(), sent, waitMs);
            QTest::qWait(1100); // still connected at the next tick
            QVERIFY(chat()->isConnected());
            QCOMPARE(dialogs.boxes.size(), 1);
        }
        QCOMPARE(server.received(), sent);
        QCOMPARE(chat()->windowTitle(), caption);
        QCOMPARE(chat()->txtUser->text(), newName.isEmpty() ? QStringLiteral("ana") : newName);
    }

    // The user takes a while to answer; meanwhile two blocks arrive. They wait for the box and then
    // come each whole, in the order sent.
    void blocksDuringABoxWaitTheirTurn()
    {
        LiveChatServer server(QStringLiteral("127.0.0.48"));
        QVERIFY(connectedAsAna(server, QStringLiteral("127.0.0.48")));
        dialogs.answerText = QStringLiteral("ana2");
        QString pageWhileOpen;
        dialogs.whileBoxOpen = [&] {
            server.send("Message bob:one");
            server.send("Message bob:two");
            server.send("Joined cid");
            QTest::qWait(200);
            pageWhileOpen = page();
        };
        const QString before = page();

        server.send("ErrUsername ana");

        QTRY_VERIFY_WITH_TIMEOUT(!dialogs.boxes.isEmpty(), waitMs);
        QCOMPARE(pageWhileOpen, before);
        const QStringList rows = {chatRow(QStringLiteral("bob"), QStringLiteral("one")),
                                  chatRow(QStringLiteral("bob"), QStringLiteral("two")),
                                  serverRow(QStringLiteral("cid has joined to Chat!!!"))};
        QTRY_VERIFY_WITH_TIMEOUT(hasRowsInOrder(page(), rows), waitMs);
        QVERIFY(endsWithRow(page(), rows.last()));
        QTRY_COMPARE_WITH_TIMEOUT(server.received(), QByteArray("Join anaJoin ana2"), waitMs);
        QCOMPARE(chat()->lstUsers->count(), 1);
        QCOMPARE(chat()->users->text(), QStringLiteral("1 Users"));
    }

    void everyWayOutLeavesFirst_data()
    {
        QTest::addColumn<QString>("way");
        QTest::addColumn<bool>("connected");
        for (const char *way : {"Exit command", "Ctrl+Q", "toolbar Exit", "close box", "tray Close"}) {
            QTest::addRow("%s, connected", way) << QString::fromLatin1(way) << true;
            QTest::addRow("%s, dropped", way) << QString::fromLatin1(way) << false;
        }
    }

    void everyWayOutLeavesFirst()
    {
        QFETCH(QString, way);
        QFETCH(bool, connected);
        LiveChatServer server(QStringLiteral("127.0.0.49"));
        QVERIFY(connectedAsAna(server, QStringLiteral("127.0.0.49")));
        if (!connected) {
            server.dropClient();
            QTRY_VERIFY_WITH_TIMEOUT(!chat()->isConnected(), waitMs);
        }
        const QByteArray expected = connected ? QByteArray("Join anaLeave ana") : QByteArray("Join ana");
        bool deliveredAtStop = false;
        bool trayAtStop = true;
        modMain::SetStopAction([&] {
            ++stops;
            deliveredAtStop = server.receivedWithoutEventLoop(expected);
            trayAtStop = chat()->m_frmSysTray != nullptr;
        });
        QVERIFY(chat()->m_frmSysTray);

        if (way == QLatin1String("Exit command")) {
            chat()->mnuExit->trigger();
        } else if (way == QLatin1String("Ctrl+Q")) {
            chat()->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(chat()));
            QTest::keyClick(chat()->txtText, Qt::Key_Q, Qt::ControlModifier);
        } else if (way == QLatin1String("toolbar Exit")) {
            ComposeToolbar *toolbar = chat()->Toolbar1;
            QTest::mouseClick(toolbar->widgetForAction(toolbar->button(12)), Qt::LeftButton);
        } else if (way == QLatin1String("close box")) {
            chat()->close();
        } else {
            emit chat()->m_frmSysTray->MenuClick(2, QStringLiteral("close"));
        }

        QTRY_COMPARE_WITH_TIMEOUT(stops, 1, waitMs);
        QVERIFY(deliveredAtStop);
        QVERIFY(!trayAtStop);
        QTest::qWait(100);
        QCOMPARE(server.received(), expected);
        QCOMPARE(stops, 1);
    }

    void badInputLeavesTheWindowWorking_data()
    {
        QTest::addColumn<QList<QByteArray>>("blocks");
        QTest::addColumn<int>("users");

        const QByteArray megabyte(1 << 20, 'x');
        QTest::newRow("1 MB message, one word") << QList<QByteArray>{"Message bob:" + megabyte} << 0;
        QByteArray words;
        while (words.size() < (1 << 20))
            words += "[B]word[/B] :) <b>&amp; ";
        QTest::newRow("1 MB message, words and markup") << QList<QByteArray>{"Message bob:" + words} << 0;
        QTest::newRow("1 MB user name") << QList<QByteArray>{"Joined " + megabyte} << 1;

        QByteArray everyByte;
        for (int i = 0; i < 256; ++i)
            everyByte += char(i);
        QTest::newRow("every byte value")
            << QList<QByteArray>{everyByte, "Message " + everyByte, "UserList " + everyByte, "PMMessage " + everyByte,
                                 "Left " + everyByte}
            << 0;
        QTest::newRow("NUL bytes and cut commands")
            << QList<QByteArray>{QByteArray(16, '\0'), QByteArray("Message\0bob:x", 13), "Message", "Message ",
                                 " Message bob:x", "Joined ", "Left ", "Kicked ", "UKicked ", "PMError ", "Welcome ",
                                 "Msgday "}
            << 0;
    }

    void badInputLeavesTheWindowWorking()
    {
        QFETCH(QList<QByteArray>, blocks);
        QFETCH(int, users);
        LiveChatServer server(QStringLiteral("127.0.0.52"));
        QVERIFY(connectedAsAna(server, QStringLiteral("127.0.0.52")));

        for (const QByteArray &block : blocks)
            QVERIFY(server.send(block));
        server.send("Message bob:still here");

        QTRY_VERIFY_WITH_TIMEOUT(endsWithRow(page(), chatRow(QStringLiteral("bob"), QStringLiteral("still here"))), 30000);
        QCOMPARE(chat()->lstUsers->count(), users);
        QVERIFY(chat()->isConnected());
        typeAndPressEnter(QStringLiteral("me too"));
        QTRY_VERIFY_WITH_TIMEOUT(server.received().endsWith("Message ana:me too"), waitMs);
    }

    // The server sends one UserList per user; a full room is many blocks.
    void tenThousandUsers()
    {
        constexpr int userCount = 10000;
        LiveChatServer server(QStringLiteral("127.0.0.51"));
        QVERIFY(connectedAsAna(server, QStringLiteral("127.0.0.51")));

        for (int i = 0; i < userCount; ++i) {
            server.send("UserList user" + QByteArray::number(i), 0);
            QVERIFY(pumpUntil([i] { return chat()->lstUsers->count() == i + 1; }));
        }

        QTRY_COMPARE_WITH_TIMEOUT(chat()->users->text(), QStringLiteral("10000 Users"), waitMs);
        QCOMPARE(chat()->lstUsers->item(userCount - 1)->text(), QStringLiteral("user9999"));
        server.send("Left user0");
        server.send("Message bob:still here");
        QTRY_VERIFY_WITH_TIMEOUT(endsWithRow(page(), chatRow(QStringLiteral("bob"), QStringLiteral("still here"))), 30000);
        QCOMPARE(chat()->lstUsers->count(), userCount - 1);
        QCOMPARE(chat()->users->text(), QStringLiteral("9999 Users"));
    }
};

QTEST_MAIN(tst_LiveChat)
#include "tst_livechat.moc"
