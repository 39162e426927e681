#include "support/LiveChatTestCase.h"
#include "support/LiveChatServer.h"

#include "app/Form.h"
#include "notify/frmMessage.h"
#include "notify/frmNewuser.h"
#include "options/frmOptions.h"
#include "transcript/MessageMarkup.h"
#include "transcript/RowText.h"
#include "transcript/TranscriptRows.h"
#include "transcript/TranscriptView.h"
#include "windows/InputLine.h"
#include "windows/frmChat.h"
#include "windows/frmPM.h"
#include "windows/frmSignon.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QStyledItemDelegate>
#include <QTest>

namespace {

constexpr int waitMs = 30000;

// Rows are looked for with any time stamp in place of this one.
const QString anyStamp = QStringLiteral("\x01stamp\x01");

QRegularExpression rowPattern(const QString &row, const QString &after = QString())
{
    QString pattern = QRegularExpression::escape(row);
    pattern.replace(QRegularExpression::escape(anyStamp), QStringLiteral("[^\\]]*"));
    return QRegularExpression(pattern + after);
}

QString chatRow(const QString &user, const QString &text)
{
    return TranscriptRows::chatRow(anyStamp, user, MessageMarkup::ConvertMarkup(text));
}

// The bytes of a text of ASCII letters as the server sends them.
QByteArray wire(const QString &text)
{
    return text.toLatin1();
}

} // namespace

// What a hostile user or server can send, through the real receiving path into the main window:
// the rows, the user list and the copied page come out whole, and the window goes on answering.
// The live choices' defaults hold: join rows on, notice windows off, so every effect of a block
// is in the page or the list.
class tst_HostileInput : public LiveChatTestCase
{
    Q_OBJECT

    static frmChat *chat() { return Form<frmChat>::loaded(); }
    static QString page() { return chat()->txtHistory->pageSource(); }

    // Sends a last message and waits for its row: every block before it has been handled.
    static bool settled(LiveChatServer &server)
    {
        server.send("Message bob:still here");
        return QTest::qWaitFor(
            [] { return rowPattern(chatRow(QStringLiteral("bob"), QStringLiteral("still here")), QStringLiteral("$")).match(page()).hasMatch(); },
            waitMs);
    }

    // What the first public row of user holds after "user: ", or an empty string.
    static QString firstRowContent(const QString &user)
    {
        const QString start = chatRow(user, QString()).section(anyStamp, 1).chopped(int(qstrlen("</td></tr></table>")));
        const QString rowStart = chatRow(user, QString()).section(anyStamp, 0, 0);
        const QRegularExpression row(QRegularExpression::escape(rowStart) + QStringLiteral("[^\\]]*")
                                     + QRegularExpression::escape(start) + QStringLiteral("(.*?)</td></tr></table>"),
                                     QRegularExpression::DotMatchesEverythingOption);
        return row.match(page()).captured(1);
    }

    // The window still takes typing and sends it.
    static bool answers(LiveChatServer &server)
    {
        chat()->txtText->setText(QStringLiteral("me too"));
        QTest::keyClick(chat()->txtText, Qt::Key_Return);
        return QTest::qWaitFor([&server] { return server.received().endsWith("Message ana:me too"); }, waitMs);
    }

