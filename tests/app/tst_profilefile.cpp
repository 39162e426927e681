#include "app/AppDir.h"
#include "app/SettingsLocation.h"
#include "app/modMain.h"
#include "support/TestFiles.h"
#include "support/Unprivileged.h"
#include "writer/NumberedKeys.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <array>
#include <functional>
#include <memory>

#include <sys/stat.h>
#include <unistd.h>

using modMain::ReadIni;
using modMain::SettingsPath;
using modMain::WriteIni;

namespace {

void putFile(const QString &path, const QByteArray &bytes)
{
    QVERIFY(TestFiles::put(path, bytes));
}

// Every entry under directory with its content ("<dir>" for folders), to see that nothing changed.
QMap<QString, QByteArray> snapshot(const QString &directory)
{
    QMap<QString, QByteArray> entries;
    const QFileInfoList infos = QDir(directory).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    for (const QFileInfo &info : infos)
        entries.insert(info.fileName(), info.isDir() ? QByteArrayLiteral("<dir>") : TestFiles::bytes(info.filePath()));
    return entries;
}

// What a build folder holds once its settings are written: no temporary file is left behind.
QStringList settingsBesideTheMarker()
{
    return {SettingsLocation::buildTreeMarker(), QStringLiteral("Options.ini")};
}

const QString longValue = QString(300, QLatin1Char('x')) + QStringLiteral("end");

} // namespace

class tst_ProfileFile : public QObject
{
    Q_OBJECT
public:
    enum Failure { DirectoryNotWritable, FileNotReadable, SettingsFileIsDirectory, DirectoryMissing };
    Q_ENUM(Failure)

private:
    QTemporaryDir *m_directory = nullptr;

    QString path() const { return SettingsPath(); }

private slots:
    void init()
    {
        m_directory = new QTemporaryDir;
        QVERIFY(m_directory->isValid());
        QFile(m_directory->filePath(SettingsLocation::buildTreeMarker())).open(QIODevice::WriteOnly);
        setApplicationDirectory(m_directory->path());
    }

    void cleanup()
    {
        setApplicationDirectory(QString());
        delete m_directory;
        m_directory = nullptr;
    }

    void settingsLiveInTheApplicationDirectory()
    {
        QCOMPARE(SettingsPath(), m_directory->path() + QStringLiteral("/Options.ini"));
    }

