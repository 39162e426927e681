#include "support/ChatWindowTestCase.h"

#include "app/Form.h"
#include "transcript/MessageMarkup.h"
#include "transcript/TranscriptRows.h"
#include "transcript/TranscriptView.h"
#include "windows/FindBar.h"
#include "windows/InputLine.h"
#include "windows/frmChat.h"

#include <QCheckBox>
#include <QImage>
#include <QLineEdit>
#include <QScrollBar>
#include <QShortcut>
#include <QSignalSpy>
#include <QTest>

// The find bar of the main window as the user works it: Ctrl+F, typing, the keys that walk the
// matches, the marks on the rows, and Escape.
class tst_FindBar : public ChatWindowTestCase
{
    Q_OBJECT

    frmChat *chat = nullptr;
    FindBar *bar = nullptr;

    static QString row(int number, const QString &text)
    {
        return TranscriptRows::chatRow(QStringLiteral("09:00:00"), QStringLiteral("user%1").arg(number),
                                       MessageMarkup::ConvertMarkup(text));
    }

    // Pixels of the marks' colour in the rows as drawn.
    int markedPixels() const
    {
        QApplication::processEvents();
        const QImage shown = chat->txtHistory->viewport()->grab().toImage();
        int marked = 0;
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x)
                marked += shown.pixelColor(x, y) == QColor(255, 230, 80) ? 1 : 0;
        return marked;
    }

    void type(const QString &text)
    {
        QTest::keyClicks(bar->text(), text);
    }

