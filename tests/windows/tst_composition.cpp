#include "support/ChatWindowTestCase.h"
#include "support/RecordingOutbox.h"

#include "app/Form.h"
#include "net/WireProtocol.h"
#include "options/frmOptions.h"
#include "transcript/TranscriptView.h"
#include "windows/ClickablePicture.h"
#include "windows/ComposeToolbar.h"
#include "windows/InputLine.h"
#include "windows/frmAbout.h"
#include "windows/frmChat.h"
#include "windows/frmSmile.h"
#include "windows/frmUrl.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

// Writing a message: the toolbar, the input line with its Enter key, the smiley picker, the link
// dialog and the about window.
class tst_Composition : public ChatWindowTestCase
{
    Q_OBJECT

    // What Enter hands to the connection, in order.
    RecordingOutbox outbox;

    frmChat *chat() { return Form<frmChat>::get(); }

    int sends() const { return int(outbox.sent.size()); }

    void click(int button)
    {
        QToolButton *widget = qobject_cast<QToolButton *>(chat()->Toolbar1->widgetForAction(chat()->Toolbar1->button(button)));
        QVERIFY(widget);
        QTest::mouseClick(widget, Qt::LeftButton);
    }

private slots:
    void init()
    {
        outbox.sent.clear();
        ChatOutbox::setCurrent(&outbox);
        fakes.stops = 0;
        fakes.dialogs.printDialogs = 0;
        chat()->show();
        QVERIFY(QTest::qWaitForWindowExposed(chat()));
    }

    void cleanup()
    {
        ChatOutbox::setCurrent(nullptr);
        Form<frmSmile>::unload();
        Form<frmUrl>::unload();
        Form<frmAbout>::unload();
        Form<frmOptions>::unload();
        Form<frmChat>::unload();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void toolbarButtonsLookAsTheySay_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<QString>("toolTip");
        const QStringList tips = {
            QStringLiteral("Korvani Options"), QString(), QStringLiteral("Add Bold tags"),
            QStringLiteral("Add Underline tags"), QStringLiteral("Add Italic tags"), QStringLiteral("Add smiles!"),
            QStringLiteral("Add Horizontal Rule"), QStringLiteral("Add Link"), QStringLiteral("Print"), QString(),
            QStringLiteral("About!"), QStringLiteral("Exit Korvani!!"),
        };
        for (int button = 1; button <= ComposeToolbar::ButtonCount; ++button)
            QTest::addRow("button %d", button) << button << tips.at(button - 1);
    }

    void toolbarButtonsLookAsTheySay()
    {
        QFETCH(int, button);
        QFETCH(QString, toolTip);
        QAction *action = chat()->Toolbar1->button(button);
        QVERIFY(action);
        if (toolTip.isEmpty()) {
            QVERIFY(action->isSeparator());
            return;
        }
        QCOMPARE(action->toolTip(), toolTip);
        QVERIFY(!action->icon().isNull());
        QVERIFY(action->isCheckable());
    }

