#include "support/FileSizeLimit.h"
#include "support/TestFiles.h"
#include "support/Unprivileged.h"
#include "transcript/ChatLog.h"
#include "transcript/LogFolderName.h"
#include "transcript/MessageMarkup.h"
#include "transcript/TranscriptRows.h"

#include <QDateTime>
#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

const QDateTime evening(QDate(2026, 12, 10), QTime(23, 59, 59));
const QDateTime midnight(QDate(2026, 12, 11), QTime(0, 0, 0));

QString chatRow(const QString &user, const QString &text)
{
    return TranscriptRows::chatRow(QStringLiteral("23:59:59"), user, MessageMarkup::ConvertMarkup(text));
}

QStringList entries(const QString &directory)
{
    return QDir(directory).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
}

} // namespace

class tst_ChatLog : public QObject
{
    Q_OBJECT

    QTemporaryDir *m_directory = nullptr;
    QString logs() const { return m_directory->filePath(QStringLiteral("logs")); }

    void startLog(ChatLog &log, const QString &server = QStringLiteral("chat.example.org"))
    {
        log.setFolder(logs());
        log.setServer(server);
        log.setEnabled(true);
    }

private slots:
    void init() { m_directory = new QTemporaryDir; }
    void cleanup()
    {
        delete m_directory;
        m_directory = nullptr;
    }

    void folderNames_data()
    {
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("folder");
        QTest::newRow("host name") << "chat.example.org" << "chat.example.org";
        QTest::newRow("letter case folded") << "Chat.Example.ORG" << "chat.example.org";
        QTest::newRow("dotted address") << "127.0.0.216" << "127.0.0.216";
        QTest::newRow("IPv6") << "fe80::1" << "fe80__1";
        QTest::newRow("letters of other scripts") << "čakovec.hr" << "čakovec.hr";
        QTest::newRow("empty") << "" << "_";
        QTest::newRow("dot") << "." << "_.";
        QTest::newRow("dot dot") << ".." << "_..";
        QTest::newRow("climbing") << "../../etc/passwd" << "_.._.._etc_passwd";
        QTest::newRow("root") << "/" << "_";
        QTest::newRow("hidden") << ".korvani" << "_.korvani";
        QTest::newRow("separators, blanks, controls") << QString::fromUtf8("a\\b c\td\0e\nf", 11) << "a_b_c_d_e_f";
        QTest::newRow("64 characters kept whole") << QString(64, QLatin1Char('a')) << QString(64, QLatin1Char('a'));
    }
    void folderNames()
    {
        QFETCH(QString, server);
        QFETCH(QString, folder);
        QCOMPARE(LogFolderName::forServer(server), folder);
    }

    // A 1 MB address costs one pass and gives a short name; two that differ only at their end
    // still log apart.
    void longNamesAreCutAndHashed()
    {
        const QString first = QString(1 << 20, QLatin1Char('x'));
        const QString second = QString(first).replace(first.size() - 1, 1, QLatin1Char('y'));
        const QString firstName = LogFolderName::forServer(first);
        QCOMPARE(firstName.size(), LogFolderName::MaxKept + 9);
        QVERIFY(firstName.startsWith(QString(LogFolderName::MaxKept, QLatin1Char('x')) + QLatin1Char('-')));
        QVERIFY(firstName != LogFolderName::forServer(second));
        QCOMPARE(LogFolderName::forServer(first), firstName);
    }

    // Whatever the server's name, its log lands one folder below the logs folder and nowhere else.
    void hostileNamesStayInTheLogsFolder_data()
    {
        QTest::addColumn<QString>("server");
        QTest::newRow("dot dot") << "..";
        QTest::newRow("climbing") << "../../outside";
        QTest::newRow("absolute") << "/tmp/outside";
        QTest::newRow("1 MB") << QString(1 << 20, QLatin1Char('/'));
    }
    void hostileNamesStayInTheLogsFolder()
    {
        QFETCH(QString, server);
        {
            ChatLog log;
            startLog(log, server);
            log.appendRow(evening, chatRow(QStringLiteral("Ana"), QStringLiteral("hi")));
            log.flush();
            QVERIFY(!log.hasStopped());
        }
        QCOMPARE(entries(m_directory->path()), QStringList{QStringLiteral("logs")});
        const QStringList folders = entries(logs());
        QCOMPARE(folders.size(), 1);
        QCOMPARE(entries(logs() + QLatin1Char('/') + folders.first()), QStringList{QStringLiteral("2026-12-10.log")});
    }

