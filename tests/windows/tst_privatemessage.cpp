#include "support/ChatWindowTestCase.h"
#include "support/RecordingOutbox.h"

#include "app/Form.h"
#include "app/Twips.h"
#include "transcript/TranscriptRows.h"
#include "transcript/TranscriptView.h"
#include "windows/ChatOutbox.h"
#include "windows/UserListMenu.h"
#include "windows/frmChat.h"
#include "windows/frmPM.h"
#include "windows/frmPrompt.h"

#include <QAction>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <functional>

// The user list's context menu, the refusal to write to oneself, and what the private-message
// and prompt windows send, keep and show.
class tst_PrivateMessage : public ChatWindowTestCase
{
    Q_OBJECT

    RecordingOutbox outbox;
    frmChat *chat = nullptr;

    static QString notConnectedHint() { return QStringLiteral("  ~// You must be connected to some to send text"); }

    static QString refusalRow(const QString &stamp)
    {
        return QStringLiteral("<table cellspacing='0' cellpadding='0'><tr><td class='system' >[") + stamp
               + QStringLiteral("] Server: You can't PM yourself!</td></tr></table>");
    }

    // What the page gained since `before` is exactly one row built now (or a second earlier).
    static bool gainedRowOfNow(const QString &before, const QString &after,
                               const std::function<QString(const QString &)> &build, const QString &stampBefore)
    {
        if (!after.startsWith(before))
            return false;
        const QString added = after.mid(before.size());
        return added == build(stampBefore) || added == build(TranscriptRows::timeStamp());
    }

    QString page() const { return chat->txtHistory->pageSource(); }

    void setUsers(const QStringList &names, int selectedRow)
    {
        chat->lstUsers->clear();
        chat->lstUsers->addItems(names);
        if (selectedRow >= 0)
            chat->lstUsers->setCurrentRow(selectedRow);
        else
            chat->lstUsers->clearSelection();
    }

    int selectedRow() const
    {
        const QList<QListWidgetItem *> selected = chat->lstUsers->selectedItems();
        return selected.isEmpty() ? -1 : chat->lstUsers->row(selected.first());
    }

    // "Private Message" on a user, as the menu chooses it.
    frmPM *openPrivateMessage(const QString &recipient)
    {
        const QList<QListWidgetItem *> rows = chat->lstUsers->findItems(recipient, Qt::MatchExactly);
        if (rows.isEmpty())
            chat->lstUsers->addItem(recipient);
        chat->lstUsers->setCurrentItem(chat->lstUsers->findItems(recipient, Qt::MatchExactly).first());
        chat->mnuPM->trigger();
        return Form<frmPM>::loaded();
    }

    static QPoint rowCentre(QListWidget *list, int row)
    {
        return list->visualItemRect(list->item(row)).center();
    }

private slots:
    void init()
    {
        outbox.connected = true;
        outbox.sent.clear();
        ChatOutbox::setCurrent(&outbox);
        fakes.choices.skin = QStringLiteral("Blue Skin");
        modMain::SoundsOn = false;

        chat = Form<frmChat>::get();
        UserListMenu::install(*chat);
        chat->txtUser->setText(QStringLiteral("Anna"));
        setUsers({QStringLiteral("Anna"), QStringLiteral("Bob"), QStringLiteral("Cyril")}, -1);
        chat->move(20, 20);
        chat->show();
        QVERIFY(QTest::qWaitForWindowExposed(chat));
    }

