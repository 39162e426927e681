// The chat window's log, on a live connection: rows as they come go to the day's file of the
// server under XDG_DATA_HOME, only with logging on; a log that cannot be written is told once and
// the conversation goes on.

#include "support/FileSizeLimit.h"
#include "support/LiveChatServer.h"
#include "support/LiveChatTestCase.h"
#include "support/TestFiles.h"

#include "app/ChatFeatures.h"
#include "app/Form.h"
#include "app/modMain.h"
#include "transcript/TranscriptView.h"
#include "windows/frmChat.h"

#include <QDate>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString address = QStringLiteral("127.0.0.219");
const QString stoppedNotice = QStringLiteral("Logging has stopped: ");

ChatFeatures loggingOn(bool on)
{
    ChatFeatures features;
    features.logging = on;
    return features;
}

} // namespace

class tst_ChatLogging : public LiveChatTestCase
{
    Q_OBJECT

    QTemporaryDir m_dataHome;

    QString logFile() const
    {
        return m_dataHome.filePath(QStringLiteral("korvani/logs/") + address + QLatin1Char('/')
                                   + QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(".log"));
    }
    static QString page() { return Form<frmChat>::loaded()->txtHistory->pageSource(); }

private slots:
    void init()
    {
        QVERIFY(m_dataHome.isValid());
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_dataHome.path()));
        QDir(m_dataHome.path() + QStringLiteral("/korvani")).removeRecursively();
    }
    void cleanup()
    {
        Form<frmChat>::unload();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        ChatFeatures::setInForce({});
    }

    void rowsAreLogged_data()
    {
        QTest::addColumn<bool>("on");
        QTest::newRow("logging on") << true;
        QTest::newRow("logging off") << false;
    }
    void rowsAreLogged()
    {
        QFETCH(bool, on);
        ChatFeatures::setInForce(loggingOn(on));
        {
            LiveChatServer server(address);
            QVERIFY(connectedAsAna(server, address));
            QVERIFY(server.send("Message bob:hi [B]there[/B] :)"));
            QVERIFY(server.send("PMMessage bob|psst <b>"));
            QTRY_VERIFY(page().contains(QLatin1String("psst")));
            if (on)
                QTRY_VERIFY(TestFiles::bytes(logFile()).contains("psst"));
            Form<frmChat>::unload();
        }
        if (!on) {
            QVERIFY(!QFileInfo::exists(m_dataHome.filePath(QStringLiteral("korvani"))));
            return;
        }
        const QStringList lines = QString::fromUtf8(TestFiles::bytes(logFile())).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);
        QVERIFY2(lines.at(0).endsWith(QLatin1String("] bob: hi there")), qPrintable(lines.at(0)));
        QVERIFY2(lines.at(1).endsWith(QLatin1String("] bob: psst <b>")), qPrintable(lines.at(1)));
    }

    // Exit ends the program at once, with no destructor run: the rows gathered are on disk by then.
    void exitWritesTheGatheredRows()
    {
        ChatFeatures::setInForce(loggingOn(true));
        LiveChatServer server(address);
        QVERIFY(connectedAsAna(server, address));
        QVERIFY(server.send("Message bob:last words"));
        QTRY_VERIFY(page().contains(QLatin1String("last words")));
        QByteArray atStop;
        modMain::SetStopAction([&] { atStop = TestFiles::bytes(logFile()); });
        Form<frmChat>::loaded()->mnuExit_Click();
        modMain::SetStopAction([] {});
        QVERIFY2(atStop.contains("bob: last words"), atStop.constData());
    }

    // A full disk: one row says logging stopped, and the rows after it still show.
    void failedLogIsToldOnce()
    {
        ChatFeatures::setInForce(loggingOn(true));
        LiveChatServer server(address);
        QVERIFY(connectedAsAna(server, address));
        {
            const FileSizeLimit fullDisk(0);
            QVERIFY(fullDisk.isValid());
            QVERIFY(server.send("Message bob:first"));
            QTRY_VERIFY(page().contains(stoppedNotice));
        }
        QVERIFY(server.send("Message bob:second"));
        QVERIFY(server.send("Message bob:third"));
        QTRY_VERIFY(page().contains(QLatin1String("third")));
        QTest::qWait(1500);
        QCOMPARE(page().count(stoppedNotice), 1);
        QVERIFY(!TestFiles::bytes(logFile()).contains("third"));
    }
};

QTEST_MAIN(tst_ChatLogging)
#include "tst_chatlogging.moc"