    void read_data()
    {
        QTest::addColumn<QByteArray>("file"); // empty: no file at all
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");

        const QByteArray userSvr = "[UserSvr]\r\nUser=Ann\r\nSvr=chat.example.org\r\nAC=1\r\n";
        QTest::newRow("no file") << QByteArray() << "UserSvr" << "User" << "";
        QTest::newRow("value") << userSvr << "UserSvr" << "Svr" << "chat.example.org";
        QTest::newRow("missing section") << userSvr << "Sounds" << "Value" << "";
        QTest::newRow("missing key") << userSvr << "UserSvr" << "Style" << "";
        QTest::newRow("key of another section") << QByteArray("[Sounds]\r\nUser=Bob\r\n[UserSvr]\r\nSvr=x\r\n")
                                                << "UserSvr" << "User" << "";
        QTest::newRow("section name in lower case") << QByteArray("[sounds]\r\nValue=On\r\n") << "Sounds" << "Value" << "On";
        QTest::newRow("key name in upper case") << QByteArray("[Sounds]\r\nVALUE=On\r\n") << "Sounds" << "Value" << "On";
        QTest::newRow("value keeps its letter case") << QByteArray("[Sounds]\r\nValue=on\r\n") << "Sounds" << "Value" << "on";
        QTest::newRow("line feeds only") << QByteArray("[UserSvr]\nUser=Ann\nSvr=host\n") << "UserSvr" << "Svr" << "host";
        QTest::newRow("last line without line end") << QByteArray("[UserSvr]\r\nUser=Ann") << "UserSvr" << "User" << "Ann";
        QTest::newRow("empty value") << QByteArray("[UserSvr]\r\nUser=\r\n") << "UserSvr" << "User" << "";
        QTest::newRow("blanks around names and value") << QByteArray("[ UserSvr ]\r\n  User = Ann Lee  \r\n")
                                                       << "UserSvr" << "User" << "Ann Lee";
        QTest::newRow("equals sign in the value") << QByteArray("[UserSvr]\r\nSvr=a=b\r\n") << "UserSvr" << "Svr" << "a=b";
        QTest::newRow("300 characters and more") << ("[Sounds]\r\nMessage=" + longValue.toUtf8() + "\r\n")
                                                 << "Sounds" << "Message" << longValue;
        QTest::newRow("first of duplicate keys") << QByteArray("[UserSvr]\r\nUser=Ann\r\nUser=Bob\r\n")
                                                 << "UserSvr" << "User" << "Ann";
        QTest::newRow("first of duplicate sections")
            << QByteArray("[UserSvr]\r\nUser=Ann\r\n[usersvr]\r\nUser=Bob\r\nSvr=host\r\n") << "UserSvr" << "Svr" << "";
        QTest::newRow("comment is no key") << QByteArray("[UserSvr]\r\n;User=Ann\r\n") << "UserSvr" << "User" << "";
        QTest::newRow("line without equals sign is no key") << QByteArray("[UserSvr]\r\nUser\r\nUser=Ann\r\n")
                                                            << "UserSvr" << "User" << "Ann";
        QTest::newRow("key before the first section") << QByteArray("User=Ann\r\n[UserSvr]\r\n") << "UserSvr" << "User" << "";
        QTest::newRow("byte-order mark") << QByteArray("\xEF\xBB\xBF[UserSvr]\r\nUser=Ann\r\n") << "UserSvr" << "User" << "Ann";
        QTest::newRow("UTF-8 text") << QByteArray("[UserSvr]\r\nUser=\xC5\xA0\xC3\xA1rka\r\n") << "UserSvr" << "User"
                                    << QString::fromUtf8("Šárka");
        QTest::newRow("UTF-8 beyond the code page") << QByteArray("[UserSvr]\r\nUser=\xF0\x9F\x98\x80\xE6\x97\xA5\xD7\xA9\r\n")
                                                    << "UserSvr" << "User" << QStringLiteral("\U0001F600\u65E5\u05E9");
        // The file the program wrote on Windows is in the system's code page, Windows-1250 for the
        // users it serves: text that is no UTF-8 is read in that code page, not as U+FFFD.
        QTest::newRow("Windows-1250 file") << QByteArray("[UserSvr]\r\nUser=Za\xBF\xF3\xB3\xE6 \x8A\xE1rka\r\nSvr=host\r\n")
                                           << "UserSvr" << "User" << QStringLiteral("Za\u017C\u00F3\u0142\u0107 \u0160\u00E1rka");
    }

