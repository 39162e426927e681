#include "support/ChatWindowTestCase.h"

#include "app/Form.h"
#include "app/Twips.h"
#include "transcript/MessageMarkup.h"
#include "transcript/TranscriptRows.h"
#include "transcript/TranscriptView.h"
#include "windows/ChatLayout.h"
#include "windows/ComposeToolbar.h"
#include "windows/InputLine.h"
#include "windows/PanelStatusBar.h"
#include "windows/SkinTable.h"
#include "windows/frmAbout.h"
#include "windows/frmChat.h"
#include "windows/frmSignon.h"

#include <QAction>
#include <QGlyphRun>
#include <QRawFont>
#include <QTextLayout>
#include <QClipboard>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>

// The main chat window as a whole: what loading it sets up, its skin, how it lays itself out,
// the transcript rows it writes, the page reset and printing, and the ways out.
class tst_frmChat : public ChatWindowTestCase
{
    Q_OBJECT

    static void unloadAll()
    {
        Form<frmAbout>::unload();
        Form<frmChat>::unload();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // The geometry the layout rules give for the window's current client size, in pixels.
    static QRect expectedPixels(const frmChat *chat, QRect ChatLayout::Geometry::*control)
    {
        const QSize outer = ChatLayout::outerSize(Twips::fromPixels(chat->size()));
        return Twips::toPixels(ChatLayout::apply(outer.width(), outer.height(), ChatLayout::designed()).*control);
    }

    // A PDF written to its end (a print still running has not written its end yet).
    static bool isWholePdf(const QString &path)
    {
        QFile pdf(path);
        return pdf.open(QIODevice::ReadOnly) && pdf.readAll().trimmed().endsWith("%%EOF");
    }

    static QString pageHead()
    {
        TranscriptView view;
        view.WritePageHead();
        return view.pageSource();
    }

    // A row as built now; a row built across a change of second matches one of the two.
    static bool isRowOfNow(const QString &row, const std::function<QString(const QString &)> &build,
                           const QString &stampBefore)
    {
        return row == build(stampBefore) || row == build(TranscriptRows::timeStamp());
    }

private slots:
    void init()
    {
        fakes.choices.skin = QStringLiteral("Blue Skin");
        fakes.sounds.played.clear();
        fakes.dialogs.printDialogs = 0;
        fakes.dialogs.printAccepted = false;
        QFile::remove(fakes.dialogs.printFile);
        fakes.stops = 0;
        modMain::PromptMode = false;
        modMain::SoundsOn = true;
    }

    void cleanup() { unloadAll(); }

    // Hidden, the chat window waits for the tray to bring it back; with no tray (as here), closing
    // the last visible window ends the program instead of leaving it running unseen.
    void closingTheLastWindowWithoutATray_data()
    {
        QTest::addColumn<bool>("chatShown");
        QTest::newRow("chat hidden: the program ends") << false;
        QTest::newRow("chat shown: it goes on") << true;
    }

    void closingTheLastWindowWithoutATray()
    {
        QFETCH(bool, chatShown);
        frmChat *chat = Form<frmChat>::get();
        chat->setVisible(chatShown);
        frmSignon *signon = Form<frmSignon>::get();
        signon->show();
        QVERIFY(QTest::qWaitForWindowExposed(signon));

        // Qt tells of the last window closing only inside the program's event loop.
        QTimer::singleShot(0, signon, &QWidget::close);
        // (exit, not quit: quit would close every window first.)
        QTimer::singleShot(100, qApp, [] { QCoreApplication::exit(0); });
        QCoreApplication::exec();

        QCOMPARE(fakes.stops, chatShown ? 0 : 1);
    }

    // Ctrl+C on the user list copies the selected name whole, its control characters as U+FFFD.
    void userListCopiesNamesWithoutControlCharacters_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("copied");
        const QString r(QChar::ReplacementCharacter);
        QTest::newRow("plain") << QStringLiteral("ana") << QStringLiteral("ana");
        QTest::newRow("escape sequence and bell") << QStringLiteral("\x1b]0;x\x07" "ana\x1b[2J")
                                                  << r + "]0;x" + r + "ana" + r + "[2J";
        QTest::newRow("delete and C1") << QString::fromUtf16(u"a\x7f\u009bb\u0085") << "a" + r + r + "b" + r;
        QTest::newRow("longer than shown") << QString(300, u'n') + u'\x1b' << QString(300, u'n') + r;
        // Pasted into source text or a terminal, they would reorder what is read there.
        QTest::newRow("bidirectional controls") << QStringLiteral("a\u202Eb\u2067c\u200F") << "a" + r + "b" + r + "c" + r;
    }