    // Each row one line of UTF-8 text after its date and time; markup gone, entities decoded, the
    // line breaks of a row made blanks; a later run appends to the day's file.
    void writtenAndReadBack()
    {
        {
            ChatLog log;
            startLog(log);
            log.appendRow(evening, chatRow(QStringLiteral("Ana <&>"), QStringLiteral("[B]dobar[/B] dan, čšž")));
            log.appendRow(evening, TranscriptRows::messageOfDayRow(QStringLiteral("first\nsecond")));
            log.appendRow(evening, QStringLiteral("<hr>"));
        }
        {
            ChatLog log;
            startLog(log);
            log.appendRow(evening, TranscriptRows::droppedRow(QStringLiteral("23:59:59")));
        }
        const QString file = logs() + QStringLiteral("/chat.example.org/2026-12-10.log");
        const QStringList lines = QString::fromUtf8(TestFiles::bytes(file)).split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 4);
        QCOMPARE(lines.at(0), QStringLiteral("2026-12-10 23:59:59 [23:59:59] Ana <&>: dobar dan, čšž"));
        QVERIFY2(lines.at(1).startsWith(QStringLiteral("2026-12-10 23:59:59 ")), qPrintable(lines.at(1)));
        QVERIFY2(lines.at(1).contains(QStringLiteral("first second")), qPrintable(lines.at(1)));
        QVERIFY2(lines.at(2).contains(QStringLiteral("The connection was unexpectedly droped!!")), qPrintable(lines.at(2)));
        QCOMPARE(lines.at(3), QString());
        QCOMPARE(QFile::permissions(file), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser
                                               | QFileDevice::WriteUser);
    }

    // Rows after midnight go to the next day's file, also when both wait in memory together.
    void dateRollsOver()
    {
        ChatLog log;
        startLog(log);
        log.appendRow(evening, chatRow(QStringLiteral("Ana"), QStringLiteral("late")));
        log.appendRow(midnight, chatRow(QStringLiteral("Ana"), QStringLiteral("early")));
        log.flush();
        const QString folder = logs() + QStringLiteral("/chat.example.org/");
        QCOMPARE(entries(folder), QStringList({"2026-12-10.log", "2026-12-11.log"}));
        QVERIFY(TestFiles::bytes(folder + QStringLiteral("2026-12-10.log")).endsWith("Ana: late\n"));
        QVERIFY(TestFiles::bytes(folder + QStringLiteral("2026-12-11.log")).startsWith("2026-12-11 00:00:00 "));
        QCOMPARE(TestFiles::bytes(folder + QStringLiteral("2026-12-11.log")).count('\n'), 1);
    }

    // Rows are gathered and written by the timer, or at once when a 64 KiB row fills the gathering.
    void writesAreGathered()
    {
        ChatLog log;
        startLog(log);
        const QString file = log.filePath(evening.date());
        log.appendRow(evening, chatRow(QStringLiteral("Ana"), QStringLiteral("one")));
        log.appendRow(evening, chatRow(QStringLiteral("Ana"), QStringLiteral("two")));
        QVERIFY(TestFiles::bytes(file).isEmpty());
        QTRY_COMPARE(TestFiles::bytes(file).count('\n'), 2);

        log.appendRow(evening, chatRow(QStringLiteral("Bob"), QString(64 * 1024, QLatin1Char('z'))));
        QCOMPARE(TestFiles::bytes(file).count('\n'), 3);
    }

    void offWritesNothing()
    {
        ChatLog log;
        log.setFolder(logs());
        log.setServer(QStringLiteral("chat.example.org"));
        log.appendRow(evening, chatRow(QStringLiteral("Ana"), QStringLiteral("hi")));
        log.flush();
        QVERIFY(!QFileInfo::exists(logs()));
    }

    // A folder the user cannot write stops logging with one notice; turning it off and on tries
    // again.
    void readOnlyFolderStopsLoggingOnce()
    {
        const QByteArray top = QFile::encodeName(m_directory->path());
        QCOMPARE(::chown(top.constData(), Unprivileged::user(), gid_t(-1)), 0);
        QVERIFY(QDir().mkpath(logs()));
        QCOMPARE(::chmod(QFile::encodeName(logs()).constData(), 0555), 0);
        const QString folder = logs();
        const int outcome = Unprivileged::run([folder] {
            ChatLog log;
            log.setFolder(folder);
            log.setServer(QStringLiteral("chat.example.org"));
            log.setEnabled(true);
            int notices = 0;
            QObject::connect(&log, &ChatLog::stopped, [&notices](const QString &reason) {
                notices += reason.isEmpty() ? 100 : 1;
            });
            for (int i = 0; i < 3; ++i) {
                log.appendRow(evening, chatRow(QStringLiteral("Ana"), QStringLiteral("hi")));
                log.flush();
            }
            if (notices != 1 || !log.hasStopped())
                return 1;
            log.setEnabled(false);
            log.setEnabled(true);
            log.appendRow(evening, chatRow(QStringLiteral("Ana"), QStringLiteral("again")));
            log.flush();
            return notices == 2 ? 0 : 2;
        });
        QCOMPARE(::chown(top.constData(), ::geteuid(), gid_t(-1)), 0);
        QCOMPARE(::chmod(QFile::encodeName(logs()).constData(), 0755), 0);
        if (outcome == Unprivileged::skipNeeded)
            QSKIP("no unprivileged user here");
        QCOMPARE(outcome, 0);
        QCOMPARE(entries(logs()), QStringList());
    }

    // Rows of a new day flush the day before first; when that write fails, the new row is not kept
    // to fail again.
    void failureAtMidnightIsToldOnce()
    {
        ChatLog log;
        startLog(log);
        QSignalSpy stopped(&log, &ChatLog::stopped);
        log.appendRow(evening, chatRow(QStringLiteral("Ana"), QStringLiteral("late")));
        {
            const FileSizeLimit fullDisk(0);
            QVERIFY(fullDisk.isValid());
            log.appendRow(midnight, chatRow(QStringLiteral("Ana"), QStringLiteral("early")));
            log.flush();
            QTest::qWait(ChatLog::FlushDelayMs + 200);
        }
        QCOMPARE(stopped.size(), 1);
        QVERIFY(!QFileInfo::exists(log.filePath(midnight.date())));
    }

    // A full disk stops logging with one notice; what was gathered is dropped, not kept growing.
    void fullDiskStopsLoggingOnce()
    {
        ChatLog log;
        startLog(log);
        QSignalSpy stopped(&log, &ChatLog::stopped);
        log.appendRow(evening, chatRow(QStringLiteral("Ana"), QStringLiteral("before")));
        log.flush();
        {
            const FileSizeLimit fullDisk(TestFiles::bytes(log.filePath(evening.date())).size() + 10);
            QVERIFY(fullDisk.isValid());
            for (int i = 0; i < 3; ++i) {
                log.appendRow(evening, chatRow(QStringLiteral("Ana"), QString(100, QLatin1Char('w'))));
                log.flush();
            }
        }
        QCOMPARE(stopped.size(), 1);
        QVERIFY(log.hasStopped());
        log.appendRow(evening, chatRow(QStringLiteral("Ana"), QStringLiteral("after")));
        log.flush();
        QCOMPARE(stopped.size(), 1);
        QVERIFY(!TestFiles::bytes(log.filePath(evening.date())).contains("after"));
    }
};

QTEST_MAIN(tst_ChatLog)
#include "tst_chatlog.moc"
