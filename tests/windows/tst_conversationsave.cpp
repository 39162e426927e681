#include "support/ChatWindowTestCase.h"
#include "support/TestFiles.h"
#include "support/Unprivileged.h"

#include "app/Form.h"
#include "transcript/MessageMarkup.h"
#include "transcript/TranscriptRows.h"
#include "transcript/TranscriptView.h"
#include "windows/ConversationSave.h"
#include "windows/InputLine.h"
#include "windows/frmChat.h"

#include <QAction>
#include <QDir>
#include <QMenu>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

// Saving the conversation from the main window: the keys and the menu, the file type the dialog
// chooses, the file read back, and a folder that cannot take the file.
class tst_ConversationSave : public ChatWindowTestCase
{
    Q_OBJECT

    // Answers the save dialog with a file and a type, and keeps every box shown.
    class SavingDialogs : public AnsweringDialogs
    {
    public:
        QString fileName;
        QString chosenType;
        QString offeredTypes;
        QString proposed;
        QStringList boxes;

        QString saveFileName(QWidget *, const QString &, const QString &proposedName, const QString &filters,
                             QString *selectedFilter) override
        {
            offeredTypes = filters;
            proposed = proposedName;
            *selectedFilter = chosenType;
            return fileName;
        }

        QMessageBox::StandardButton messageBox(QWidget *, QMessageBox::Icon, const QString &, const QString &text,
                                               QMessageBox::StandardButtons, QMessageBox::StandardButton) override
        {
            boxes.append(text);
            return QMessageBox::Ok;
        }
    };

    SavingDialogs dialogs;
    QTemporaryDir folder;
    frmChat *chat = nullptr;

    QString path(const QString &name) const { return folder.filePath(name); }

private slots:
    void init()
    {
        QVERIFY(folder.isValid());
        dialogs.boxes.clear();
        dialogs.chosenType = ConversationSave::htmlType;
        Dialogs::setCurrent(&dialogs);
        chat = Form<frmChat>::get();
        chat->show();
        QVERIFY(QTest::qWaitForWindowExposed(chat));
        chat->txtHistory->clearPage();
        chat->txtHistory->WritePageHead();
        chat->AddChat(QStringLiteral("anna"), QStringLiteral("[B]hello[/B] <all>"));
        chat->AddChatPM(QStringLiteral("<bob>"), QStringLiteral("psst & co"));
    }

    void cleanup()
    {
        Dialogs::setCurrent(&fakes.dialogs);
        for (const QString &name : QDir(folder.path()).entryList(QDir::Files))
            QFile::remove(path(name));
    }

    void typeDecidesTheFormat_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("written");
        QTest::addColumn<bool>("isHtml");
        QTest::newRow("web page chosen") << "talk" << ConversationSave::htmlType << "talk.html" << true;
        QTest::newRow("text chosen") << "talk" << ConversationSave::textType << "talk.txt" << false;
        QTest::newRow("a .txt name") << "talk.txt" << ConversationSave::htmlType << "talk.txt" << false;
        QTest::newRow("an .htm name") << "talk.HTM" << ConversationSave::textType << "talk.HTM" << true;
        QTest::newRow("another suffix") << "talk.log" << ConversationSave::textType << "talk.log.txt" << false;
    }

    // Ctrl+S asks for the file; what it writes reads back as the page shows, in the type chosen.
    void typeDecidesTheFormat()
    {
        QFETCH(QString, name);
        QFETCH(QString, type);
        QFETCH(QString, written);
        QFETCH(bool, isHtml);
        dialogs.fileName = path(name);
        dialogs.chosenType = type;
        QTest::keyClick(chat->txtText, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(dialogs.offeredTypes, ConversationSave::htmlType + QStringLiteral(";;") + ConversationSave::textType);
        // The name proposed has no suffix, so the type chosen gives it one.
        QVERIFY(!dialogs.proposed.isEmpty());
        QCOMPARE(QFileInfo(dialogs.proposed).suffix(), QString());
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList{written});
        const QString saved = QString::fromUtf8(TestFiles::bytes(path(written)));
        const QString stamp = saved.mid(saved.indexOf(u'[') + 1, 8);
        if (isHtml) {
            QVERIFY(saved.contains(QStringLiteral("<td class=\"message\">[%1] anna: <b>hello</b> &lt;all&gt;</td>").arg(stamp)));
            QVERIFY(saved.contains(QStringLiteral("<td class=\"pm\">[%1] &lt;bob&gt;: psst &amp; co</td>").arg(stamp)));
        } else {
            QCOMPARE(saved, QStringLiteral("[%1] anna: hello <all>\n[%1] <bob>: psst & co\n").arg(stamp));
        }
        QVERIFY(dialogs.boxes.isEmpty());
    }

    void menuOffersSaving()
    {
        QVERIFY(chat->mnuHistory->actions().contains(chat->mnuSave));
        dialogs.fileName = path(QStringLiteral("from the menu.txt"));
        chat->mnuSave->trigger();
        QVERIFY(QFile::exists(dialogs.fileName));
    }

    void cancelledWritesNothing()
    {
        dialogs.fileName.clear();
        chat->mnuSave->trigger();
        QVERIFY(QDir(folder.path()).entryList(QDir::Files).isEmpty());
        QVERIFY(dialogs.boxes.isEmpty());
    }

    // A folder the user may not write in gets no file at all, not even a part of one, and the user
    // is told.
    void readOnlyFolderIsTold()
    {
        const QString readOnly = path(QStringLiteral("locked"));
        QVERIFY(QDir().mkdir(readOnly));
        const QByteArray parent = QFile::encodeName(folder.path());
        const QByteArray locked = QFile::encodeName(readOnly);
        QCOMPARE(::chmod(parent.constData(), 0755), 0);
        QCOMPARE(::chown(locked.constData(), Unprivileged::user(), gid_t(-1)), 0);
        QCOMPARE(::chmod(locked.constData(), 0555), 0);
        dialogs.fileName = readOnly + QStringLiteral("/talk.html");
        TranscriptView *view = chat->txtHistory;
        const int outcome = Unprivileged::run([&] {
            const bool saved = ConversationSave::run(chat, view->page());
            return !saved && dialogs.boxes.size() == 1 && dialogs.boxes.first().contains(QStringLiteral("not saved"))
                       && dialogs.boxes.first().contains(readOnly)
                   ? 0
                   : 1;
        });
        QCOMPARE(outcome, 0);
        QVERIFY(QDir(readOnly).entryList(QDir::Files | QDir::Hidden).isEmpty());
    }
};

QTEST_MAIN(tst_ConversationSave)
#include "tst_conversationsave.moc"