    void userListCopiesNamesWithoutControlCharacters()
    {
        QFETCH(QString, name);
        QFETCH(QString, copied);
        frmChat *chat = Form<frmChat>::get();
        chat->lstUsers->addItem(QStringLiteral("bob"));
        chat->lstUsers->addItem(name);
        chat->lstUsers->setCurrentRow(1);
        QGuiApplication::clipboard()->clear();

        QTest::keyClick(chat->lstUsers, Qt::Key_C, Qt::ControlModifier);

        QCOMPARE(QGuiApplication::clipboard()->text(), copied);
        QCOMPARE(chat->lstUsers->item(1)->text(), name);
    }

    void loadSetsUpControlsAndMenus()
    {
        frmChat *chat = Form<frmChat>::get();
        QVERIFY(!chat->isVisible());
        QCOMPARE(chat->windowTitle(), QString());

        QVERIFY(!chat->cmdSend->isEnabled());
        QCOMPARE(chat->StatusBar1->panelText(1), QStringLiteral("Connecting..."));
        QCOMPARE(chat->StatusBar1->panelText(2), QString());
        QCOMPARE(chat->users->text(), QStringLiteral("0 Users"));
        QVERIFY(!chat->tmrConnection->isActive());
        QCOMPARE(chat->tmrConnection->interval(), 1000);
        QCOMPARE(chat->lstUsers->selectionMode(), QAbstractItemView::SingleSelection);
        QCOMPARE(chat->txtText->font().pointSizeF(), 9.75);
        // Emoji typed into the input line show in colour, as in the rows.
        QTextLayout typed(QStringLiteral("a \U0001F600"), chat->txtText->font());
        typed.setCacheEnabled(true);
        typed.beginLayout();
        typed.createLine();
        typed.endLayout();
        QStringList faces;
        for (const QGlyphRun &run : typed.glyphRuns())
            faces.append(run.rawFont().familyName());
        QVERIFY2(faces.contains(QStringLiteral("Noto Color Emoji")), qPrintable(faces.join(u',')));
        QVERIFY(chat->txtHistory->pageSource().startsWith(pageHead()));

        chat->show();
        QVERIFY(QTest::qWaitForWindowExposed(chat));
        for (QWidget *hidden : {static_cast<QWidget *>(chat->cmdSend), static_cast<QWidget *>(chat->cmdClear),
                                static_cast<QWidget *>(chat->txtUser)})
            QVERIFY(!hidden->isVisible());
        QCOMPARE(chat->focusWidget(), chat->txtText);
        chat->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(chat));
        QTest::keyClick(chat->txtText, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), chat->lstUsers);
        // Back to front: the skin, the column header, the user count, then the controls.
        const QObjectList order = chat->children();
        QVERIFY(order.indexOf(chat->style) < order.indexOf(chat->style_userlist));
        QVERIFY(order.indexOf(chat->style_userlist) < order.indexOf(chat->users));
        QVERIFY(order.indexOf(chat->users) < order.indexOf(chat->lstUsers));
        QVERIFY(order.indexOf(chat->users) < order.indexOf(chat->txtHistory));

        QCOMPARE(chat->mnuFile->title(), QStringLiteral("File"));
        QCOMPARE(chat->mnuAbout0->title(), QStringLiteral("About"));
        QCOMPARE(chat->mnuHistory->title(), QStringLiteral("Menu"));
        QCOMPARE(chat->mnu->title(), QString());
        const QList<QPair<QAction *, QString>> items = {
            {chat->mnuDiscon, QStringLiteral("Disconnect")}, {chat->mnuOpt, QStringLiteral("Options")},
            {chat->mnuPrompt, QStringLiteral("Prompt")},     {chat->mnuExit, QStringLiteral("Exit")},
            {chat->mnuAAC, QStringLiteral("About Chat")},    {chat->mnuPM, QStringLiteral("Private Message")},
            {chat->mnuClear, QStringLiteral("Clear")},       {chat->mnuPrint, QStringLiteral("Print")},
        };
        for (const auto &[action, caption] : items)
            QCOMPARE(action->text(), caption);
        QVERIFY(chat->spacer2->isSeparator());
        QCOMPARE(chat->mnuFile->actions(),
                 (QList<QAction *>{chat->mnuDiscon, chat->mnuOpt, chat->mnuPrompt, chat->spacer2, chat->mnuExit}));
        for (QMenu *menu : {chat->mnuFile, chat->mnuAbout0, chat->mnu, chat->mnuHistory})
            QVERIFY(!menu->isVisible());
    }

    void promptItemFollowsPromptMode_data()
    {
        QTest::addColumn<bool>("promptMode");
        QTest::newRow("normal") << false;
        QTest::newRow("prompt mode") << true;
    }

    void promptItemFollowsPromptMode()
    {
        QFETCH(bool, promptMode);
        modMain::PromptMode = promptMode;
        frmChat *chat = Form<frmChat>::get();
        QCOMPARE(chat->mnuPrompt->isVisible(), promptMode);
        QVERIFY(!chat->mnuFile->isVisible());
    }

    void skinFollowsTheSkinName_data()
    {
        QTest::addColumn<QString>("skinName");
        QTest::addColumn<int>("picture"); // 0: the stored background, the blue skin's picture, stays

        QTest::newRow("blue") << QStringLiteral("Blue Skin") << 1;
        QTest::newRow("empty") << QString() << 1;
        QTest::newRow("green") << QStringLiteral("Green Skin") << 2;
        QTest::newRow("yellow") << QStringLiteral("Yellow Skin") << 3;
        QTest::newRow("red, as the options window names it") << QStringLiteral("Rad Skin") << 4;
        QTest::newRow("black") << QStringLiteral("Black Skin") << 5;
        QTest::newRow("other letter case") << QStringLiteral("black skin") << 0;
        QTest::newRow("red spelt right") << QStringLiteral("Red Skin") << 0;
        QTest::newRow("trailing blank") << QStringLiteral("Green Skin ") << 0;
        QTest::newRow("other text") << QStringLiteral("Purple") << 0;
    }

    void skinFollowsTheSkinName()
    {
        QFETCH(QString, skinName);
        QFETCH(int, picture);
        fakes.choices.skin = skinName;

        frmChat *chat = Form<frmChat>::get();
        const QImage shown = chat->style->pixmap().toImage();
        QVERIFY(!shown.isNull());
        for (int i = 1; i <= SkinTable::PictureCount; ++i) {
            const QImage skin(SkinTable::picturePath(i));
            QVERIFY(!skin.isNull());
            QCOMPARE(shown.convertToFormat(skin.format()) == skin, i == qMax(picture, 1));
        }
    }

    // Sizes reached one after the other; after the last one every control stands where the
    // rules put it for that size, whatever the sizes before refused.
    void layoutFollowsTheWindow_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::newRow("shown") << QStringLiteral("show");
        QTest::newRow("minimised and restored") << QStringLiteral("show minimise restore");
        QTest::newRow("one pixel, then designed size") << QStringLiteral("show tiny designed");
        QTest::newRow("one pixel") << QStringLiteral("show tiny");
        QTest::newRow("maximised") << QStringLiteral("show maximise");
        QTest::newRow("maximised and restored") << QStringLiteral("show maximise restore");
        QTest::newRow("narrow, then wide") << QStringLiteral("show narrow wide");
    }

    void layoutFollowsTheWindow()
    {
        QFETCH(QString, steps);
        frmChat *chat = Form<frmChat>::get();
        const QSize designed = chat->size();
        QCOMPARE(designed, Twips::toPixels(ChatLayout::designedClientSize()));

        int lastTextWidth = 0;
        int lastHistoryWidth = 0;
        for (const QString &step : steps.split(QLatin1Char(' '))) {
            lastTextWidth = chat->txtText->width();
            lastHistoryWidth = chat->txtHistory->width();
            if (step == QLatin1String("show"))
                chat->show();
            else if (step == QLatin1String("minimise"))
                chat->showMinimized();
            else if (step == QLatin1String("restore"))
                chat->showNormal();
            else if (step == QLatin1String("maximise"))
                chat->showMaximized();
            else if (step == QLatin1String("tiny"))
                chat->resize(1, 1);
            else if (step == QLatin1String("narrow"))
                chat->resize(100, 315);
            else if (step == QLatin1String("wide"))
                chat->resize(900, 500);
            else if (step == QLatin1String("designed"))
                chat->resize(designed);
            QTest::qWait(20);
        }

        QCOMPARE(chat->Toolbar1->geometry().topLeft(), QPoint(0, 0));
        QCOMPARE(chat->Toolbar1->width(), chat->width());
        QCOMPARE(chat->StatusBar1->geometry().bottom(), chat->height() - 1);
        QCOMPARE(chat->StatusBar1->width(), chat->width());
        if (chat->width() < 200) {
            // Too small for the input line and the transcript: they keep their widths.
            QCOMPARE(chat->txtText->width(), lastTextWidth);
            QCOMPARE(chat->txtHistory->width(), lastHistoryWidth);
            QCOMPARE(chat->lstUsers->x(), expectedPixels(chat, &ChatLayout::Geometry::lstUsers).x());
            return;
        }
        QCOMPARE(chat->lstUsers->geometry(), expectedPixels(chat, &ChatLayout::Geometry::lstUsers));
        QCOMPARE(chat->users->geometry(), expectedPixels(chat, &ChatLayout::Geometry::users));
        QCOMPARE(chat->cmdSend->geometry(), expectedPixels(chat, &ChatLayout::Geometry::cmdSend));
        QCOMPARE(chat->txtText->geometry(), expectedPixels(chat, &ChatLayout::Geometry::txtText));
        QCOMPARE(chat->txtHistory->geometry(), expectedPixels(chat, &ChatLayout::Geometry::txtHistory));
        QCOMPARE(chat->style->geometry(), expectedPixels(chat, &ChatLayout::Geometry::style));
        QCOMPARE(chat->style_userlist->geometry(), expectedPixels(chat, &ChatLayout::Geometry::style_userlist));
        // Nothing the user works with hides under the toolbar or the status bar.
        for (QWidget *control : {static_cast<QWidget *>(chat->txtHistory), static_cast<QWidget *>(chat->txtText),
                                 static_cast<QWidget *>(chat->lstUsers)}) {
            QVERIFY(control->y() >= chat->Toolbar1->geometry().bottom());
            QVERIFY(control->geometry().bottom() < chat->StatusBar1->y());
        }
    }

    void rowsGoToThePageAndSoundAsTheyShould_data()
    {
        QTest::addColumn<QString>("method");
        QTest::addColumn<bool>("soundsOn");
        QTest::addColumn<QStringList>("played");
        const QStringList joinSound = {QStringLiteral("/sounds/row4.wav")};
        QTest::newRow("AddText") << QStringLiteral("AddText") << true << joinSound;
        QTest::newRow("AddChat") << QStringLiteral("AddChat") << true << QStringList();
        QTest::newRow("AddChatPM") << QStringLiteral("AddChatPM") << true << joinSound;
        QTest::newRow("AddText, sounds off") << QStringLiteral("AddText") << false << QStringList();
        QTest::newRow("AddChatPM, sounds off") << QStringLiteral("AddChatPM") << false << QStringList();
    }

    void rowsGoToThePageAndSoundAsTheyShould()
    {
        QFETCH(QString, method);
        QFETCH(bool, soundsOn);
        QFETCH(QStringList, played);
        modMain::SoundsOn = soundsOn;
        frmChat *chat = Form<frmChat>::get();
        const QString before = chat->txtHistory->pageSource();
        const QString user = QStringLiteral("ana");
        const QString text = QStringLiteral("hi :) [B]there[/B]");

        const QString stamp = TranscriptRows::timeStamp();
        std::function<QString(const QString &)> build;
        if (method == QLatin1String("AddText")) {
            chat->AddText(text);
            build = [&](const QString &s) { return TranscriptRows::textRow(s, text); };
        } else if (method == QLatin1String("AddChat")) {
            chat->AddChat(user, text);
            build = [&](const QString &s) {
                return TranscriptRows::chatRow(s, user, MessageMarkup::ConvertMarkup(text));
            };
        } else {
            chat->AddChatPM(user, text);
            build = [&](const QString &s) { return TranscriptRows::pmRow(s, user, text); };
        }

        const QString page = chat->txtHistory->pageSource();
        QVERIFY(page.startsWith(before));
        QVERIFY2(isRowOfNow(page.mid(before.size()), build, stamp), qPrintable(page.mid(before.size())));
        QCOMPARE(fakes.sounds.played, played);
    }

    void clearWritesHeadAndBanner_data()
    {
        QTest::addColumn<QString>("userName");
        QTest::addColumn<QString>("shownName");
        QTest::newRow("plain") << QStringLiteral("ana") << QStringLiteral("ana");
        QTest::newRow("not signed on") << QString() << QString();
        QTest::newRow("markup in the name stays text") << QStringLiteral("<b>x</b>&")
                                                       << QStringLiteral("&lt;b&gt;x&lt;/b&gt;&amp;");
    }

    void clearWritesHeadAndBanner()
    {
        QFETCH(QString, userName);
        QFETCH(QString, shownName);
        frmChat *chat = Form<frmChat>::get();
        chat->AddText(QStringLiteral("an old row"));
        chat->txtUser->setText(userName);

        chat->mnuClear->trigger();

        QCOMPARE(chat->txtHistory->pageSource(),
                 pageHead() + QStringLiteral("<div align='center'><span class='style1'>Welcome to Korvani ")
                     + shownName + QStringLiteral("</span></div><hr>"));
    }

    void transcriptRightClickShowsItsMenu()
    {
        frmChat *chat = Form<frmChat>::get();
        chat->show();
        QVERIFY(QTest::qWaitForWindowExposed(chat));
        const QPoint at = chat->txtHistory->mapToGlobal(QPoint(30, 30));
        emit chat->txtHistory->contextMenuRequested(at);
        QTRY_VERIFY(chat->mnuHistory->isVisible());
        QCOMPARE(chat->mnuHistory->pos(), at);
        chat->mnuHistory->close();
        QVERIFY(!chat->mnuFile->isVisible());
    }

    void printAsksFirst_data()
    {
        QTest::addColumn<bool>("accepted");
        QTest::newRow("printed") << true;
        QTest::newRow("cancelled") << false;
    }

    void printAsksFirst()
    {
        QFETCH(bool, accepted);
        fakes.dialogs.printAccepted = accepted;
        frmChat *chat = Form<frmChat>::get();
        chat->AddChat(QStringLiteral("ana"), QStringLiteral("to paper"));

        chat->mnuPrint->trigger();

        QCOMPARE(fakes.dialogs.printDialogs, 1);
        QCOMPARE(QFile::exists(fakes.dialogs.printFile), accepted);
        if (accepted)
            QTRY_VERIFY(isWholePdf(fakes.dialogs.printFile));
    }

    // A long page prints while the window goes on answering, with a progress window whose Cancel
    // stops the print and leaves the window as it was.
    void printingLetsTheWindowAnswer_data()
    {
        QTest::addColumn<bool>("cancelled");
        QTest::newRow("printed") << false;
        QTest::newRow("cancelled") << true;
    }

    void printingLetsTheWindowAnswer()
    {
        QFETCH(bool, cancelled);
        fakes.dialogs.printAccepted = true;
        frmChat *chat = Form<frmChat>::get();
        for (int i = 0; i < 2000; ++i)
            chat->AddChat(QStringLiteral("ana"), QStringLiteral("row %1 to paper").arg(i));
        int turns = 0;
        QTimer everyTurn;
        connect(&everyTurn, &QTimer::timeout, [&turns] { ++turns; });
        everyTurn.start(0);

        chat->mnuPrint->trigger();
        if (cancelled) {
            QProgressDialog *progress = chat->findChild<QProgressDialog *>();
            QVERIFY(progress != nullptr);
            QTRY_VERIFY(progress->value() > 0);
            progress->findChild<QPushButton *>()->click();
            QTRY_VERIFY(chat->findChild<QProgressDialog *>() == nullptr);
        }
        QTRY_VERIFY_WITH_TIMEOUT(isWholePdf(fakes.dialogs.printFile), 60000);
        QTRY_VERIFY(chat->findChild<QProgressDialog *>() == nullptr);
        QVERIFY2(turns > 10, qPrintable(QString::number(turns)));

        chat->AddChat(QStringLiteral("ana"), QStringLiteral("after the print"));
        QVERIFY(chat->txtHistory->pageSource().endsWith(QStringLiteral("after the print</td></tr></table>")));
    }

    // Without a menu bar, the File and About commands are on shortcuts and on a right click into
    // the window's own area.
    void fileAndAboutCommandsAreReachable()
    {
        frmChat *chat = Form<frmChat>::get();
        chat->show();
        chat->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(chat));

        QTest::keyClick(chat->txtText, Qt::Key_F1);
        QTRY_VERIFY(Form<frmAbout>::isLoaded() && Form<frmAbout>::loaded()->isVisible());
        Form<frmAbout>::unload();
        chat->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(chat));

        QTest::keyClick(chat->txtText, Qt::Key_Q, Qt::ControlModifier);
        QCOMPARE(fakes.stops, 1);

        const QPoint onSkin = chat->style_userlist->geometry().topLeft() + QPoint(4, 4); // the column header
        QContextMenuEvent rightClick(QContextMenuEvent::Mouse, onSkin, chat->mapToGlobal(onSkin));
        QCoreApplication::sendEvent(chat, &rightClick);
        QMenu *windowMenu = nullptr;
        for (QMenu *menu : chat->findChildren<QMenu *>()) {
            if (menu->isVisible())
                windowMenu = menu;
        }
        QVERIFY(windowMenu);
        QVERIFY(windowMenu->actions().contains(chat->mnuDiscon));
        QVERIFY(windowMenu->actions().contains(chat->mnuOpt));
        QVERIFY(windowMenu->actions().contains(chat->mnuAAC));
        QVERIFY(windowMenu->actions().contains(chat->mnuExit));
        windowMenu->close();
    }

    void closingEndsTheProgram()
    {
        frmChat *chat = Form<frmChat>::get();
        chat->show();
        QVERIFY(QTest::qWaitForWindowExposed(chat));
        chat->close();
        QCOMPARE(fakes.stops, 1);
        QVERIFY(Form<frmChat>::isLoaded());
    }
};

QTEST_MAIN(tst_frmChat)
#include "tst_frmchat.moc"