    static QString copiedPage()
    {
        QGuiApplication::clipboard()->clear();
        QTest::keyClick(chat()->txtHistory, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(chat()->txtHistory, Qt::Key_C, Qt::ControlModifier);
        return QGuiApplication::clipboard()->text();
    }

    // The first point of the transcript over a link, or (-1, -1).
    static QPoint linkPosition()
    {
        const QWidget *viewport = chat()->txtHistory->viewport();
        for (int y = 0; y < viewport->height(); y += 2)
            for (int x = 0; x < viewport->width(); x += 2)
                if (!chat()->txtHistory->anchorAt(QPoint(x, y)).isEmpty())
                    return {x, y};
        return {-1, -1};
    }

private slots:
    void init() { dialogs.reset(); }

    void cleanup()
    {
        for (auto unload : {&Form<frmSignon>::unload, &Form<frmNewuser>::unload, &Form<frmMessage>::unload,
                            &Form<frmOptions>::unload, &Form<frmPM>::unload, &Form<frmChat>::unload})
            unload();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // One public message as large as a block may be, of every kind that made rows costly.
    void hostileMessagesBecomeRows_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("oneRow"); // the block is one message, so one row

        constexpr int block = 64 * 1024 - 32;
        QTest::newRow("64 KiB of words") << "127.0.0.140" << QStringLiteral("word ").repeated(block / 5) << true;
        QTest::newRow("64 KiB word") << "127.0.0.141" << QString(block, u'x') << true;
        QTest::newRow("20,000 smileys") << "127.0.0.142" << QStringLiteral(":)").repeated(20000) << true;
        QTest::newRow("15,000 bold tags") << "127.0.0.143" << QStringLiteral("[B]x").repeated(15000) << true;
        QTest::newRow("15,000 lol pictures") << "127.0.0.144" << QStringLiteral("lol").repeated(15000) << true;
        QString merged;
        for (int i = 0; i < 1000; ++i)
            merged += QStringLiteral("Message mallory:line %1 :) [B]b[/B] [URL]www.example.com[/URL]x[URL/]").arg(i);
        // Whether the client splits a merged block is the receiving side's business; either way each
        // message's text reaches the page.
        QTest::newRow("1,000 messages in one block") << "127.0.0.145" << merged.mid(int(qstrlen("Message mallory:"))) << false;
    }
    void hostileMessagesBecomeRows()
    {
        QFETCH(QString, address);
        QFETCH(QString, text);
        QFETCH(bool, oneRow);
        LiveChatServer server(address);
        QVERIFY(connectedAsAna(server, address));

        QVERIFY(server.send("Message mallory:" + wire(text)));
        QVERIFY(settled(server));

        // A block of 64 KiB reaches the client whole over the loopback; the view shows and copies
        // exactly what the row holds.
        const QString content = firstRowContent(QStringLiteral("mallory"));
        QVERIFY(!content.isEmpty());
        if (oneRow)
            QCOMPARE(content, MessageMarkup::ConvertMarkup(text));
        const QString copied = copiedPage();
        QVERIFY(!copied.contains(QChar(0xFDD0)) && !copied.contains(QChar(0xFDD1)));
        QVERIFY(copied.endsWith(QStringLiteral("] bob: still here")));
        QVERIFY(copied.contains(QStringLiteral("] mallory: ") + RowText::plainText(content) + u'\n'));
        QVERIFY(!chat()->txtHistory->viewport()->grab().isNull());
        QVERIFY(answers(server));
    }

    // Whatever is typed as a link's address stays in the link's address: it adds no attribute or
    // style, so the label stays on the sender's line in the sender's colours.
    void linksStayLinks_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("typedAddress");
        QTest::newRow("ordinary") << "127.0.0.146" << "www.example.com/news";
        QTest::newRow("style after a blank") << "127.0.0.147" << "x style=display:block;color:red";
        QTest::newRow("quotes") << "127.0.0.148" << "x' style='color:red\" style=\"color:red";
        QTest::newRow("closing the tag") << "127.0.0.149" << "x><font color=red>";
    }
    void linksStayLinks()
    {
        QFETCH(QString, address);
        QFETCH(QString, typedAddress);
        LiveChatServer server(address);
        QVERIFY(connectedAsAna(server, address));
        const QString label = QStringLiteral("Server: bob has Kick from the Chat!!!");

        QVERIFY(server.send("Message mallory:see [URL]" + wire(typedAddress) + "[/URL]" + wire(label) + "[URL/] now"));
        QVERIFY(settled(server));

        QStringList lines = copiedPage().split(u'\n');
        lines.removeLast(); // bob's row
        QVERIFY2(lines.last().endsWith(QStringLiteral("] mallory: see ") + RowText::plainText(MessageMarkup::ConvertMarkup(label))
                                       + QStringLiteral(" now")),
                 qPrintable(lines.last()));
        const QPoint link = linkPosition();
        QVERIFY(link.x() >= 0);
        // The link goes where it was written, brackets and quotes included, and nowhere else.
        QCOMPARE(chat()->txtHistory->anchorAt(link), typedAddress);
        const QImage shown = chat()->txtHistory->viewport()->grab().toImage();
        int red = 0;
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x)
                red += QColor(shown.pixel(x, y)) == QColor(Qt::red);
        QCOMPARE(red, 0);
        QVERIFY(answers(server));
    }

    // A long name: listed whole, shown short, written to and compared whole when it leaves. A
    // megabyte reaches the client in several reads; how a cut message is joined again is the
    // receiving side's business, so only what arrived in the first is checked for it.
    void longUserName_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<int>("length");
        QTest::newRow("60,000 characters") << "127.0.0.150" << 60000;
        QTest::newRow("1 MB") << "127.0.0.151" << (1 << 20);
    }
    void longUserName()
    {
        QFETCH(QString, address);
        QFETCH(int, length);
        LiveChatServer server(address);
        QVERIFY(connectedAsAna(server, address));
        const QString name = QString(length, u'n');

        // Nothing more is sent after a name that comes in several reads: its tail may still be on the
        // way, and what the client makes of a message cut that way is not this test's business.
        const bool whole = length <= 64 * 1024;
        QVERIFY(server.send("Joined " + wire(name)));
        if (whole)
            QVERIFY(settled(server));
        QTRY_COMPARE_WITH_TIMEOUT(chat()->lstUsers->count(), 1, waitMs);
        const QString listed = chat()->lstUsers->item(0)->text();
        QVERIFY(name.startsWith(listed) && listed.size() > UserListBox::shownCharacters);
        if (whole)
            QCOMPARE(listed, name);
        const auto *delegate = qobject_cast<QStyledItemDelegate *>(chat()->lstUsers->itemDelegate());
        QVERIFY(delegate != nullptr);
        const QString shown = delegate->displayText(listed, QLocale());
        QCOMPARE(shown.size(), UserListBox::shownCharacters);
        QVERIFY(listed.startsWith(shown.chopped(1)));
        QVERIFY(!chat()->lstUsers->viewport()->grab().isNull());
        QVERIFY(page().contains(listed + QStringLiteral(" has joined to Chat!!!")));

        chat()->lstUsers->setCurrentRow(0);
        chat()->mnuPM->trigger();
        QVERIFY(Form<frmPM>::isLoaded());
        QCOMPARE(Form<frmPM>::loaded()->lblUserPM->text(), listed);
        QVERIFY(answers(server));

        if (whole) {
            QVERIFY(server.send("Left " + wire(name)));
            QVERIFY(settled(server));
            QCOMPARE(chat()->lstUsers->count(), 0);
        }
    }

    // A server that does not frame hands over 4 MiB as one block: the row keeps 64 KiB of the text
    // and says how much it left out.
    void unframedBlockMakesABoundedRow()
    {
        frmChat *window = Form<frmChat>::get();
        window->show();
        const qsizetype before = page().size();

        window->DataParsing(QStringLiteral("Message mallory:") + QString(4 * 1024 * 1024, u'w'));

        const QString row = page().mid(before);
        QVERIFY(row.size() < 64 * 1024 + 1024);
        QVERIFY(row.contains(QString(64 * 1024, u'w') + QStringLiteral(" \u2026 (4128768 characters left out)")));
    }
};

QTEST_MAIN(tst_HostileInput)
#include "tst_hostileinput.moc"
