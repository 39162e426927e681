#include "app/FileReplacement.h"
#include "app/modMain.h"
#include "support/FileSizeLimit.h"
#include "support/TestFiles.h"
#include "support/Unprivileged.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const QByteArray oldSettings = "[UserSvr]\r\nUser=Ann\r\nSvr=chat.example.org\r\nAC=1\r\n";

void putFile(const QString &path, const QByteArray &bytes)
{
    QVERIFY(TestFiles::put(path, bytes));
}

QStringList entries(const QString &directory)
{
    return QDir(directory).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
}

// Runs check in a child process whose files may grow to at most limit bytes, as on a full disk:
// writes past it fail with EFBIG instead of killing the process.
int withFileSizeLimit(rlim_t limit, const std::function<int()> &check)
{
    const pid_t child = ::fork();
    if (child == 0) {
        const FileSizeLimit fullDisk(limit);
        ::_exit(fullDisk.isValid() ? check() : Unprivileged::skipNeeded);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

// A process id that no running process has: a child that has already been reaped.
pid_t goneProcess()
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

} // namespace

class tst_FileReplacement : public QObject
{
    Q_OBJECT

    QTemporaryDir *m_directory = nullptr;
    QString path() const { return m_directory->filePath(QStringLiteral("Options.ini")); }

private slots:
    void init()
    {
        m_directory = new QTemporaryDir;
        QVERIFY(m_directory->isValid());
    }

    void cleanup()
    {
        delete m_directory;
        m_directory = nullptr;
    }

    void fullDisk_data()
    {
        QTest::addColumn<int>("limit");
        QTest::addColumn<bool>("existing");
        QTest::newRow("no room at all") << 0 << true;
        QTest::newRow("room for 8 bytes") << 8 << true;
        QTest::newRow("room for all but the last byte") << 4095 << true;
        QTest::newRow("no file yet, room for 8 bytes") << 8 << false;
    }

    // A settings write on a full disk reports the failure and leaves the file exactly as it was,
    // with no temporary file beside it.
    void fullDisk()
    {
        QFETCH(int, limit);
        QFETCH(bool, existing);
        if (existing)
            putFile(path(), oldSettings);
        const QString target = path();
        const int outcome = withFileSizeLimit(rlim_t(limit), [=] {
            QString error;
            const QString bigValue(4096, QLatin1Char('x'));
            if (modMain::WriteIniValues({{QStringLiteral("Sounds"), QStringLiteral("Message"), bigValue}}, target, &error))
                return 1;
            return error.contains(target) ? 0 : 2;
        });
        if (outcome == Unprivileged::skipNeeded)
            QSKIP("no file size limit can be set here");
        QCOMPARE(outcome, 0);
        QCOMPARE(TestFiles::bytes(path()), existing ? oldSettings : QByteArray());
        QCOMPARE(entries(m_directory->path()), existing ? QStringList{QStringLiteral("Options.ini")} : QStringList());
    }

    void replacesWholeFileKeepingItsMode()
    {
        putFile(path(), oldSettings);
        QCOMPARE(::chmod(QFile::encodeName(path()).constData(), 0640), 0);
        QVERIFY(FileReplacement::replace(path(), "[Sounds]\r\nValue=On\r\n"));
        QCOMPARE(TestFiles::bytes(path()), QByteArray("[Sounds]\r\nValue=On\r\n"));
        QCOMPARE(QFileInfo(path()).permissions() & 0x7777, QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                                             | QFileDevice::ReadUser | QFileDevice::WriteUser
                                                             | QFileDevice::ReadGroup);
        QCOMPARE(entries(m_directory->path()), QStringList{QStringLiteral("Options.ini")});
    }

    // Root replacing a user's settings (a portable copy started with sudo) leaves them the user's.
    void keepsTheOwner()
    {
        if (::geteuid() != 0)
            QSKIP("only root can give a file to another user");
        putFile(path(), oldSettings);
        const QByteArray name = QFile::encodeName(path());
        QCOMPARE(::chown(name.constData(), Unprivileged::user(), Unprivileged::user()), 0);
        QVERIFY(FileReplacement::replace(path(), "new"));
        struct stat status {};
        QCOMPARE(::stat(name.constData(), &status), 0);
        QCOMPARE(status.st_uid, Unprivileged::user());
    }

    // A settings file kept elsewhere through a link stays there, and the link stays a link.
    // A settings file whose name reads as a pattern still has its leftovers removed.
    void leftoversOfAFileNamedLikeAPattern()
    {
        const QString target = m_directory->filePath(QStringLiteral("own[1]*.ini"));
        putFile(FileReplacement::temporaryPrefix(target) + QStringLiteral("x1Y2z3"), "[Use");
        QVERIFY(FileReplacement::replace(target, oldSettings));
        QCOMPARE(entries(m_directory->path()), QStringList{QStringLiteral("own[1]*.ini")});
    }

    void followsASymbolicLink()
    {
        const QString real = m_directory->filePath(QStringLiteral("real.ini"));
        putFile(real, oldSettings);
        QVERIFY(QFile::link(real, path()));
        QVERIFY(FileReplacement::replace(path(), "new"));
        QVERIFY(QFileInfo(path()).isSymLink());
        QCOMPARE(TestFiles::bytes(real), QByteArray("new"));
    }

    // A file the user made read-only is not replaced behind their back, although its folder would
    // allow the rename.
    void readOnlyFileStays()
    {
        putFile(path(), oldSettings);
        const QByteArray name = QFile::encodeName(path());
        QCOMPARE(::chown(QFile::encodeName(m_directory->path()).constData(), Unprivileged::user(), gid_t(-1)), 0);
        QCOMPARE(::chown(name.constData(), Unprivileged::user(), gid_t(-1)), 0);
        QCOMPARE(::chmod(name.constData(), 0444), 0);
        const QString target = path();
        const int outcome = Unprivileged::run([=] {
            QString error;
            return !FileReplacement::replace(target, "new", &error) && error.contains(QLatin1String("read-only")) ? 0 : 1;
        });
        QCOMPARE(::chown(QFile::encodeName(m_directory->path()).constData(), ::geteuid(), gid_t(-1)), 0);
        QCOMPARE(outcome, 0);
        QCOMPARE(TestFiles::bytes(path()), oldSettings);
        QCOMPARE(entries(m_directory->path()), QStringList{QStringLiteral("Options.ini")});
    }

    // A write killed half way leaves its temporary file; the next write removes it, but never the
    // file of a writer that is still running, nor a file that is no temporary file of ours.
    void nextWriteRemovesLeftovers()
    {
        const QString ownLeftover = FileReplacement::temporaryPrefix(path()) + QStringLiteral("a1B2c3");
        const QString deadLeftover = path() + QStringLiteral(".partial.%1.Zz9yY8").arg(goneProcess());
        const QString runningWriter = path() + QStringLiteral(".partial.%1.Qq7wW6").arg(::getppid());
        const QString userFile = path() + QStringLiteral(".partial.backup");
        for (const QString &file : {ownLeftover, deadLeftover, runningWriter, userFile})
            putFile(file, "[UserSvr]\r\nUs");

        QVERIFY(FileReplacement::replace(path(), oldSettings));
        QStringList kept{QStringLiteral("Options.ini"), QFileInfo(userFile).fileName(), QFileInfo(runningWriter).fileName()};
        kept.sort();
        QCOMPARE(entries(m_directory->path()), kept);
    }

    // Killed at any moment of a write, the file holds the old or the new settings whole; the next
    // write removes what the killed ones left.
    void killedMidWrite()
    {
        const QByteArray first = "[Sounds]\r\nMessage=" + QByteArray(64 * 1024, 'a') + "\r\n";
        const QByteArray second = "[Sounds]\r\nMessage=" + QByteArray(64 * 1024, 'b') + "\r\n";
        putFile(path(), first);
        const QString target = path();
        int leftovers = 0;
        constexpr int kills = 200;
        for (int round = 0; round < kills; ++round) {
            const pid_t writer = ::fork();
            if (writer == 0) {
                for (bool flip = false;; flip = !flip)
                    FileReplacement::replace(target, flip ? first : second);
            }
            QVERIFY(writer > 0);
            ::usleep(useconds_t(QRandomGenerator::global()->bounded(200, 3000)));
            ::kill(writer, SIGKILL);
            ::waitpid(writer, nullptr, 0);
            const QByteArray now = TestFiles::bytes(path());
            QVERIFY2(now == first || now == second, qPrintable(QStringLiteral("round %1: %2 bytes").arg(round).arg(now.size())));
            if (round % 20 == 19) {
                leftovers += int(entries(m_directory->path()).size()) - 1;
                QVERIFY(FileReplacement::replace(path(), first));
                QCOMPARE(entries(m_directory->path()), QStringList{QStringLiteral("Options.ini")});
            }
        }
        qInfo("%d temporary files left by %d kills, all removed by the next write", leftovers, kills);
    }
};

QTEST_GUILESS_MAIN(tst_FileReplacement)
#include "tst_filereplacement.moc"