    // Tags go to the very end, after whatever is there, and the button comes up again.
    void tagButtonsAppendTheirTags_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QList<int>>("buttons");
        QTest::addColumn<QString>("after");
        QTest::addColumn<int>("caret");
        QTest::newRow("bold") << QString() << QList<int>{3} << QStringLiteral("[B][/B]") << 3;
        QTest::newRow("bold twice") << QString() << QList<int>{3, 3} << QStringLiteral("[B][/B][B][/B]") << 10;
        QTest::newRow("underline after text") << QStringLiteral("hello") << QList<int>{4}
                                              << QStringLiteral("hello[U][/U]") << 8;
        QTest::newRow("italic") << QStringLiteral("a ") << QList<int>{5} << QStringLiteral("a [I][/I]") << 5;
        QTest::newRow("rule") << QStringLiteral("x") << QList<int>{7} << QStringLiteral("x[HR]") << 0;
        QTest::newRow("all four") << QString() << QList<int>{3, 4, 5, 7}
                                  << QStringLiteral("[B][/B][U][/U][I][/I][HR]") << 17;
    }

    void tagButtonsAppendTheirTags()
    {
        QFETCH(QString, before);
        QFETCH(QList<int>, buttons);
        QFETCH(QString, after);
        QFETCH(int, caret);
        chat()->txtText->setText(before);
        chat()->txtText->moveCursor(QTextCursor::Start);

        for (int button : buttons) {
            click(button);
            QVERIFY(!chat()->Toolbar1->button(button)->isChecked());
        }

        QCOMPARE(chat()->txtText->text(), after);
        QVERIFY(chat()->cmdSend->isEnabled());
        // The caret goes between the last pair of tags, ready for the text they mark; a rule has no
        // pair, and leaves the caret where it was.
        QCOMPARE(chat()->txtText->textCursor().position(), caret);
        QCOMPARE(sends(), 0);
    }

    // Ctrl+B, Ctrl+U and Ctrl+I put their tags around the selected text, which stays selected; with
    // nothing selected they add the tags at the end of the line, as their buttons do, with the caret
    // between them.
    void tagKeysWrapTheSelection_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<int>("anchor");
        QTest::addColumn<int>("position");
        QTest::addColumn<Qt::Key>("key");
        QTest::addColumn<QString>("after");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<int>("caret");
        QTest::newRow("bold on an empty line") << "" << 0 << 0 << Qt::Key_B << "[B][/B]" << "" << 3;
        QTest::newRow("underline with the caret before the text")
            << "hello" << 0 << 0 << Qt::Key_U << "hello[U][/U]" << "" << 8;
        QTest::newRow("italic with the caret inside the text")
            << "hello" << 2 << 2 << Qt::Key_I << "hello[I][/I]" << "" << 8;
        QTest::newRow("bold around a word") << "say hi now" << 4 << 6 << Qt::Key_B << "say [B]hi[/B] now" << "hi" << 9;
        QTest::newRow("underline around a word selected backwards")
            << "say hi now" << 6 << 4 << Qt::Key_U << "say [U]hi[/U] now" << "hi" << 7;
        QTest::newRow("italic around the whole line") << "hello" << 0 << 5 << Qt::Key_I << "[I]hello[/I]" << "hello" << 8;
        QTest::newRow("bold around the end of the line") << "a bc" << 2 << 4 << Qt::Key_B << "a [B]bc[/B]" << "bc" << 7;
        QTest::newRow("bold around a smiley code") << "x :) y" << 2 << 4 << Qt::Key_B << "x [B]:)[/B] y" << ":)" << 7;
    }

    void tagKeysWrapTheSelection()
    {
        QFETCH(QString, before);
        QFETCH(int, anchor);
        QFETCH(int, position);
        QFETCH(Qt::Key, key);
        QFETCH(QString, after);
        QFETCH(QString, selected);
        QFETCH(int, caret);
        InputLine *line = chat()->txtText;
        line->setText(before);
        QTextCursor cursor = line->textCursor();
        cursor.setPosition(anchor);
        cursor.setPosition(position, QTextCursor::KeepAnchor);
        line->setTextCursor(cursor);
        chat()->activateWindow();
        line->setFocus();

        QTest::keyClick(line, key, Qt::ControlModifier);

        QCOMPARE(line->text(), after);
        QCOMPARE(line->textCursor().selectedText(), selected);
        QCOMPARE(line->textCursor().position(), caret);
        QCOMPARE(sends(), 0);
    }

    // Ctrl+B, Ctrl+U and Ctrl+I do what their buttons do, wherever the focus is in the window.
    void tagKeysAppendTheirTags_data()
    {
        QTest::addColumn<bool>("focusOnUserList");
        QTest::newRow("in the input line") << false;
        QTest::newRow("in the user list") << true;
    }

    void tagKeysAppendTheirTags()
    {
        QFETCH(bool, focusOnUserList);
        chat()->txtText->setText(QStringLiteral("hi "));
        QWidget *focus = focusOnUserList ? static_cast<QWidget *>(chat()->lstUsers) : chat()->txtText;
        chat()->activateWindow();
        focus->setFocus();

        for (Qt::Key key : {Qt::Key_B, Qt::Key_U, Qt::Key_I})
            QTest::keyClick(focus, key, Qt::ControlModifier);

        QCOMPARE(chat()->txtText->text(), QStringLiteral("hi [B][/B][U][/U][I][/I]"));
        for (int button : {3, 4, 5})
            QVERIFY(!chat()->Toolbar1->button(button)->isChecked());
        QCOMPARE(sends(), 0);
    }

    void sendButtonFollowsTheText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("empty") << QString() << false;
        QTest::newRow("one blank") << QStringLiteral(" ") << true;
        QTest::newRow("a word") << QStringLiteral("hi") << true;
    }

    void sendButtonFollowsTheText()
    {
        QFETCH(QString, text);
        QFETCH(bool, enabled);
        chat()->txtText->setText(QStringLiteral("something"));
        chat()->txtText->setText(text);
        QCOMPARE(chat()->cmdSend->isEnabled(), enabled);
    }

    // Enter sends only when there is something to send, and never becomes a line break; what it
    // sends is the whole line as a public message, which then leaves the input line.
    void enterSendsWithoutLineBreak_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("expectedSends");
        QTest::newRow("text, Return") << QStringLiteral("hello") << int(Qt::Key_Return) << 0 << 1;
        QTest::newRow("text, keypad Enter") << QStringLiteral("hello") << int(Qt::Key_Enter)
                                            << int(Qt::KeypadModifier) << 1;
        QTest::newRow("text, Shift+Return") << QStringLiteral("hello") << int(Qt::Key_Return)
                                            << int(Qt::ShiftModifier) << 1;
        QTest::newRow("blanks only") << QStringLiteral("   ") << int(Qt::Key_Return) << 0 << 1;
        QTest::newRow("empty") << QString() << int(Qt::Key_Return) << 0 << 0;
    }

    void enterSendsWithoutLineBreak()
    {
        QFETCH(QString, text);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(int, expectedSends);
        InputLine *line = chat()->txtText;
        line->setFocus();
        QTest::keyClicks(line, text);

        QTest::keyClick(line, Qt::Key(key), Qt::KeyboardModifiers(modifiers));

        const QStringList expectedWire = expectedSends
            ? QStringList{WireProtocol::message(chat()->txtUser->text(), text)} : QStringList();
        QCOMPARE(outbox.sent, expectedWire);
        QCOMPARE(line->text(), expectedSends ? QString() : text);
        QCOMPARE(line->document()->blockCount(), 1);
    }

    void megabyteLineKeepsWorking()
    {
        InputLine *line = chat()->txtText;
        const QString megabyte(1 << 20, QLatin1Char('x'));
        line->setText(megabyte);
        line->moveCursor(QTextCursor::End);
        line->setFocus();

        QTest::keyClick(line, Qt::Key_Y);
        click(3);
        QTest::keyClick(line, Qt::Key_Return);
        QTest::qWait(10);

        QCOMPARE(sends(), 1);
        const QString wholeLine = megabyte + QStringLiteral("y[B][/B]");
        QCOMPARE(outbox.sent.first().size(), WireProtocol::message(chat()->txtUser->text(), wholeLine).size());
        QVERIFY(outbox.sent.first() == WireProtocol::message(chat()->txtUser->text(), wholeLine));
        QVERIFY(line->text().isEmpty());
        QCOMPARE(line->document()->blockCount(), 1);
    }

    void toolbarOpensWindows_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<QString>("window");
        QTest::newRow("options") << 1 << QStringLiteral("Options");
        QTest::newRow("smileys") << 6 << QStringLiteral("Smile");
        QTest::newRow("link") << 8 << QStringLiteral("Add Url");
        QTest::newRow("about") << 11 << QStringLiteral("About");
    }

    // The visible window the toolbar button opened.
    QWidget *openedBy(int button, const QString &title)
    {
        click(button);
        for (QWidget *top : QApplication::topLevelWidgets()) {
            if (top->isVisible() && top->windowTitle() == title)
                return top;
        }
        return nullptr;
    }

    void toolbarOpensWindows()
    {
        QFETCH(int, button);
        QFETCH(QString, window);
        QWidget *opened = openedBy(button, window);
        QVERIFY(opened);
        QVERIFY(!opened->isModal());
        QVERIFY(!chat()->Toolbar1->button(button)->isChecked());
    }

    void toolbarPrintAndExit()
    {
        click(9);
        QCOMPARE(fakes.dialogs.printDialogs, 1);
        QCOMPARE(fakes.stops, 0);
        click(12);
        QCOMPARE(fakes.stops, 1);
    }

    void smileyAppendsItsCodeAndHides_data()
    {
        QTest::addColumn<int>("picture");
        QTest::addColumn<QString>("code");
        const QStringList codes = {
            QStringLiteral(" :) "),    QStringLiteral(" ::/: "), QStringLiteral(" lol "),
            QStringLiteral(" :unsure: "), QStringLiteral(" :yes: "), QStringLiteral(" :no: "),
            QStringLiteral(" :D "),    QStringLiteral(" :sun: "), QStringLiteral(" :cool: "),
            QStringLiteral(" :S "),    QStringLiteral(" :bye: "), QStringLiteral(" !! "),
            QStringLiteral(" :idea: "), QStringLiteral(" :brow: "), QStringLiteral(" :crazy: "),
            QStringLiteral(" :-( "),   QStringLiteral(" :cry: "),
        };
        for (int picture = 1; picture <= frmSmile::PictureCount; ++picture)
            QTest::addRow("Image%d", picture) << picture << codes.at(picture - 1);
    }

    void smileyAppendsItsCodeAndHides()
    {
        QFETCH(int, picture);
        QFETCH(QString, code);
        chat()->txtText->setText(QStringLiteral("hi"));
        frmSmile *smile = Form<frmSmile>::get();
        smile->show();
        QVERIFY(QTest::qWaitForWindowExposed(smile));
        ClickablePicture *face = smile->picture(picture);
        QVERIFY(!face->pixmap().isNull());
        QVERIFY(smile->rect().contains(face->geometry()));

        QTest::mouseClick(face, Qt::LeftButton);

        QCOMPARE(chat()->txtText->text(), QStringLiteral("hi") + code);
        QVERIFY(!smile->isVisible());
        QCOMPARE(Form<frmSmile>::loaded(), smile); // hidden, not unloaded
    }

    void smileysInARowKeepTheirBlanks()
    {
        click(6);
        QTest::mouseClick(Form<frmSmile>::get()->picture(1), Qt::LeftButton);
        click(6);
        QTest::mouseClick(Form<frmSmile>::get()->picture(17), Qt::LeftButton);
        QCOMPARE(chat()->txtText->text(), QStringLiteral(" :)  :cry: "));

        click(6);
        QTest::mouseClick(Form<frmSmile>::get()->Command1, Qt::LeftButton);
        QVERIFY(!Form<frmSmile>::get()->isVisible());
        QCOMPARE(chat()->txtText->text(), QStringLiteral(" :)  :cry: "));
    }

    // The arrow keys walk the faces as they stand; Enter chooses one.
    void smileyPickerByKeyboard_data()
    {
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<QString>("code");
        QTest::newRow("first face") << QList<int>{Qt::Key_Return} << QStringLiteral(" :) ");
        QTest::newRow("right, down") << QList<int>{Qt::Key_Right, Qt::Key_Down, Qt::Key_Return}
                                     << QStringLiteral(" :cool: ");
        QTest::newRow("down to the bottom row") << QList<int>{Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Space}
                                                << QStringLiteral(" :sun: ");
        QTest::newRow("left at the edge stays") << QList<int>{Qt::Key_Left, Qt::Key_Return} << QStringLiteral(" :) ");
        QTest::newRow("right to the end, up") << QList<int>{Qt::Key_Right, Qt::Key_Right, Qt::Key_Right, Qt::Key_Right,
                                                            Qt::Key_Right, Qt::Key_Right, Qt::Key_Down, Qt::Key_Up,
                                                            Qt::Key_Return}
                                              << QStringLiteral(" :no: ");
    }

    void smileyPickerByKeyboard()
    {
        QFETCH(QList<int>, keys);
        QFETCH(QString, code);
        click(6);
        frmSmile *smile = Form<frmSmile>::get();
        smile->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(smile));

        for (int key : keys)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));

        QCOMPARE(chat()->txtText->text(), code);
        QVERIFY(!smile->isVisible());
    }

    // The smiley picker, the rule and the link dialog have keys as well: Ctrl+E, Ctrl+H, Ctrl+K.
    void composeKeysDoWhatTheirButtonsDo()
    {
        chat()->txtText->setText(QStringLiteral("a"));
        chat()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(chat()));

        QTest::keyClick(chat()->txtText, Qt::Key_H, Qt::ControlModifier);
        QCOMPARE(chat()->txtText->text(), QStringLiteral("a[HR]"));
        QTest::keyClick(chat()->txtText, Qt::Key_E, Qt::ControlModifier);
        QTRY_VERIFY(Form<frmSmile>::isLoaded() && Form<frmSmile>::loaded()->isVisible());
        Form<frmSmile>::loaded()->hide();
        chat()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(chat()));
        QTest::keyClick(chat()->txtText, Qt::Key_K, Qt::ControlModifier);
        QTRY_VERIFY(Form<frmUrl>::isLoaded() && Form<frmUrl>::loaded()->isVisible());
        for (int button : {6, 7, 8})
            QVERIFY(!chat()->Toolbar1->button(button)->isChecked());
    }

    void escapeLeavesTheSmallWindows_data()
    {
        toolbarOpensWindows_data();
    }

    void escapeLeavesTheSmallWindows()
    {
        QFETCH(int, button);
        QFETCH(QString, window);
        const QPointer<QWidget> opened(openedBy(button, window));
        QVERIFY(opened);
        opened->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(opened));

        QTest::keyClick(opened->focusWidget() ? opened->focusWidget() : opened.data(), Qt::Key_Escape);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

        // The smiley picker hides, as its Close button does; the others close (options as Cancel).
        QCOMPARE(opened.isNull(), window != QLatin1String("Smile"));
        if (opened)
            QVERIFY(!opened->isVisible());
    }

    void linkIsAppendedAsTyped_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("byEnter");
        QTest::newRow("address, Enter") << QStringLiteral("www.example.org") << true;
        QTest::newRow("address, button") << QStringLiteral("http://example.org/a b") << false;
        QTest::newRow("smiley code inside") << QStringLiteral("lol.example.org") << true;
        QTest::newRow("empty") << QString() << true;
    }

    void linkIsAppendedAsTyped()
    {
        QFETCH(QString, address);
        QFETCH(bool, byEnter);
        chat()->txtText->setText(QStringLiteral("see "));
        click(8);
        frmUrl *url = Form<frmUrl>::loaded();
        QVERIFY(url);
        QVERIFY(url->txtUrl->text().isEmpty());
        QTest::keyClicks(url->txtUrl, address);

        if (byEnter)
            QTest::keyClick(url->txtUrl, Qt::Key_Return);
        else
            QTest::mouseClick(url->Command1, Qt::LeftButton);

        QCOMPARE(chat()->txtText->text(), QStringLiteral("see [URL]") + address + QStringLiteral("[/URL]")
                                              + address + QStringLiteral("[URL/]"));
        QVERIFY(!Form<frmUrl>::isLoaded());
        QCOMPARE(sends(), 0);
    }

    // On a connection in Windows-1250 a character the code page lacks goes out as "?", and the server
    // sends the own message back so. Shown back, each lost character is U+FFFD: "??" made of lost
    // characters never becomes the question smiley, while "??" typed still does.
    void ownLostCharactersNeverMakeASmiley_data()
    {
        QTest::addColumn<QString>("sender");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("echo"); // as the server sends it back
        QTest::addColumn<int>("questionSmileys");
        QTest::addColumn<int>("lostMarks");
        QTest::newRow("two lost characters") << "bob" << QStringLiteral("\u65E5\u672C") << "??" << 0 << 2;
        QTest::newRow("an emoji and a lost letter") << "bob" << QStringLiteral("\U0001F600\u05D0") << "??" << 0 << 2;
        QTest::newRow("typed question marks") << "bob" << "??" << "??" << 1 << 0;
        QTest::newRow("typed beside lost") << "bob" << QStringLiteral("??\u65E5\u672C??") << "??????" << 2 << 2;
        QTest::newRow("code page letters stay") << "bob" << QStringLiteral("Za\u017C\u00F3\u0142\u0107 \u65E5")
                                                << QStringLiteral("Za\u017C\u00F3\u0142\u0107 ?") << 0 << 1;
        QTest::newRow("another user's, as it comes") << "eve" << QStringLiteral("\u65E5\u672C") << "??" << 1 << 0;
        QTest::newRow("not what was sent") << "bob" << QStringLiteral("\u65E5\u672C") << "?? no" << 1 << 0;
    }
    void ownLostCharactersNeverMakeASmiley()
    {
        QFETCH(QString, sender);
        QFETCH(QString, typed);
        QFETCH(QString, echo);
        QFETCH(int, questionSmileys);
        QFETCH(int, lostMarks);
        chat()->txtUser->setText(QStringLiteral("bob"));
        chat()->txtText->setText(typed);
        chat()->cmdSend_Click();
        QCOMPARE(outbox.sent, QStringList{WireProtocol::message(QStringLiteral("bob"), typed)});

        const qsizetype before = chat()->txtHistory->pageSource().size();
        chat()->AddChat(sender, echo);
        const QString row = chat()->txtHistory->pageSource().mid(before);
        QCOMPARE(int(row.count(QStringLiteral("question.gif"))), questionSmileys);
        QCOMPARE(int(row.count(QChar::ReplacementCharacter)), lostMarks);
    }
};

QTEST_MAIN(tst_Composition)
#include "tst_composition.moc"
