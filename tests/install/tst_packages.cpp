#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Run
{
    int exitCode = -1;
    QString output; // stdout and stderr together
};

Run run(const QString &program, const QStringList &arguments, const QString &folder = QString())
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    if (!folder.isEmpty())
        process.setWorkingDirectory(folder);
    process.start(program, arguments);
    if (!process.waitForFinished(240000) || process.exitStatus() != QProcess::NormalExit)
        return {-1, QString::fromLocal8Bit(process.readAll())};
    return {process.exitCode(), QString::fromLocal8Bit(process.readAll())};
}

// The loopback address the installed server listens on in this test; tests of other folders use
// others, so all may run at once.
const QString serverAddress = QStringLiteral("127.0.0.161");

} // namespace

class tst_Packages : public QObject
{
    Q_OBJECT

    QTemporaryDir m_work;
    QString m_root; // where both packages are extracted
    QMap<QString, QString> m_packages; // package name -> .deb file
    QMap<QString, QString> m_debugPackages; // package name -> its -dbgsym .ddeb file

    QString installed(const QString &path) const { return m_root + QStringLiteral("/usr/") + path; }

    QString field(const QString &package, const QString &name)
    {
        return run(QStringLiteral("dpkg-deb"), {QStringLiteral("-f"), m_packages.value(package), name}).output.trimmed();
    }

private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("dpkg-deb")).isEmpty())
            QSKIP("dpkg-deb is not installed");
        QVERIFY(m_work.isValid());
        const QString packageFolder = m_work.filePath(QStringLiteral("packages"));
        const Run cpack = run(QStringLiteral("cpack"), {QStringLiteral("-G"), QStringLiteral("DEB"), QStringLiteral("-B"), packageFolder},
                              QStringLiteral(KORVANI_BUILD_DIR));
        QVERIFY2(cpack.exitCode == 0, qPrintable(cpack.output));
        m_root = m_work.filePath(QStringLiteral("root"));
        const QStringList debs = QDir(packageFolder).entryList({QStringLiteral("*.deb")}, QDir::Files);
        for (const QString &deb : debs) {
            const QString path = packageFolder + QLatin1Char('/') + deb;
            m_packages.insert(deb.section(QLatin1Char('_'), 0, 0), path);
            const Run extract = run(QStringLiteral("dpkg-deb"), {QStringLiteral("-x"), path, m_root});
            QVERIFY2(extract.exitCode == 0, qPrintable(extract.output));
        }
        QCOMPARE(m_packages.keys(), QStringList({QStringLiteral("korvani"), QStringLiteral("korvani-server")}));
        for (const QString &ddeb : QDir(packageFolder).entryList({QStringLiteral("*-dbgsym_*.ddeb")}, QDir::Files))
            m_debugPackages.insert(ddeb.section(QStringLiteral("-dbgsym_"), 0, 0), packageFolder + QLatin1Char('/') + ddeb);
    }

    void files_data()
    {
        QTest::addColumn<QString>("path");
        for (const char *path : {"bin/korvani", KORVANI_SOUND_MODULE, "bin/korvani-server", "share/korvani/sound/message.wav",
                                 "share/korvani/smile/smile.gif", "share/applications/korvani.desktop",
                                 "share/metainfo/org.korvani.Korvani.metainfo.xml",
                                 "share/icons/hicolor/16x16/apps/korvani.png", "share/icons/hicolor/64x64/apps/korvani.png",
                                 "share/icons/hicolor/scalable/apps/korvani.svg", "share/man/man1/korvani.1.gz",
                                 "share/man/man8/korvani-server.8.gz", "lib/systemd/system/korvani-server.service",
                                 "../etc/korvani/server.conf", "share/doc/korvani/copyright", "share/doc/korvani/changelog.gz",
                                 "share/doc/korvani-server/copyright", "share/doc/korvani-server/changelog.gz"})
            QTest::newRow(path) << QString::fromLatin1(path);
    }

    void files()
    {
        QFETCH(QString, path);
        QVERIFY2(QFile::exists(installed(path)), qPrintable(installed(path)));
    }

    void dependencies_data()
    {
        QTest::addColumn<QString>("package");
        QTest::addColumn<QStringList>("needed");
        QTest::addColumn<QStringList>("notNeeded");
        QTest::addColumn<QStringList>("recommended");
        QTest::newRow("korvani") << "korvani" << QStringList{"libqt6widgets6", "libqt6network6", "libqt6multimedia6", "fonts-liberation2"}
                                 << QStringList() << QStringList{"fonts-noto-color-emoji"};
        QTest::newRow("korvani-server") << "korvani-server" << QStringList{"libqt6core6", "libqt6network6", "openssl"}
                                        << QStringList{"libqt6widgets6", "libqt6gui6", "fonts-liberation2"} << QStringList();
    }

    void dependencies()
    {
        QFETCH(QString, package);
        QFETCH(QStringList, needed);
        QFETCH(QStringList, notNeeded);
        QFETCH(QStringList, recommended);
        const QString depends = field(package, QStringLiteral("Depends"));
        for (const QString &name : needed)
            QVERIFY2(depends.contains(name), qPrintable(depends));
        for (const QString &name : notNeeded)
            QVERIFY2(!depends.contains(name), qPrintable(depends));
        const QString recommends = field(package, QStringLiteral("Recommends"));
        for (const QString &name : recommended)
            QVERIFY2(recommends.contains(name), qPrintable(recommends));
    }

    // Each package says in its one summary line what it is, and its longer text is plain lines.
    void descriptions()
    {
        const QString client = field(QStringLiteral("korvani"), QStringLiteral("Description"));
        const QString server = field(QStringLiteral("korvani-server"), QStringLiteral("Description"));
        QCOMPARE(client.section(QLatin1Char('\n'), 0, 0), QStringLiteral("desktop chat client for Korvani chat servers"));
        QCOMPARE(server.section(QLatin1Char('\n'), 0, 0), QStringLiteral("chat server for Korvani chat clients"));
        for (const QString &line : (client + QLatin1Char('\n') + server).split(QLatin1Char('\n')))
            QVERIFY2(!line.trimmed().startsWith(QLatin1Char(';')) && line.size() <= 80, qPrintable(line));
    }

    // The changelog's newest entry is this version's, so a new version cannot go out without one.
    void changelogNamesThisVersion_data()
    {
        QTest::addColumn<QString>("package");
        QTest::newRow("korvani") << "korvani";
        QTest::newRow("korvani-server") << "korvani-server";
    }

    void changelogNamesThisVersion()
    {
        QFETCH(QString, package);
        const Run changelog = run(QStringLiteral("gzip"), {QStringLiteral("-dc"), installed(QStringLiteral("share/doc/%1/changelog.gz").arg(package))});
        QCOMPARE(changelog.exitCode, 0);
        const QString version = field(package, QStringLiteral("Version"));
        QVERIFY2(changelog.output.startsWith(QStringLiteral("korvani (%1) ").arg(version)), qPrintable(changelog.output));
    }

    // lintian, where it is installed, finds nothing to mend: no error, no warning, and none of the
    // hardening it reports as information (but in a sanitizer build, which goes without it). A Release build has no debugging information for the
    // -dbgsym packages, only the symbol table, which lintian tells.
    void lintianFindsNothing_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("tolerated");
        QTest::newRow("korvani") << m_packages.value(QStringLiteral("korvani")) << QString();
        QTest::newRow("korvani-server") << m_packages.value(QStringLiteral("korvani-server")) << QString();
        const QString noDebugInformation = QStringLiteral(" debug-file-with-no-debug-symbols ");
        QTest::newRow("korvani-dbgsym") << m_debugPackages.value(QStringLiteral("korvani")) << noDebugInformation;
        QTest::newRow("korvani-server-dbgsym") << m_debugPackages.value(QStringLiteral("korvani-server")) << noDebugInformation;
    }

    void lintianFindsNothing()
    {
        QFETCH(QString, file);
        QFETCH(QString, tolerated);
        if (QStandardPaths::findExecutable(QStringLiteral("lintian")).isEmpty())
            QSKIP("lintian is not installed");
        QVERIFY(!file.isEmpty());
        const Run lintian = run(QStringLiteral("lintian"), {QStringLiteral("--info"), QStringLiteral("--display-info"), file});
        QStringList findings;
        for (const QString &line : lintian.output.split(QLatin1Char('\n'))) {
            const bool finding = line.startsWith(QLatin1String("E: ")) || line.startsWith(QLatin1String("W: "))
                                 || (KORVANI_HARDENED && line.contains(QLatin1String(" hardening-")));
            if (finding && (tolerated.isEmpty() || !line.contains(tolerated)))
                findings.append(line);
        }
        QVERIFY2(findings.isEmpty(), qPrintable(findings.join(QLatin1Char('\n'))));
    }

    // The programs are built as Debian builds its own: position-independent, with a read-only
    // relocation table bound at start and a stack protector. (Whether the C library's checked
    // functions stand in for the unchecked ones, lintian tells: a program may call none of them.)
    void programsHardened_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("korvani") << "bin/korvani";
        QTest::newRow("sound module") << KORVANI_SOUND_MODULE;
        QTest::newRow("korvani-server") << "bin/korvani-server";
    }

    void programsHardened()
    {
        QFETCH(QString, path);
        if (!KORVANI_HARDENED)
            QSKIP("a sanitizer build is not hardened as the packages are");
        const Run elf = run(QStringLiteral("readelf"), {QStringLiteral("-W"), QStringLiteral("--file-header"), QStringLiteral("--program-headers"),
                                                        QStringLiteral("--dynamic"), QStringLiteral("--dyn-syms"), installed(path)});
        QCOMPARE(elf.exitCode, 0);
        QVERIFY2(elf.output.contains(QLatin1String("DYN (")), "not position-independent");
        QVERIFY2(elf.output.contains(QLatin1String("GNU_RELRO")), "no read-only relocations");
        QVERIFY2(elf.output.contains(QRegularExpression(QStringLiteral("FLAGS.*\\bNOW\\b"))), "not bound at start");
        QVERIFY2(elf.output.contains(QLatin1String("__stack_chk_fail")), "no stack protector");
    }

    // The programs go stripped; their symbols are in the -dbgsym package, found by build id.
    void debugSymbolsApart_data()
    {
        QTest::addColumn<QString>("package");
        QTest::addColumn<QStringList>("programs");
        QTest::newRow("korvani") << "korvani" << QStringList{"bin/korvani", KORVANI_SOUND_MODULE};
        QTest::newRow("korvani-server") << "korvani-server" << QStringList{"bin/korvani-server"};
    }

    void debugSymbolsApart()
    {
        QFETCH(QString, package);
        QFETCH(QStringList, programs);
        QVERIFY2(m_debugPackages.contains(package), qPrintable(m_debugPackages.keys().join(u' ')));
        const QString contents = run(QStringLiteral("dpkg-deb"), {QStringLiteral("-c"), m_debugPackages.value(package)}).output;
        for (const QString &program : programs) {
            const QString notes = run(QStringLiteral("readelf"), {QStringLiteral("-n"), QStringLiteral("-S"), QStringLiteral("-W"), installed(program)}).output;
            QVERIFY2(!notes.contains(QLatin1String(".symtab")), qPrintable(program + QStringLiteral(" is not stripped")));
            const QRegularExpressionMatch id = QRegularExpression(QStringLiteral("Build ID: (\\w\\w)(\\w+)")).match(notes);
            QVERIFY2(id.hasMatch(), qPrintable(program));
            const QString debugFile = QStringLiteral("usr/lib/debug/.build-id/%1/%2.debug").arg(id.captured(1), id.captured(2));
            QVERIFY2(contents.contains(debugFile), qPrintable(debugFile + QLatin1Char('\n') + contents));
        }
    }

    void desktopFilesValidate_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("desktop file") << "desktop-file-validate"
                                      << QStringList{installed(QStringLiteral("share/applications/korvani.desktop"))};
        QTest::newRow("metainfo") << "appstreamcli"
                                  << QStringList{"validate", "--no-net", installed(QStringLiteral("share/metainfo/org.korvani.Korvani.metainfo.xml"))};
    }

    void desktopFilesValidate()
    {
        QFETCH(QString, tool);
        QFETCH(QStringList, arguments);
        if (QStandardPaths::findExecutable(tool).isEmpty())
            QSKIP("the checking tool is not installed");
        const Run check = run(tool, arguments);
        QVERIFY2(check.exitCode == 0, qPrintable(check.output));
    }

    void programsAnswerOnTheTerminal_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("version");
        QTest::newRow("korvani") << "korvani" << "korvani 1.1.1\n";
        QTest::newRow("korvani-server") << "korvani-server" << "korvani-server 1.1.1\n";
    }

    // No display is needed for --version and --help, nor to refuse an unknown option.
    void programsAnswerOnTheTerminal()
    {
        QFETCH(QString, program);
        QFETCH(QString, version);
        const QString path = installed(QStringLiteral("bin/") + program);
        const Run shown = run(path, {QStringLiteral("--version")});
        QCOMPARE(shown.exitCode, 0);
        QCOMPARE(shown.output, version);
        const Run help = run(path, {QStringLiteral("--help")});
        QCOMPARE(help.exitCode, 0);
        QVERIFY(help.output.contains(QLatin1String("--version")));
        const Run refused = run(path, {QStringLiteral("--bogus")});
        QCOMPARE(refused.exitCode, 2);
        QVERIFY2(refused.output.contains(QLatin1String("bogus")), qPrintable(refused.output));
    }

    // The installed server, with the configuration the package ships, and the installed client,
    // told by its settings to sign on by itself: the server greets it and logs the sign-on. The
    // settings are a file named with --settings, or those in the user's configuration folder,
    // which the client finds there whoever runs it: root too, who could write the program's
    // folder but never writes beside an installed program.
    void installedProgramsChat_data()
    {
        QTest::addColumn<bool>("named");
        QTest::newRow("--settings FILE") << true;
        QTest::newRow("the user's folder") << false;
    }

    void installedProgramsChat()
    {
        QFETCH(bool, named);
        const QString configuration = m_work.filePath(QStringLiteral("config"));
        const QString settings = named ? m_work.filePath(QStringLiteral("Options.ini")) : configuration + QStringLiteral("/korvani/Options.ini");
        QVERIFY(QDir().mkpath(QFileInfo(settings).path()));
        const QStringList programs = QDir(installed(QStringLiteral("bin"))).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
        QFile file(settings);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[UserSvr]\r\nUser=Ann\r\nSvr=" + serverAddress.toLatin1() + "\r\nAC=1\r\n");
        file.close();

        QProcess server;
        server.setProcessChannelMode(QProcess::MergedChannels);
        server.start(installed(QStringLiteral("bin/korvani-server")),
                     {QStringLiteral("--config"), m_root + QStringLiteral("/etc/korvani/server.conf"), QStringLiteral("--listen"), serverAddress});
        QVERIFY(server.waitForStarted());
        QByteArray log;
        QTRY_VERIFY_WITH_TIMEOUT((log += server.readAll()).contains("listening on"), 20000);

        QProcess client;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("qt.multimedia*=false"));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), configuration);
        client.setProcessEnvironment(environment);
        client.start(installed(QStringLiteral("bin/korvani")), named ? QStringList{QStringLiteral("--settings"), settings} : QStringList());
        QVERIFY(client.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT((log += server.readAll()).contains("signed on as \"Ann\""), 60000);

        client.kill();
        client.waitForFinished();
        server.terminate();
        QVERIFY(server.waitForFinished(20000));
        QCOMPARE(QDir(installed(QStringLiteral("bin"))).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), programs);
    }
};

QTEST_GUILESS_MAIN(tst_Packages)
#include "tst_packages.moc"