    void cleanup()
    {
        if (QWidget *popup = QApplication::activePopupWidget())
            popup->close();
        ChatOutbox::setCurrent(nullptr);
        Form<frmPM>::unload();
        Form<frmPrompt>::unload();
        Form<frmChat>::unload();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void installingTwiceKeepsOneMenu()
    {
        QCOMPARE(UserListMenu::install(*chat), UserListMenu::install(*chat));
        setUsers({QStringLiteral("Anna")}, 0);
        const QString before = page();
        chat->mnuPM->trigger();
        QCOMPARE(page().count(QStringLiteral("You can't PM yourself!")),
                 before.count(QStringLiteral("You can't PM yourself!")) + 1);
    }

    void userListPress_data()
    {
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::addColumn<bool>("doubleClick");
        QTest::addColumn<int>("selectedBefore"); // -1: no row selected
        QTest::addColumn<int>("pressedRow");     // -1: below the last row
        QTest::addColumn<bool>("menuShown");
        QTest::addColumn<int>("selectedAfter");

        QTest::newRow("right, another row selected") << Qt::RightButton << false << 0 << 2 << true << 0;
        QTest::newRow("middle, another row selected") << Qt::MiddleButton << false << 0 << 2 << true << 0;
        QTest::newRow("right on the selected row") << Qt::RightButton << false << 1 << 1 << true << 1;
        QTest::newRow("right below the rows") << Qt::RightButton << false << 1 << -1 << true << 1;
        QTest::newRow("right, nothing selected") << Qt::RightButton << false << -1 << 1 << false << -1;
        QTest::newRow("middle, nothing selected") << Qt::MiddleButton << false << -1 << 1 << false << -1;
        QTest::newRow("right double click, nothing selected") << Qt::RightButton << true << -1 << 1 << false << -1;
        QTest::newRow("middle double click, nothing selected") << Qt::MiddleButton << true << -1 << 2 << false << -1;
        QTest::newRow("back button, another row selected") << Qt::BackButton << false << 0 << 2 << false << 0;
        QTest::newRow("left, another row selected") << Qt::LeftButton << false << 0 << 2 << false << 2;
        QTest::newRow("left, nothing selected") << Qt::LeftButton << false << -1 << 1 << false << 1;
    }

    void userListPress()
    {
        QFETCH(Qt::MouseButton, button);
        QFETCH(bool, doubleClick);
        QFETCH(int, selectedBefore);
        QFETCH(int, pressedRow);
        QFETCH(bool, menuShown);
        QFETCH(int, selectedAfter);

        setUsers({QStringLiteral("Anna"), QStringLiteral("Bob"), QStringLiteral("Cyril")}, selectedBefore);
        QListWidget *list = chat->lstUsers;
        const QPoint at = pressedRow >= 0 ? rowCentre(list, pressedRow)
                                          : QPoint(list->viewport()->width() / 2, list->viewport()->height() - 5);
        if (doubleClick)
            QTest::mouseDClick(list->viewport(), button, {}, at);
        else
            QTest::mousePress(list->viewport(), button, {}, at);

        QCOMPARE(QApplication::activePopupWidget(), menuShown ? static_cast<QWidget *>(chat->mnu) : nullptr);
        QCOMPARE(selectedRow(), selectedAfter);
        if (menuShown) {
            const int listLeft = list->mapToGlobal(QPoint(0, 0)).x();
            // 50 twips right of the list's left edge, at the pointer's height.
            QCOMPARE(chat->mnu->pos(), QPoint(listLeft + 3, list->viewport()->mapToGlobal(at).y()));
            QCOMPARE(chat->mnu->actions(), QList<QAction *>{chat->mnuPM});
        }
        // Letting go of the button over the menu that the press opened chooses nothing.
        if (!doubleClick)
            QTest::mouseRelease(menuShown ? static_cast<QWidget *>(chat->mnu) : list->viewport(), button, {},
                                menuShown ? chat->mnu->mapFromGlobal(list->viewport()->mapToGlobal(at)) : at);
        QCOMPARE(selectedRow(), selectedAfter);
        QVERIFY(!Form<frmPM>::isLoaded());
    }

    // The keys act on the row with the focus, which they select, whatever was selected before.
    void userListMenuFromTheKeyboard_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("focused");
        QTest::addColumn<int>("selectedBefore"); // -1: no row selected
        QTest::addColumn<bool>("menuShown");

        QTest::newRow("menu key") << int(Qt::Key_Menu) << 0 << 1 << 1 << true;
        QTest::newRow("Shift+F10") << int(Qt::Key_F10) << int(Qt::ShiftModifier) << 2 << 2 << true;
        QTest::newRow("menu key, nothing selected") << int(Qt::Key_Menu) << 0 << 1 << -1 << true;
        QTest::newRow("Shift+F10, nothing selected") << int(Qt::Key_F10) << int(Qt::ShiftModifier) << 2 << -1 << true;
        QTest::newRow("menu key, another row selected") << int(Qt::Key_Menu) << 0 << 2 << 0 << true;
        QTest::newRow("F10 alone") << int(Qt::Key_F10) << 0 << 1 << 1 << false;
    }

