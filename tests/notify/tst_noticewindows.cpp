#include "app/Form.h"
#include "notify/frmMessage.h"
#include "notify/frmNewuser.h"
#include "notify/NoticePlacement.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QScreen>
#include <QScrollBar>
#include <QTest>

// The notice windows as the dispatcher uses them: show, then set the text; they close by
// themselves after their real intervals (6 s and 3 s).
class tst_NoticeWindows : public QObject
{
    Q_OBJECT
private slots:
    void cleanup()
    {
        Form<frmMessage>::unload();
        Form<frmNewuser>::unload();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void messageOfDayWindow()
    {
        frmMessage *window = showMessage(QStringLiteral("Welcome to the Korvani server"));
        QCOMPARE(window->windowTitle(), QStringLiteral("- Message of Day"));
        QCOMPARE(window->Label1[0]->text(), QStringLiteral("Message"));
        QCOMPARE(window->Label1[1]->text(), QStringLiteral("of Day!!!"));
        QCOMPARE(window->Label2->text(), QStringLiteral("Korvani"));
        QCOMPARE(window->txtmessage->toPlainText(), QStringLiteral("Welcome to the Korvani server"));
        QCOMPARE(window->geometry(), expectedGeometry(QRect(543, 460, 256, 103)));
        QVERIFY(window->windowFlags().testFlag(Qt::Tool));
        QVERIFY(!window->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
        QVERIFY(!window->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    }

    // The server's text is shown as it came and copied with U+FFFD for its control characters, by
    // the keyboard and by the box's own menu alike.
    void messageOfDayCopiesWithoutControlCharacters()
    {
        const QString sent = QString::fromUtf16(u"Rules\x1b[2J\x07 \u009b0m\x7f\tend\nsecond line");
        const QString r(QChar::ReplacementCharacter);
        frmMessage *window = showMessage(sent);
        QCOMPARE(window->txtmessage->toPlainText(), sent);

        window->txtmessage->selectAll();
        window->txtmessage->copy();
        QCOMPARE(QGuiApplication::clipboard()->text(), "Rules" + r + "[2J" + r + " " + r + "0m" + r + "\tend\nsecond line");
        QGuiApplication::clipboard()->clear();
        QTest::keyClick(window->txtmessage, Qt::Key_C, Qt::ControlModifier);
        QVERIFY(!QGuiApplication::clipboard()->text().contains(QChar(0x1b)));
        QVERIFY(QGuiApplication::clipboard()->text().startsWith("Rules" + r));
    }

    void newUserWindow()
    {
        frmNewuser *window = Form<frmNewuser>::get();
        QCOMPARE(window->lblNewuser->text(), QStringLiteral("New has just join the chat"));
        window = showNewUser(QStringLiteral("Ana"));
        QCOMPARE(window->windowTitle(), QStringLiteral("- New User  !"));
        QCOMPARE(window->lblNewuser->text(), QStringLiteral("Ana has join the chat!!!"));
        QVERIFY(window->lblNewuser->font().bold());
        QCOMPARE(window->geometry(), expectedGeometry(QRect(575, 427, 199, 134)));
        // The label runs past the window's right edge, so a long name is cut off there.
        QVERIFY(window->lblNewuser->geometry().right() > window->rect().right());
    }

    void longMessageWrapsWithoutScrollBar()
    {
        frmMessage *window = showMessage(QStringLiteral("word ").repeated(120));
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QCOMPARE(window->txtmessage->lineWrapMode(), QPlainTextEdit::WidgetWidth);
        QVERIFY(!window->txtmessage->verticalScrollBar()->isVisible());
        QVERIFY(!window->txtmessage->horizontalScrollBar()->isVisible());
    }

    void messageOfDayClosesAfterSixSeconds()
    {
        showMessage(QStringLiteral("first"));
        QTest::qWait(1000);
        QVERIFY(Form<frmMessage>::isLoaded());
        QTRY_VERIFY_WITH_TIMEOUT(!Form<frmMessage>::isLoaded(), frmMessage::ClosingMs + 3000);
    }

    void secondJoinReplacesTextWithoutRestartingTheTimer()
    {
        frmNewuser *first = showNewUser(QStringLiteral("Ana"));
        QTest::qWait(2000);
        QVERIFY(Form<frmNewuser>::isLoaded());

        frmNewuser *second = showNewUser(QStringLiteral("Bob"));
        QCOMPARE(second, first);
        QCOMPARE(second->lblNewuser->text(), QStringLiteral("Bob has join the chat!!!"));
        // Closes at the first notice's time, about 1 s from now; a restarted timer would take 3 s.
        QTRY_VERIFY_WITH_TIMEOUT(!Form<frmNewuser>::isLoaded(), 2000);
    }

    void clickOnThePictureClosesTheNewUserWindow_data()
    {
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::addColumn<bool>("closes");
        QTest::newRow("left button") << Qt::LeftButton << true;
        QTest::newRow("right button") << Qt::RightButton << false;
    }

    void clickOnThePictureClosesTheNewUserWindow()
    {
        QFETCH(Qt::MouseButton, button);
        QFETCH(bool, closes);
        frmNewuser *window = showNewUser(QStringLiteral("Ana"));
        QTest::mouseClick(window->Image1, button, {}, QPoint(20, 30));
        QCOMPARE(Form<frmNewuser>::isLoaded(), !closes);
    }

    void closedWindowComesBackFreshWithAFreshTimer()
    {
        frmNewuser *window = showNewUser(QStringLiteral("Ana"));
        window->close();
        QVERIFY(!Form<frmNewuser>::isLoaded());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

        window = Form<frmNewuser>::get();
        QCOMPARE(window->lblNewuser->text(), QStringLiteral("New has just join the chat"));
        QVERIFY(window->Timer->isActive());
        QVERIFY(window->Timer->remainingTime() > frmNewuser::ClosingMs - 1000);
    }

private:
    // Both windows fit the offscreen screen (800 x 600) at their fixed spots.
    static QRect expectedGeometry(const QRect &fixed)
    {
        return NoticePlacement::moveIntoView(fixed, QGuiApplication::primaryScreen()->availableGeometry());
    }

    static frmMessage *showMessage(const QString &text)
    {
        frmMessage *window = Form<frmMessage>::get();
        window->show();
        window->txtmessage->setPlainText(text);
        return window;
    }

    static frmNewuser *showNewUser(const QString &name)
    {
        frmNewuser *window = Form<frmNewuser>::get();
        window->show();
        window->lblNewuser->setText(name + QStringLiteral(" has join the chat!!!"));
        return window;
    }
};

QTEST_MAIN(tst_NoticeWindows)
#include "tst_noticewindows.moc"