private slots:
    void init()
    {
        chat = Form<frmChat>::get();
        chat->resize(640, 480);
        chat->show();
        chat->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(chat));
        chat->txtHistory->clearPage();
        chat->txtHistory->WritePageHead();
        // Row 0 and 299 say "apple"; everything between says "pear" three hundred times over.
        chat->txtHistory->AppendHistory(row(0, QStringLiteral("an Apple a day")));
        for (int i = 1; i < 299; ++i)
            chat->txtHistory->AppendHistory(row(i, QStringLiteral("pear %1").arg(i)));
        chat->txtHistory->AppendHistory(row(299, QStringLiteral("apple pie, APPLE juice")));
        QTest::qWait(50);
        bar = chat->txtHistory->findChild<FindBar *>();
        QVERIFY(bar);
        chat->txtText->setFocus();
        QTest::keyClick(chat->txtText, Qt::Key_F, Qt::ControlModifier);
    }

    void cleanup()
    {
        bar->close();
        bar->text()->clear();
        bar->matchCase()->setChecked(false);
    }

    void ctrlFOpensTheBarUnderTheRows()
    {
        QVERIFY(bar->isVisible());
        QVERIFY(bar->text()->hasFocus());
        const QRect rows = chat->txtHistory->viewport()->geometry();
        QCOMPARE(bar->geometry().top(), rows.bottom() + 1);
        QVERIFY(bar->geometry().bottom() < chat->txtHistory->height());
        QCOMPARE(bar->width(), rows.width());
    }

    // The view was at the end, so the first match is the newest; typing on narrows it.
    void findsAsTheUserTypes()
    {
        type(QStringLiteral("app"));
        QCOMPARE(bar->status(), QStringLiteral("2 of 3"));
        QCOMPARE(chat->txtHistory->selectedText(), QStringLiteral("app"));
        type(QStringLiteral("le j"));
        QCOMPARE(bar->status(), QStringLiteral("1 of 1"));
        QCOMPARE(chat->txtHistory->selectedText(), QStringLiteral("APPLE j"));
        type(QStringLiteral("x"));
        QCOMPARE(bar->status(), QStringLiteral("No matches"));
        QVERIFY(chat->txtHistory->selectedText().isEmpty());
    }

    void matchCaseWhenAsked()
    {
        type(QStringLiteral("apple"));
        QCOMPARE(bar->status(), QStringLiteral("2 of 3"));
        bar->matchCase()->setChecked(true);
        QCOMPARE(bar->status(), QStringLiteral("1 of 1"));
        QCOMPARE(chat->txtHistory->selectedText(), QStringLiteral("apple"));
    }

    void keysWalkRound_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QStringList>("statuses");
        QTest::newRow("Enter") << int(Qt::Key_Return) << int(Qt::NoModifier) << QStringList{"3 of 3", "1 of 3", "2 of 3"};
        QTest::newRow("F3") << int(Qt::Key_F3) << int(Qt::NoModifier) << QStringList{"3 of 3", "1 of 3", "2 of 3"};
        QTest::newRow("Shift+F3") << int(Qt::Key_F3) << int(Qt::ShiftModifier) << QStringList{"1 of 3", "3 of 3", "2 of 3"};
        QTest::newRow("Shift+Enter") << int(Qt::Key_Return) << int(Qt::ShiftModifier) << QStringList{"1 of 3", "3 of 3", "2 of 3"};
    }

    void keysWalkRound()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QStringList, statuses);
        type(QStringLiteral("apple"));
        QStringList seen;
        for (int i = 0; i < statuses.size(); ++i) {
            QTest::keyClick(bar->text(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
            seen.append(bar->status());
        }
        QCOMPARE(seen, statuses);
    }

    // The match found far up comes into view, selected; F3 works from inside the rows as well.
    void bringsTheMatchIntoView()
    {
        type(QStringLiteral("apple"));
        QTest::keyClick(bar->text(), Qt::Key_F3);
        QCOMPARE(bar->status(), QStringLiteral("3 of 3"));
        QTest::keyClick(bar->text(), Qt::Key_F3);
        QCOMPARE(bar->status(), QStringLiteral("1 of 3"));
        QApplication::processEvents();
        QCOMPARE(chat->txtHistory->verticalScrollBar()->value(), 0);
        QCOMPARE(chat->txtHistory->selectedText(), QStringLiteral("Apple"));
        chat->txtHistory->setFocus();
        QTest::keyClick(chat->txtHistory, Qt::Key_F3);
        QCOMPARE(bar->status(), QStringLiteral("2 of 3"));
        QVERIFY(chat->txtHistory->verticalScrollBar()->value() > 0);
    }

    // Matches on screen other than the current one are marked; closing takes the marks away and
    // leaves the current match selected.
    void marksTheMatchesOnScreen()
    {
        QCOMPARE(markedPixels(), 0);
        type(QStringLiteral("apple"));
        QVERIFY(markedPixels() > 0);
        QTest::keyClick(bar->text(), Qt::Key_Escape);
        QCOMPARE(markedPixels(), 0);
        QCOMPARE(chat->txtHistory->selectedText(), QStringLiteral("apple"));
    }

    // Escape closes the bar and nothing else: a window's own Escape must not fire while the bar has
    // the focus. The focus goes back where it was, and F3 does nothing with the bar closed.
    void escapeClosesOnlyTheBar()
    {
        int windowEscapes = 0;
        auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), chat);
        connect(escape, &QShortcut::activated, this, [&windowEscapes] { ++windowEscapes; });
        type(QStringLiteral("pear 1"));
        QTest::keyClick(bar->text(), Qt::Key_Escape);
        QCOMPARE(windowEscapes, 0);
        QVERIFY(bar->isHidden());
        QVERIFY(chat->txtText->hasFocus());
        QCOMPARE(chat->txtHistory->viewport()->geometry().bottom(),
                 chat->txtHistory->height() - chat->txtHistory->frameWidth() - 1);
        const QString selected = chat->txtHistory->selectedText();
        QTest::keyClick(chat->txtText, Qt::Key_F3);
        QCOMPARE(chat->txtHistory->selectedText(), selected);
        QTest::keyClick(chat->txtText, Qt::Key_Escape);
        QCOMPARE(windowEscapes, 1);
        delete escape;
    }

    // Rows that come while the bar is open are counted as they come; a cleared page has none.
    void followsThePage()
    {
        type(QStringLiteral("apple"));
        chat->txtHistory->AppendHistory(row(300, QStringLiteral("apple again")));
        QCOMPARE(bar->status(), QStringLiteral("2 of 4"));
        chat->txtHistory->clearPage();
        QCOMPARE(bar->status(), QStringLiteral("No matches"));
        chat->txtHistory->AppendHistory(row(301, QStringLiteral("apples")));
        QCOMPARE(bar->status(), QStringLiteral("1 match"));
        QTest::keyClick(bar->text(), Qt::Key_F3);
        QCOMPARE(bar->status(), QStringLiteral("1 of 1"));
    }
};

QTEST_MAIN(tst_FindBar)
#include "tst_findbar.moc"