    void read()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, expected);

        if (!file.isEmpty())
            putFile(path(), file);
        QCOMPARE(ReadIni(section, key, path()), expected);
    }

    void write_data()
    {
        QTest::addColumn<QByteArray>("before"); // empty: no file at all
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<QString>("readBack");

        QTest::newRow("creates the file") << QByteArray() << "UserSvr" << "User" << "Ann"
                                          << QByteArray("[UserSvr]\r\nUser=Ann\r\n") << "Ann";
        QTest::newRow("any text, in UTF-8") << QByteArray() << "UserSvr" << "User" << QStringLiteral("b\U0001F600\u65E5")
                                            << QByteArray("[UserSvr]\r\nUser=b\xF0\x9F\x98\x80\xE6\x97\xA5\r\n")
                                            << QStringLiteral("b\U0001F600\u65E5");
        QTest::newRow("a Windows-1250 file is written again in UTF-8")
            << QByteArray("[UserSvr]\r\nUser=\xB3\r\n") << "UserSvr" << "Svr" << "host"
            << QByteArray("[UserSvr]\r\nUser=\xC5\x82\r\nSvr=host\r\n") << "host";
        QTest::newRow("adds the section at the end")
            << QByteArray("[Sounds]\r\nValue=On\r\n") << "UserSvr" << "User" << "Ann"
            << QByteArray("[Sounds]\r\nValue=On\r\n[UserSvr]\r\nUser=Ann\r\n") << "Ann";
        QTest::newRow("adds the key after its section's last line")
            << QByteArray("[UserSvr]\r\nUser=Ann\r\n\r\n[Sounds]\r\nValue=On\r\n") << "UserSvr" << "Svr" << "host"
            << QByteArray("[UserSvr]\r\nUser=Ann\r\nSvr=host\r\n\r\n[Sounds]\r\nValue=On\r\n") << "host";

        const QByteArray handWritten = "; written by hand\r\n"
                                       "text before any section\r\n"
                                       "[usersvr]\r\n"
                                       "; remembered sign-on\r\n"
                                       "USER = Old \r\n"
                                       "a line without an equals sign\r\n"
                                       "\r\n"
                                       "User=Second\r\n"
                                       "Svr=host\r\n"
                                       "[Sounds]\r\n"
                                       "Value=On\r\n";
        QByteArray replaced = handWritten;
        replaced.replace("USER = Old \r\n", "USER=New\r\n");
        QTest::newRow("replaces the first match where it stands, keeps every other line")
            << handWritten << "UserSvr" << "User" << "New" << replaced << "New";

        QTest::newRow("line feeds only") << QByteArray("[Sounds]\nValue=On\n") << "UserSvr" << "User" << "Ann"
                                         << QByteArray("[Sounds]\nValue=On\n[UserSvr]\nUser=Ann\n") << "Ann";
        QTest::newRow("last line without line end") << QByteArray("[UserSvr]\r\nUser=Ann") << "UserSvr" << "Svr" << "host"
                                                    << QByteArray("[UserSvr]\r\nUser=Ann\r\nSvr=host\r\n") << "host";
        QTest::newRow("empty value keeps the key") << QByteArray("[UserSvr]\r\nUser=Ann\r\nSvr=host\r\n") << "UserSvr"
                                                   << "User" << "" << QByteArray("[UserSvr]\r\nUser=\r\nSvr=host\r\n") << "";
        QTest::newRow("empty value of a new key") << QByteArray() << "UserSvr" << "Svr" << ""
                                                  << QByteArray("[UserSvr]\r\nSvr=\r\n") << "";
        QTest::newRow("first of duplicate sections")
            << QByteArray("[UserSvr]\r\nUser=Ann\r\n[UserSvr]\r\nSvr=old\r\n") << "UserSvr" << "Svr" << "new"
            << QByteArray("[UserSvr]\r\nUser=Ann\r\nSvr=new\r\n[UserSvr]\r\nSvr=old\r\n") << "new";
        QTest::newRow("comment and key before the first section stay")
            << QByteArray("User=stray\r\n[UserSvr]\r\n;User=Old\r\n") << "UserSvr" << "User" << "Ann"
            << QByteArray("User=stray\r\n[UserSvr]\r\n;User=Old\r\nUser=Ann\r\n") << "Ann";
        QTest::newRow("byte-order mark stays") << QByteArray("\xEF\xBB\xBF[UserSvr]\r\nUser=Old\r\n") << "UserSvr"
                                               << "User" << "Ann" << QByteArray("\xEF\xBB\xBF[UserSvr]\r\nUser=Ann\r\n")
                                               << "Ann";
        QTest::newRow("300 characters and more") << QByteArray() << "Sounds" << "Message" << longValue
                                                 << ("[Sounds]\r\nMessage=" + longValue.toUtf8() + "\r\n") << longValue;
        QTest::newRow("UTF-8 text") << QByteArray() << "UserSvr" << "User" << QString::fromUtf8("Šárka")
                                    << QByteArray("[UserSvr]\r\nUser=\xC5\xA0\xC3\xA1rka\r\n") << QString::fromUtf8("Šárka");
        // A typed line break must not smuggle a key of its own into the file.
        QTest::newRow("line break in the value") << QByteArray() << "UserSvr" << "User" << "Ann\r\n[Sounds]\nValue=On"
                                                 << QByteArray("[UserSvr]\r\nUser=Ann  [Sounds] Value=On\r\n")
                                                 << "Ann  [Sounds] Value=On";
    }

    void write()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QByteArray, after);
        QFETCH(QString, readBack);

        if (!before.isEmpty())
            putFile(path(), before);
        QCOMPARE(WriteIni(section, key, value, path()), short(0));
        QCOMPARE(TestFiles::bytes(path()), after);
        QCOMPARE(ReadIni(section, key, path()), readBack);
        QCOMPARE(ReadIni(QStringLiteral("Sounds"), QStringLiteral("Value"), path()),
                 before.contains("Value=On") ? QStringLiteral("On") : QString());
        QCOMPARE(QDir(m_directory->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 settingsBesideTheMarker());
    }

    void writesInTurnAreAllKept()
    {
        WriteIni(QStringLiteral("UserSvr"), QStringLiteral("User"), QStringLiteral("Ann"), path());
        WriteIni(QStringLiteral("UserSvr"), QStringLiteral("Svr"), QStringLiteral("host"), path());
        WriteIni(QStringLiteral("UserSvr"), QStringLiteral("AC"), QStringLiteral("1"), path());
        WriteIni(QStringLiteral("Sounds"), QStringLiteral("Value"), QStringLiteral("On"), path());
        WriteIni(QStringLiteral("UserSvr"), QStringLiteral("User"), QStringLiteral("Bob"), path());
        QCOMPARE(TestFiles::bytes(path()), QByteArray("[UserSvr]\r\nUser=Bob\r\nSvr=host\r\nAC=1\r\n[Sounds]\r\nValue=On\r\n"));
    }

    // Two writers on one file at the same moment (two instances of the program pressing Apply): each
    // reads the file, sets its values and replaces it, and neither undoes the other's values.
    void writersAtTheSameMomentKeepEachOthersValues_data()
    {
        QTest::addColumn<bool>("programs");
        QTest::newRow("two threads of one program") << false;
        QTest::newRow("two programs") << true;
    }
    void writersAtTheSameMomentKeepEachOthersValues()
    {
        QFETCH(bool, programs);
        constexpr int writes = 60;
        const QStringList sections{QStringLiteral("One"), QStringLiteral("Two")};
        int failures = 0;
        if (programs) {
            std::array<QProcess, 2> writers;
            for (int i = 0; i < 2; ++i) {
                writers[i].start(QStringLiteral(SETTINGS_WRITER), {path(), sections.at(i), QString::number(writes)});
                QVERIFY(writers[i].waitForReadyRead(10000));
            }
            for (QProcess &writer : writers) {
                writer.write("go\n");
                QVERIFY(writer.waitForBytesWritten(10000));
            }
            for (QProcess &writer : writers) {
                QVERIFY(writer.waitForFinished(60000));
                failures += writer.exitCode();
            }
        } else {
            std::array<int, 2> threadFailures{};
            std::array<std::unique_ptr<QThread>, 2> writers;
            for (int i = 0; i < 2; ++i) {
                writers[i].reset(QThread::create(
                    [&, i] { threadFailures[i] = writeNumberedKeys(path(), sections.at(i), writes); }));
            }
            for (auto &writer : writers)
                writer->start();
            for (auto &writer : writers)
                QVERIFY(writer->wait(60000));
            failures = threadFailures[0] + threadFailures[1];
        }

        QCOMPARE(failures, 0);
        for (int i = 0; i < writes; ++i) {
            const QString key = QStringLiteral("Key%1").arg(i);
            QCOMPARE(ReadIni(sections.at(0), key, path()), QString::number(i));
            QCOMPARE(ReadIni(sections.at(1), key, path()), QString::number(i));
        }
        QCOMPARE(QDir(m_directory->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 settingsBesideTheMarker());
    }

    // A lock left long ago (by a writer on another machine sharing the folder, or one that hangs)
    // stops no write.
    void oldLockIsTakenOver()
    {
        QFile lock(path() + QStringLiteral(".lock"));
        QVERIFY(lock.open(QIODevice::WriteOnly));
        lock.write("999999\nkorvani\nsomewhere-else\n");
        QVERIFY(lock.flush());
        QVERIFY(lock.setFileTime(QDateTime::currentDateTime().addSecs(-60), QFileDevice::FileModificationTime));
        lock.close();
        QVERIFY(modMain::WriteIniValues({{QStringLiteral("UserSvr"), QStringLiteral("User"), QStringLiteral("Ann")}}, path()));
        QCOMPARE(ReadIni(QStringLiteral("UserSvr"), QStringLiteral("User"), path()), QStringLiteral("Ann"));
        QVERIFY(!QFile::exists(path() + QStringLiteral(".lock")));
    }

    void failedWriteChangesNothing_data()
    {
        QTest::addColumn<Failure>("failure");
        QTest::addColumn<QString>("readAfter");
        QTest::newRow("directory not writable") << DirectoryNotWritable << "Ann";
        QTest::newRow("file not readable") << FileNotReadable << "";
        QTest::newRow("Options.ini is a directory") << SettingsFileIsDirectory << "";
        QTest::newRow("application directory missing") << DirectoryMissing << "";
    }

    // The write fails, says so, and leaves every file as it was.
    void failedWriteChangesNothing()
    {
        QFETCH(Failure, failure);
        QFETCH(QString, readAfter);
        const QString directory = m_directory->path();
        const QByteArray directoryName = QFile::encodeName(directory);
        const QByteArray fileName = QFile::encodeName(path());

        if (failure == SettingsFileIsDirectory) {
            QVERIFY(QDir(directory).mkdir(QStringLiteral("Options.ini")));
            putFile(path() + QStringLiteral("/keep"), "[UserSvr]\r\nUser=Ann\r\n");
        } else if (failure != DirectoryMissing) {
            putFile(path(), "[UserSvr]\r\nUser=Ann\r\n");
        }
        const QMap<QString, QByteArray> before = snapshot(directory);

        // Each permission case is built so that a careless writer would succeed: the file itself
        // can be written in place, or the directory would take a replacement.
        std::function<bool()> isSetUp = [] { return true; };
        const uid_t user = Unprivileged::user();
        if (failure == DirectoryNotWritable) {
            QCOMPARE(::chown(fileName.constData(), user, gid_t(-1)), 0);
            QCOMPARE(::chmod(directoryName.constData(), 0555), 0);
            isSetUp = [=] {
                return ::access(fileName.constData(), W_OK) == 0 && ::access(directoryName.constData(), W_OK) != 0;
            };
        } else if (failure == FileNotReadable) {
            QCOMPARE(::chown(fileName.constData(), user, gid_t(-1)), 0);
            QCOMPARE(::chown(directoryName.constData(), user, gid_t(-1)), 0);
            QCOMPARE(::chmod(fileName.constData(), 0200), 0);
            isSetUp = [=] {
                return ::access(fileName.constData(), R_OK) != 0 && ::access(directoryName.constData(), W_OK) == 0;
            };
        }

        const QString target = failure == DirectoryMissing ? directory + QStringLiteral("/missing/Options.ini") : path();
        const std::function<int()> check = [=] {
            if (!isSetUp())
                return Unprivileged::skipNeeded;
            if (WriteIni(QStringLiteral("UserSvr"), QStringLiteral("User"), QStringLiteral("Bob"), target) != -1)
                return 1;
            return ReadIni(QStringLiteral("UserSvr"), QStringLiteral("User"), target) == readAfter ? 0 : 2;
        };
        const bool permissionCase = failure == DirectoryNotWritable || failure == FileNotReadable;
        const int outcome = permissionCase ? Unprivileged::run(check) : check();

        if (permissionCase) {
            QCOMPARE(::chmod(directoryName.constData(), 0700), 0);
            QCOMPARE(::chmod(fileName.constData(), 0600), 0);
            QCOMPARE(::chown(directoryName.constData(), ::geteuid(), gid_t(-1)), 0);
        }
        if (outcome == Unprivileged::skipNeeded)
            QSKIP("file permissions cannot be set up for this case here");
        QCOMPARE(outcome, 0);
        QCOMPARE(snapshot(directory), before);
    }
};

QTEST_GUILESS_MAIN(tst_ProfileFile)
#include "tst_profilefile.moc"
