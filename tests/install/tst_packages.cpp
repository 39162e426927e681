#include <QDir>
#include <QFile>
#include <QProcess>
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
    }

    void files_data()
    {
        QTest::addColumn<QString>("path");
        for (const char *path : {"bin/korvani", KORVANI_SOUND_MODULE, "bin/korvani-server", "share/korvani/sound/message.wav",
                                 "share/korvani/smile/smile.gif", "share/applications/korvani.desktop",
                                 "share/metainfo/org.korvani.Korvani.metainfo.xml",
                                 "share/icons/hicolor/16x16/apps/korvani.png", "share/icons/hicolor/64x64/apps/korvani.png",
                                 "share/icons/hicolor/scalable/apps/korvani.svg", "share/man/man1/korvani.1",
                                 "share/man/man8/korvani-server.8", "lib/systemd/system/korvani-server.service",
                                 "../etc/korvani/server.conf"})
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
        QTest::newRow("korvani-server") << "korvani-server" << QStringList{"libqt6core6", "libqt6network6"}
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

    // No display is needed for --version and --help.
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
    }

    // The installed server, with the configuration the package ships, and the installed client,
    // told by its settings to sign on by itself: the server greets it and logs the sign-on.
    void installedProgramsChat()
    {
        const QString settings = m_work.filePath(QStringLiteral("Options.ini"));
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
        client.setProcessEnvironment(environment);
        client.start(installed(QStringLiteral("bin/korvani")), {QStringLiteral("--settings"), settings});
        QVERIFY(client.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT((log += server.readAll()).contains("signed on as \"Ann\""), 60000);

        client.kill();
        client.waitForFinished();
        server.terminate();
        QVERIFY(server.waitForFinished(20000));
    }
};

QTEST_GUILESS_MAIN(tst_Packages)
#include "tst_packages.moc"
