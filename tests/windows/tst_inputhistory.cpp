#include "support/ChatWindowTestCase.h"
#include "support/RecordingOutbox.h"

#include "app/Form.h"
#include "windows/HistoryKeys.h"
#include "windows/InputHistory.h"
#include "windows/InputLine.h"
#include "windows/frmChat.h"
#include "windows/frmPM.h"
#include "windows/frmPrompt.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

// Up and Down walk the lines sent, as a shell walks its history: the walk itself, the keys in
// controls of one and of several lines, and the three windows that send.
class tst_InputHistory : public ChatWindowTestCase
{
    Q_OBJECT

    RecordingOutbox outbox;

    // Runs a walk written as steps separated by blanks: "+x" sends x, "^" is Up, "v" is Down,
    // "=x" types over the shown text with x ("=" alone empties it). Returns the text shown after
    // each Up and Down, "-" where the walk was at its end and nothing changed.
    static QStringList walk(InputHistory &history, const QString &steps)
    {
        QString shown;
        QStringList seen;
        for (const QString &step : steps.split(u' ', Qt::SkipEmptyParts)) {
            if (step.startsWith(u'+')) {
                history.add(step.mid(1));
                shown.clear();
            } else if (step.startsWith(u'=')) {
                shown = step.mid(1);
            } else {
                const std::optional<QString> line = step == u"^" ? history.older(shown) : history.newer(shown);
                if (line)
                    shown = *line;
                seen.append(line ? shown : QStringLiteral("-"));
            }
        }
        return seen;
    }

    static void press(QWidget *control, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(control, key, modifiers);
    }

private slots:
    void init()
    {
        outbox.connected = true;
        outbox.sent.clear();
        ChatOutbox::setCurrent(&outbox);
    }

    void cleanup()
    {
        ChatOutbox::setCurrent(nullptr);
        Form<frmPM>::unload();
        Form<frmPrompt>::unload();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void walks_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QStringList>("seen");
        QTest::newRow("nothing sent") << "^ v" << QStringList{"-", "-"};
        QTest::newRow("newest first") << "+a +b +c ^ ^ ^ ^" << QStringList{"c", "b", "a", "-"};
        QTest::newRow("back down to an empty line") << "+a +b ^ ^ v v v" << QStringList{"b", "a", "b", "", "-"};
        QTest::newRow("the draft waits at the bottom") << "+a +b =half ^ ^ v v" << QStringList{"b", "a", "b", "half"};
        QTest::newRow("an emptied draft stays empty") << "+a =x ^ v = ^ v" << QStringList{"a", "x", "a", ""};
        QTest::newRow("a changed line keeps its change") << "+a +b ^ =b2 ^ v v" << QStringList{"b", "a", "b2", ""};
        QTest::newRow("sending starts a new walk") << "+a +b ^ =b2 +b2 ^ ^ ^" << QStringList{"b", "b2", "b", "a"};
        QTest::newRow("a recalled line sent again") << "+a +b ^ ^ +a ^ ^ ^" << QStringList{"b", "a", "a", "b", "a"};
        QTest::newRow("a repeat is kept once") << "+a +a +a ^ ^" << QStringList{"a", "-"};
        QTest::newRow("an empty line is not kept") << "+a + ^ ^" << QStringList{"a", "-"};
        QTest::newRow("changes go with the walk") << "+a +b ^ =b2 +c ^ ^ ^" << QStringList{"b", "c", "b", "a"};
        QTest::newRow("lines of several lines") << "+one\ntwo ^ v" << QStringList{"one\ntwo", ""};
    }

    void walks()
    {
        QFETCH(QString, steps);
        QFETCH(QStringList, seen);
        InputHistory history;
        QCOMPARE(walk(history, steps), seen);
    }

    void keepsTheLastHundred()
    {
        InputHistory history;
        for (int i = 1; i <= 150; ++i)
            history.add(QString::number(i));
        QCOMPARE(history.count(), InputHistory::capacity);
        QString shown;
        for (int i = 0; i < InputHistory::capacity; ++i)
            shown = *history.older(shown);
        QCOMPARE(shown, QStringLiteral("51"));
        QVERIFY(!history.older(shown));
    }

    // Megabyte lines pasted and sent again and again stay within the bound; the newest is kept.
    void boundedInCharacters()
    {
        InputHistory history;
        const QString big(InputHistory::characterBound / 3, u'x');
        for (int i = 0; i < InputHistory::capacity; ++i)
            history.add(big + QString::number(i));
        QCOMPARE(history.count(), 2);
        QCOMPARE(*history.older(QString()), big + QString::number(InputHistory::capacity - 1));
        history.add(QString(InputHistory::characterBound + 1, u'y'));
        QCOMPARE(history.count(), 2);
    }

