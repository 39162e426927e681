#include "app/AppDir.h"
#include "app/SettingsLocation.h"
#include "app/modMain.h"
#include "support/Unprivileged.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString user = QStringLiteral("User");
const QString section = QStringLiteral("UserSvr");

QStringList entries(const QString &directory)
{
    return QDir(directory).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
}

} // namespace

class tst_SettingsLocation : public QObject
{
    Q_OBJECT

    QTemporaryDir *m_program = nullptr; // the program's folder
    QTemporaryDir *m_home = nullptr;    // the user's configuration folder lives under it

private slots:
    void initTestCase()
    {
        QCoreApplication::setApplicationName(QStringLiteral("korvani"));
    }

    void init()
    {
        m_program = new QTemporaryDir;
        m_home = new QTemporaryDir;
        QVERIFY(m_program->isValid() && m_home->isValid());
        setApplicationDirectory(m_program->path());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_home->filePath(QStringLiteral("config"))));
    }

    void cleanup()
    {
        SettingsLocation::setFile(QString());
        setApplicationDirectory(QString());
        QCOMPARE(::chmod(QFile::encodeName(m_program->path()).constData(), 0700), 0);
        delete m_program;
        delete m_home;
    }

    // A build folder keeps its settings beside the program, as it always did.
    void besideTheProgramInABuildFolder()
    {
        QVERIFY(QFile(m_program->filePath(SettingsLocation::buildTreeMarker())).open(QIODevice::WriteOnly));
        QCOMPARE(modMain::SettingsPath(), m_program->filePath(QStringLiteral("Options.ini")));
        QCOMPARE(modMain::WriteIni(section, user, QStringLiteral("Ann"), modMain::SettingsPath()), short(0));
        QCOMPARE(modMain::ReadIni(section, user, modMain::SettingsPath()), QStringLiteral("Ann"));
        QVERIFY(!QDir(m_home->path()).exists(QStringLiteral("config")));
    }

    // An installed program (a folder the user cannot write) keeps them in the user's configuration
    // folder, creates it at the first write, and reads them back at the next start.
    void inTheUsersFolderWhenTheProgramsFolderIsReadOnly()
    {
        const QByteArray program = QFile::encodeName(m_program->path());
        const QByteArray home = QFile::encodeName(m_home->path());
        QCOMPARE(::chmod(program.constData(), 0755), 0);
        QCOMPARE(::chown(home.constData(), Unprivileged::user(), gid_t(-1)), 0);
        const QString expected = m_home->filePath(QStringLiteral("config/korvani/Options.ini"));

        const int outcome = Unprivileged::run([=] {
            if (::access(program.constData(), W_OK) == 0)
                return Unprivileged::skipNeeded;
            if (modMain::SettingsPath() != expected)
                return 1;
            if (!modMain::WriteIniValues({{section, user, QStringLiteral("Ann")}, {section, QStringLiteral("Svr"), QStringLiteral("host")}},
                                         modMain::SettingsPath()))
                return 2;
            return modMain::ReadIni(section, user, modMain::SettingsPath()) == QLatin1String("Ann") ? 0 : 3;
        });
        QCOMPARE(::chown(home.constData(), ::geteuid(), gid_t(-1)), 0);
        if (outcome == Unprivileged::skipNeeded)
            QSKIP("the program's folder cannot be made read-only here");
        QCOMPARE(outcome, 0);
        QVERIFY(entries(m_program->path()).isEmpty());
        QFile file(expected);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("[UserSvr]\r\nUser=Ann\r\nSvr=host\r\n"));
    }

    // Only a build folder or a copy that already holds its Options.ini keeps the settings beside
    // the program; an installed program never writes beside itself, whoever runs it: root, whom
    // no folder's permissions stop, writes into the user's configuration folder as everyone does.
    // folders: made under the temporary folder, the program in bin/; "!" after a file makes it.
    void whereTheSettingsLive_data()
    {
        QTest::addColumn<QStringList>("folders");
        QTest::addColumn<bool>("readOnlyLooking"); // bin/ without write permission
        QTest::addColumn<bool>("beside");
        const QString marker = QStringLiteral("bin/") + SettingsLocation::buildTreeMarker() + QLatin1Char('!');
        QTest::newRow("build folder") << QStringList{"bin/smile", "bin/sound", marker} << false << true;
        QTest::newRow("portable copy") << QStringList{"bin/smile", "bin/sound", "bin/Options.ini!"} << false << true;
        QTest::newRow("lone program with its Options.ini") << QStringList{"bin/Options.ini!"} << false << true;
        QTest::newRow("lone program") << QStringList{"bin"} << false << false;
        QTest::newRow("lone program, read-only-looking") << QStringList{"bin"} << true << false;
        QTest::newRow("prefix") << QStringList{"bin", "share/korvani/smile", "share/korvani/sound"} << false << false;
        QTest::newRow("prefix, read-only-looking") << QStringList{"bin", "share/korvani/smile", "share/korvani/sound"} << true
                                                   << false;
        QTest::newRow("prefix with an Options.ini left in bin")
            << QStringList{"bin/Options.ini!", "share/korvani/smile", "share/korvani/sound"} << false << false;
    }

    void whereTheSettingsLive()
    {
        QFETCH(QStringList, folders);
        QFETCH(bool, readOnlyLooking);
        QFETCH(bool, beside);
        const QString root = m_program->path();
        for (QString folder : folders) {
            const bool isFile = folder.endsWith(QLatin1Char('!'));
            folder.chop(isFile ? 1 : 0);
            QVERIFY(QDir(root).mkpath(isFile ? QFileInfo(folder).path() : folder));
            QVERIFY(!isFile || QFile(root + QLatin1Char('/') + folder).open(QIODevice::WriteOnly));
        }
        const QString program = root + QStringLiteral("/bin");
        const QStringList before = entries(program);
        setApplicationDirectory(program);
        if (readOnlyLooking)
            QCOMPARE(::chmod(QFile::encodeName(program).constData(), 0555), 0);

        const QString expected = beside ? program + QStringLiteral("/Options.ini")
                                        : m_home->filePath(QStringLiteral("config/korvani/Options.ini"));
        const QString found = modMain::SettingsPath();
        QCOMPARE(::chmod(QFile::encodeName(program).constData(), 0700), 0);
        QCOMPARE(found, expected);
        QVERIFY(modMain::WriteIniValues({{section, user, QStringLiteral("Ann")}}, found));
        QCOMPARE(modMain::ReadIni(section, user, expected), QStringLiteral("Ann"));
        if (!beside)
            QCOMPARE(entries(program), before);
    }

    // Pictures and sounds: beside the program first (a build folder, a portable copy), else in
    // share/korvani of the installation the program sits in.
    void assetsBesideTheProgramOrInstalled_data()
    {
        QTest::addColumn<QStringList>("folders");
        QTest::addColumn<QString>("expected"); // under the temporary folder
        QTest::newRow("beside the program") << QStringList{"bin/sound", "share/korvani/sound"} << "bin";
        QTest::newRow("smileys alone beside it") << QStringList{"bin/smile", "share/korvani/sound"} << "bin";
        QTest::newRow("installed") << QStringList{"bin", "share/korvani/sound", "share/korvani/smile"} << "share/korvani";
        QTest::newRow("nowhere") << QStringList{"bin"} << "bin";
    }

    void assetsBesideTheProgramOrInstalled()
    {
        QFETCH(QStringList, folders);
        QFETCH(QString, expected);
        for (const QString &folder : folders)
            QVERIFY(QDir(m_home->path()).mkpath(folder));
        setApplicationDirectory(m_home->filePath(QStringLiteral("bin")));
        QCOMPARE(applicationDirectory(), m_home->filePath(expected));
    }

    // Two clients on one machine keep their own settings with --settings.
    void fileFromTheCommandLine()
    {
        const QString before = QDir::currentPath();
        QDir::setCurrent(m_home->path());
        SettingsLocation::setFile(QStringLiteral("second.ini"));
        QDir::setCurrent(before);
        QCOMPARE(modMain::SettingsPath(), m_home->filePath(QStringLiteral("second.ini")));
        QCOMPARE(modMain::WriteIni(section, user, QStringLiteral("Bob"), modMain::SettingsPath()), short(0));
        QCOMPARE(entries(m_program->path()), QStringList());
        SettingsLocation::setFile(QString());
        QCOMPARE(modMain::SettingsPath(), m_home->filePath(QStringLiteral("config/korvani/Options.ini")));
    }

    // A mistyped folder in --settings is not created: the write fails and says so.
    void missingFolderOfTheCommandLineFile()
    {
        SettingsLocation::setFile(m_home->filePath(QStringLiteral("typo/own.ini")));
        QString error;
        QVERIFY(!modMain::WriteIniValues({{section, user, QStringLiteral("Bob")}}, modMain::SettingsPath(), &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(!QDir(m_home->path()).exists(QStringLiteral("typo")));
    }
};

QTEST_GUILESS_MAIN(tst_SettingsLocation)
#include "tst_settingslocation.moc"