    void userListMenuFromTheKeyboard()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(int, focused);
        QFETCH(int, selectedBefore);
        QFETCH(bool, menuShown);
        setUsers({QStringLiteral("Anna"), QStringLiteral("Bob"), QStringLiteral("Cyril")}, -1);
        QListWidget *list = chat->lstUsers;
        // The focus frame alone, as the list puts it on its first row when it takes the focus, or
        // Ctrl with the arrows moves it, leaving the selection where it is.
        list->setCurrentRow(focused, QItemSelectionModel::NoUpdate);
        list->clearSelection();
        if (selectedBefore >= 0)
            list->item(selectedBefore)->setSelected(true);
        list->setFocus();
        const int selected = menuShown ? focused : selectedBefore;

        QTest::keyClick(list, Qt::Key(key), Qt::KeyboardModifiers(modifiers));

        QCOMPARE(QApplication::activePopupWidget(), menuShown ? static_cast<QWidget *>(chat->mnu) : nullptr);
        QCOMPARE(selectedRow(), selected);
        if (!menuShown)
            return;
        // Below the selected row, 50 twips right of the list's left edge.
        const QRect row = list->visualItemRect(list->item(selected));
        QCOMPARE(chat->mnu->pos(), QPoint(list->mapToGlobal(QPoint(0, 0)).x() + 3,
                                          list->viewport()->mapToGlobal(row.bottomLeft()).y()));
        // Enter chooses "Private Message" for that user.
        QTest::keyClick(chat->mnu, Qt::Key_Down);
        QTest::keyClick(chat->mnu, Qt::Key_Return);
        QTRY_VERIFY(Form<frmPM>::isLoaded());
        QCOMPARE(Form<frmPM>::loaded()->lblUserPM->text(), list->item(selected)->text());
    }

    void menuItemReactsToLeftButtonOnly()
    {
        setUsers({QStringLiteral("Anna"), QStringLiteral("Bob")}, 1);
        QTest::mousePress(chat->lstUsers->viewport(), Qt::RightButton, {}, rowCentre(chat->lstUsers, 1));
        QCOMPARE(QApplication::activePopupWidget(), static_cast<QWidget *>(chat->mnu));
        const QPoint item = chat->mnu->actionGeometry(chat->mnuPM).center();

        QTest::mouseMove(chat->mnu, item);
        QTest::mouseRelease(chat->mnu, Qt::RightButton, {}, item);
        QTest::mouseClick(chat->mnu, Qt::RightButton, {}, item);
        QTest::mouseClick(chat->mnu, Qt::MiddleButton, {}, item);
        QVERIFY(!Form<frmPM>::isLoaded());
        QCOMPARE(QApplication::activePopupWidget(), static_cast<QWidget *>(chat->mnu));

        QTest::mouseClick(chat->mnu, Qt::LeftButton, {}, item);
        QVERIFY(Form<frmPM>::isLoaded());
        QCOMPARE(Form<frmPM>::loaded()->lblUserPM->text(), QStringLiteral("Bob"));
        QVERIFY(Form<frmPM>::loaded()->isVisible());
        QVERIFY(!chat->mnu->isVisible());
    }

    void privateMessageChoice_data()
    {
        QTest::addColumn<QString>("ownName");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<bool>("refused");

        QTest::newRow("own name") << QStringLiteral("Anna") << QStringLiteral("Anna") << true;
        QTest::newRow("own name with markup characters") << QStringLiteral("<A&b>") << QStringLiteral("<A&b>") << true;
        QTest::newRow("own name in other letter case") << QStringLiteral("Anna") << QStringLiteral("anna") << false;
        QTest::newRow("own name with a trailing blank") << QStringLiteral("Anna") << QStringLiteral("Anna ") << false;
        QTest::newRow("another user") << QStringLiteral("Anna") << QStringLiteral("Bob") << false;
        QTest::newRow("name with separators") << QStringLiteral("Anna") << QStringLiteral("B:o|b") << false;
        QTest::newRow("name that looks like markup") << QStringLiteral("Anna") << QStringLiteral("<b>Bob</b>") << false;
    }

    void privateMessageChoice()
    {
        QFETCH(QString, ownName);
        QFETCH(QString, selected);
        QFETCH(bool, refused);

        chat->txtUser->setText(ownName);
        setUsers({QStringLiteral("Zed"), selected}, 1);
        const QString before = page();
        const QString stamp = TranscriptRows::timeStamp();
        chat->mnuPM->trigger();

        QVERIFY(outbox.sent.isEmpty());
        if (refused) {
            QVERIFY2(gainedRowOfNow(before, page(), refusalRow, stamp), qPrintable(page().mid(before.size())));
            QVERIFY(!Form<frmPM>::isLoaded());
            return;
        }
        QCOMPARE(page(), before);
        frmPM *pm = Form<frmPM>::loaded();
        QVERIFY(pm);
        QVERIFY(pm->isVisible());
        QCOMPARE(pm->lblUserPM->text(), selected);
        QCOMPARE(pm->lblUserPM->textFormat(), Qt::PlainText);
        QCOMPARE(pm->txtPM->toPlainText(), QString());
    }

    void privateMessageWithNoRowSelectedDoesNothing()
    {
        setUsers({QStringLiteral("Bob")}, -1);
        const QString before = page();
        chat->mnuPM->trigger();
        QCOMPARE(page(), before);
        QVERIFY(!Form<frmPM>::isLoaded());
    }

    void sendPrivateMessage_data()
    {
        QTest::addColumn<QString>("ownName");
        QTest::addColumn<QString>("recipient");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");

        QTest::newRow("plain") << "A" << "B" << "T" << "PMMessage B:A|T";
        QTest::newRow("separators in names and text")
            << "A|n:a" << "B:o|b" << "x|y:z" << "PMMessage B:o|b:A|n:a|x|y:z";
        QTest::newRow("blanks kept") << "A" << "B" << "  two  blanks  " << "PMMessage B:A|  two  blanks  ";
        QTest::newRow("line break put in by other means") << "A" << "B" << "one\ntwo" << "PMMessage B:A|one\ntwo";
        QTest::newRow("markup sent as typed") << "A" << "B" << "<b>&amp;[B]</b>" << "PMMessage B:A|<b>&amp;[B]</b>";
        QTest::newRow("one blank") << "A" << "B" << " " << "PMMessage B:A| ";
    }

    void sendPrivateMessage()
    {
        QFETCH(QString, ownName);
        QFETCH(QString, recipient);
        QFETCH(QString, text);
        QFETCH(QString, expected);

        chat->txtUser->setText(ownName);
        frmPM *pm = openPrivateMessage(recipient);
        QVERIFY(pm);
        pm->txtPM->setPlainText(text);
        QTest::mouseClick(pm->cmdSendPM, Qt::LeftButton);

        QCOMPARE(outbox.sent, QStringList{expected});
        QCOMPARE(pm->txtPM->toPlainText(), QString());
        QCOMPARE(Form<frmPM>::loaded(), pm);
        QVERIFY(pm->isVisible());
        QCOMPARE(pm->lblUserPM->text(), recipient);
    }

    void sendEmptyPrivateMessageDoesNothing()
    {
        frmPM *pm = openPrivateMessage(QStringLiteral("Bob"));
        const QString before = page();
        QTest::mouseClick(pm->cmdSendPM, Qt::LeftButton);
        QVERIFY(outbox.sent.isEmpty());
        QCOMPARE(page(), before);
        QVERIFY(pm->isVisible());
    }

    void enterInPrivateMessage_data()
    {
        QTest::addColumn<QString>("focus");
        QTest::addColumn<Qt::Key>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("sent");

        const QStringList hello{QStringLiteral("PMMessage Bob:Anna|hello")};
        QTest::newRow("Enter in the text") << "txtPM" << Qt::Key_Return << Qt::KeyboardModifiers() << "hello" << hello;
        QTest::newRow("keypad Enter") << "txtPM" << Qt::Key_Enter << Qt::KeyboardModifiers(Qt::KeypadModifier)
                                      << "hello" << hello;
        QTest::newRow("Shift+Enter") << "txtPM" << Qt::Key_Return << Qt::KeyboardModifiers(Qt::ShiftModifier)
                                     << "hello" << hello;
        QTest::newRow("Enter in empty text") << "txtPM" << Qt::Key_Return << Qt::KeyboardModifiers() << ""
                                             << QStringList();
        QTest::newRow("Enter on the send button") << "cmdSendPM" << Qt::Key_Return << Qt::KeyboardModifiers()
                                                  << "hello" << hello;
    }

    void enterInPrivateMessage()
    {
        QFETCH(QString, focus);
        QFETCH(Qt::Key, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(QString, text);
        QFETCH(QStringList, sent);

        frmPM *pm = openPrivateMessage(QStringLiteral("Bob"));
        pm->txtPM->setPlainText(text);
        pm->txtPM->moveCursor(QTextCursor::End);
        QWidget *target = focus == QLatin1String("txtPM") ? static_cast<QWidget *>(pm->txtPM) : pm->cmdSendPM;
        QTest::keyClick(target, key, modifiers);

        QCOMPARE(outbox.sent, sent);
        QCOMPARE(pm->txtPM->toPlainText(), QString());
        QVERIFY(pm->isVisible());
    }

    void otherKeysReachTheText()
    {
        frmPM *pm = openPrivateMessage(QStringLiteral("Bob"));
        QTest::keyClicks(pm->txtPM, QStringLiteral("hi there"));
        QCOMPARE(pm->txtPM->toPlainText(), QStringLiteral("hi there"));
        QVERIFY(outbox.sent.isEmpty());
    }

    void readdressingKeepsTheText()
    {
        frmPM *pm = openPrivateMessage(QStringLiteral("Bob"));
        pm->txtPM->setPlainText(QStringLiteral("draft"));

        QCOMPARE(openPrivateMessage(QStringLiteral("Cyril")), pm);
        QCOMPARE(pm->lblUserPM->text(), QStringLiteral("Cyril"));
        QCOMPARE(pm->txtPM->toPlainText(), QStringLiteral("draft"));

        // Choosing oneself while the window is open is refused and leaves it addressed as it was.
        QCOMPARE(openPrivateMessage(QStringLiteral("Anna")), pm);
        QCOMPARE(pm->lblUserPM->text(), QStringLiteral("Cyril"));
        QVERIFY(page().endsWith(QStringLiteral("] Server: You can't PM yourself!</td></tr></table>")));

        pm->cmdSendPM->click();
        QCOMPARE(outbox.sent, QStringList{QStringLiteral("PMMessage Cyril:Anna|draft")});
    }

    void ownNameIsReadAtEachSend()
    {
        frmPM *pm = openPrivateMessage(QStringLiteral("Bob"));
        pm->txtPM->setPlainText(QStringLiteral("one"));
        pm->cmdSendPM->click();
        chat->txtUser->setText(QStringLiteral("Anna2"));
        pm->txtPM->setPlainText(QStringLiteral("two"));
        pm->cmdSendPM->click();
        QCOMPARE(outbox.sent, (QStringList{QStringLiteral("PMMessage Bob:Anna|one"),
                                           QStringLiteral("PMMessage Bob:Anna2|two")}));
    }

    void sendPrompt_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("byEnter");
        QTest::addColumn<QStringList>("sent");

        QTest::newRow("command with blanks, Send") << " /kick  bob " << false << QStringList{"Prompt  /kick  bob "};
        QTest::newRow("command with blanks, Enter") << " /kick  bob " << true << QStringList{"Prompt  /kick  bob "};
        QTest::newRow("one blank") << " " << false << QStringList{"Prompt  "};
        QTest::newRow("separators and markup") << "a:b|c<i>" << true << QStringList{"Prompt a:b|c<i>"};
        QTest::newRow("empty, Send") << "" << false << QStringList();
        QTest::newRow("empty, Enter") << "" << true << QStringList();
    }

    void sendPrompt()
    {
        QFETCH(QString, text);
        QFETCH(bool, byEnter);
        QFETCH(QStringList, sent);

        frmPrompt *prompt = Form<frmPrompt>::get();
        prompt->show();
        prompt->txtPrompt->setText(text);
        if (byEnter)
            QTest::keyClick(prompt->txtPrompt, Qt::Key_Return);
        else
            QTest::mouseClick(prompt->cmdSend, Qt::LeftButton);

        QCOMPARE(outbox.sent, sent);
        QCOMPARE(prompt->txtPrompt->text(), QString());
        QCOMPARE(Form<frmPrompt>::loaded(), prompt);
        QVERIFY(prompt->isVisible());
    }

    // Two Enter keys waiting in the queue: the first sends, and the second, run by the first's
    // yield, finds the box already empty.
    void queuedEnterSendsOnce_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("expected");
        QTest::newRow("private message") << "pm" << "PMMessage Bob:Anna|once";
        QTest::newRow("prompt") << "prompt" << "Prompt once";
    }

    void queuedEnterSendsOnce()
    {
        QFETCH(QString, window);
        QFETCH(QString, expected);

        QWidget *box = nullptr;
        if (window == QLatin1String("pm")) {
            frmPM *pm = openPrivateMessage(QStringLiteral("Bob"));
            pm->txtPM->setPlainText(QStringLiteral("once"));
            box = pm->txtPM;
        } else {
            frmPrompt *prompt = Form<frmPrompt>::get();
            prompt->show();
            prompt->txtPrompt->setText(QStringLiteral("once"));
            box = prompt->txtPrompt;
        }
        for (int key = 0; key < 2; ++key)
            QCoreApplication::postEvent(box, new QKeyEvent(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier));
        QCoreApplication::sendPostedEvents(box, QEvent::KeyPress);

        QCOMPARE(outbox.sent, QStringList{expected});
        QCOMPARE(box->property(window == QLatin1String("pm") ? "plainText" : "text").toString(), QString());
    }

    // Nothing goes out on a closed connection; the text waits in its box and the transcript says
    // why, with the hint row the input line gives.
    void sendWhileNotConnected_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<bool>("byEnter");
        QTest::addColumn<bool>("mainWindowOutbox"); // the main window's own connection state

        QTest::newRow("private message, Send") << "pm" << false << false;
        QTest::newRow("private message, Enter") << "pm" << true << false;
        QTest::newRow("private message, main window") << "pm" << false << true;
        QTest::newRow("prompt, Send") << "prompt" << false << false;
        QTest::newRow("prompt, Enter") << "prompt" << true << false;
        QTest::newRow("prompt, main window") << "prompt" << true << true;
    }

    void sendWhileNotConnected()
    {
        QFETCH(QString, window);
        QFETCH(bool, byEnter);
        QFETCH(bool, mainWindowOutbox);

        outbox.connected = false;
        if (mainWindowOutbox) {
            ChatOutbox::setCurrent(nullptr);
            QVERIFY(!chat->isConnected());
        }
        const QString typed = QStringLiteral("still here");
        std::function<QString()> textLeft;
        std::function<void()> send;
        if (window == QLatin1String("pm")) {
            frmPM *pm = openPrivateMessage(QStringLiteral("Bob"));
            pm->txtPM->setPlainText(typed);
            textLeft = [pm] { return pm->txtPM->toPlainText(); };
            send = [pm, byEnter] {
                byEnter ? QTest::keyClick(pm->txtPM, Qt::Key_Return) : QTest::mouseClick(pm->cmdSendPM, Qt::LeftButton);
            };
        } else {
            frmPrompt *prompt = Form<frmPrompt>::get();
            prompt->show();
            prompt->txtPrompt->setText(typed);
            textLeft = [prompt] { return prompt->txtPrompt->text(); };
            send = [prompt, byEnter] {
                byEnter ? QTest::keyClick(prompt->txtPrompt, Qt::Key_Return)
                        : QTest::mouseClick(prompt->cmdSend, Qt::LeftButton);
            };
        }
        const QString before = page();
        const QString stamp = TranscriptRows::timeStamp();
        send();

        QVERIFY(outbox.sent.isEmpty());
        QCOMPARE(textLeft(), typed);
        const auto hintRow = [](const QString &s) { return TranscriptRows::textRow(s, notConnectedHint()); };
        QVERIFY2(gainedRowOfNow(before, page(), hintRow, stamp), qPrintable(page().mid(before.size())));

        // Once the connection is back, the kept text goes out as typed.
        if (!mainWindowOutbox) {
            outbox.connected = true;
            send();
            QCOMPARE(outbox.sent.size(), 1);
            QVERIFY(outbox.sent.first().endsWith(typed));
            QCOMPARE(textLeft(), QString());
        }
    }

    void closeBoxDiscardsWindowAndText()
    {
        frmPM *pm = openPrivateMessage(QStringLiteral("Bob"));
        pm->txtPM->setPlainText(QStringLiteral("gone"));
        frmPrompt *prompt = Form<frmPrompt>::get();
        prompt->show();
        prompt->txtPrompt->setText(QStringLiteral("gone"));

        QVERIFY(pm->close());
        QVERIFY(prompt->close());
        QVERIFY(!Form<frmPM>::isLoaded());
        QVERIFY(!Form<frmPrompt>::isLoaded());
        QVERIFY(Form<frmChat>::isLoaded());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

        QCOMPARE(Form<frmPM>::get()->txtPM->toPlainText(), QString());
        QCOMPARE(Form<frmPM>::get()->lblUserPM->text(), QString());
        QCOMPARE(Form<frmPrompt>::get()->txtPrompt->text(), QString());
    }

    void windowFramesAndFocus_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QSize>("clientTwips");

        QTest::newRow("private message") << "pm" << "Private Message" << QSize(5145, 1515);
        QTest::newRow("prompt") << "prompt" << "Chat - Prompt" << QSize(4470, 855);
    }

    void windowFramesAndFocus()
    {
        QFETCH(QString, window);
        QFETCH(QString, title);
        QFETCH(QSize, clientTwips);

        QWidget *form = nullptr;
        QWidget *first = nullptr;
        QWidget *second = nullptr;
        if (window == QLatin1String("pm")) {
            frmPM *pm = openPrivateMessage(QStringLiteral("Bob"));
            form = pm;
            first = pm->txtPM;
            second = pm->cmdSendPM;
            QVERIFY(pm->cmdSendPM->isDefault());
        } else {
            frmPrompt *prompt = Form<frmPrompt>::get();
            prompt->show();
            form = prompt;
            first = prompt->txtPrompt;
            second = prompt->cmdSend;
        }
        QCOMPARE(form->windowTitle(), title);
        QVERIFY(!form->windowIcon().isNull());
        QCOMPARE(form->size(), Twips::toPixels(clientTwips));
        QCOMPARE(form->minimumSize(), form->maximumSize());
        QVERIFY(!(form->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QVERIFY(form->windowFlags() & Qt::WindowCloseButtonHint);
        // Every fixed caption is drawn whole inside the control the twips give it.
        for (QWidget *control : form->findChildren<QWidget *>()) {
            const QString caption = control->property("text").toString();
            if (caption.isEmpty() || qobject_cast<QLineEdit *>(control))
                continue;
            const QFontMetrics metrics = control->fontMetrics();
            QVERIFY2(metrics.horizontalAdvance(caption) <= control->width(), qPrintable(caption));
            QVERIFY2(metrics.height() <= control->height(), qPrintable(caption));
        }

        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form));
        QCOMPARE(QApplication::focusWidget(), first);
        QTest::keyClick(first, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), second);
    }
};

QTEST_MAIN(tst_PrivateMessage)
#include "tst_privatemessage.moc"