    // Up and Down keep moving the caret inside a text of several lines and walk only from its first
    // or last line; with Shift they select, as they always did.
    void keysInSeveralLines_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("caret");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("caretAfter");
        const int none = Qt::NoModifier;
        QTest::newRow("Up in an empty line") << "" << 0 << int(Qt::Key_Up) << none << "sent" << 4;
        QTest::newRow("Up in one line") << "typing" << 3 << int(Qt::Key_Up) << none << "sent" << 4;
        QTest::newRow("keypad Up") << "typing" << 3 << int(Qt::Key_Up) << int(Qt::KeypadModifier) << "sent" << 4;
        QTest::newRow("Up on the second line") << "one\ntwo" << 5 << int(Qt::Key_Up) << none << "one\ntwo" << 1;
        QTest::newRow("Up on the first line") << "one\ntwo" << 1 << int(Qt::Key_Up) << none << "sent" << 4;
        QTest::newRow("Down on the first line") << "one\ntwo" << 1 << int(Qt::Key_Down) << none << "one\ntwo" << 5;
        QTest::newRow("Down at the bottom") << "one\ntwo" << 5 << int(Qt::Key_Down) << none << "one\ntwo" << 5;
        QTest::newRow("Shift+Up selects") << "typing" << 3 << int(Qt::Key_Up) << int(Qt::ShiftModifier) << "typing" << 0;
        QTest::newRow("Ctrl+Up is no walk") << "typing" << 3 << int(Qt::Key_Up) << int(Qt::ControlModifier) << "typing" << 3;
    }

    void keysInSeveralLines()
    {
        QFETCH(QString, text);
        QFETCH(int, caret);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, shown);
        QFETCH(int, caretAfter);
        InputHistory history;
        history.add(QStringLiteral("sent"));
        QPlainTextEdit edit;
        edit.resize(300, 100);
        edit.show();
        QVERIFY(QTest::qWaitForWindowExposed(&edit));
        HistoryKeys::install(&edit, history);
        edit.setPlainText(text);
        QTextCursor cursor = edit.textCursor();
        cursor.setPosition(caret);
        edit.setTextCursor(cursor);
        press(&edit, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(edit.toPlainText(), shown);
        QCOMPARE(edit.textCursor().position(), caretAfter);
    }

    // The draft comes back from a walk, and Down then stays at the bottom.
    void draftComesBackInAControl()
    {
        InputHistory history;
        history.add(QStringLiteral("sent"));
        QLineEdit edit;
        HistoryKeys::install(&edit, history);
        edit.setText(QStringLiteral("half"));
        press(&edit, Qt::Key_Up);
        QCOMPARE(edit.text(), QStringLiteral("sent"));
        press(&edit, Qt::Key_Down);
        QCOMPARE(edit.text(), QStringLiteral("half"));
        press(&edit, Qt::Key_Down);
        QCOMPARE(edit.text(), QStringLiteral("half"));
    }

    // The input line recalls what went out; a line that could not go (not connected) stays in the
    // line and is no part of the history.
    void inputLineRecallsSentLines()
    {
        frmChat *chat = Form<frmChat>::get();
        chat->show();
        QVERIFY(QTest::qWaitForWindowExposed(chat));
        chat->txtText->setText(QStringLiteral("first public line"));
        press(chat->txtText, Qt::Key_Return);
        outbox.connected = false;
        chat->txtText->setText(QStringLiteral("never went"));
        press(chat->txtText, Qt::Key_Return);
        QCOMPARE(chat->txtText->toPlainText(), QStringLiteral("never went"));
        press(chat->txtText, Qt::Key_Up);
        QCOMPARE(chat->txtText->toPlainText(), QStringLiteral("first public line"));
        QVERIFY(chat->cmdSend->isEnabled());
        press(chat->txtText, Qt::Key_Down);
        QCOMPARE(chat->txtText->toPlainText(), QStringLiteral("never went"));
    }

    // The private-message window recalls what it sent after it was closed and opened again.
    void privateMessagesOutliveTheirWindow()
    {
        Form<frmChat>::get()->txtUser->setText(QStringLiteral("Anna"));
        frmPM *pm = Form<frmPM>::get();
        pm->lblUserPM->setText(QStringLiteral("Bob"));
        pm->txtPM->setPlainText(QStringLiteral("a private line"));
        press(pm->txtPM, Qt::Key_Return);
        QCOMPARE(outbox.sent.size(), 1);
        Form<frmPM>::unload();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        pm = Form<frmPM>::get();
        press(pm->txtPM, Qt::Key_Up);
        QCOMPARE(pm->txtPM->toPlainText(), QStringLiteral("a private line"));
    }

    void promptRecallsCommands()
    {
        frmPrompt *prompt = Form<frmPrompt>::get();
        for (const QString &command : {QStringLiteral("/one"), QStringLiteral("/two")}) {
            prompt->txtPrompt->setText(command);
            press(prompt->txtPrompt, Qt::Key_Return);
        }
        press(prompt->txtPrompt, Qt::Key_Up);
        press(prompt->txtPrompt, Qt::Key_Up);
        QCOMPARE(prompt->txtPrompt->text(), QStringLiteral("/one"));
        press(prompt->txtPrompt, Qt::Key_Down);
        QCOMPARE(prompt->txtPrompt->text(), QStringLiteral("/two"));
    }
};

QTEST_MAIN(tst_InputHistory)
#include "tst_inputhistory.moc"
