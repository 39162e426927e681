// korvani-server as an operator configures it: the configuration file, where the operator
// password comes from, reading both again, the pause after wrong passwords, and the log lines.

#include "LoginThrottle.h"
#include "ServerCommandLine.h"
#include "ServerConfigFile.h"
#include "ServerLog.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using Environment = QHash<QString, QString>;

class tst_ServerConfig : public QObject
{
    Q_OBJECT

    QTemporaryDir m_directory;

    QString putFile(const QString &name, const QByteArray &bytes)
    {
        const QString path = m_directory.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            return QString();
        return path;
    }

private slots:
    void settings_data()
    {
        QTest::addColumn<QByteArray>("config"); // empty: no --config
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<Environment>("environment");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("port");
        QTest::addColumn<QString>("password");

        const QByteArray config = "# team server\n"
                                  "name = Team room\n"
                                  "\n"
                                  "port=1299\n"
                                  "motd=Welcome, team\n"
                                  "admin-password=from-config\n";
        QTest::newRow("defaults") << QByteArray() << QStringList() << Environment() << "Korvani" << 1290 << "";
        QTest::newRow("from the file") << config << QStringList() << Environment() << "Team room" << 1299 << "from-config";
        QTest::newRow("command line wins") << config << QStringList{"--name", "Other", "--port", "1300"} << Environment()
                                           << "Other" << 1300 << "from-config";
        QTest::newRow("environment beats the file")
            << config << QStringList() << Environment{{"KORVANI_ADMIN_PASSWORD", "from-env"}} << "Team room" << 1299
            << "from-env";
        QTest::newRow("command line beats the environment")
            << config << QStringList{"--admin-password", "typed"} << Environment{{"KORVANI_ADMIN_PASSWORD", "from-env"}}
            << "Team room" << 1299 << "typed";
        QTest::newRow("password file named in the file")
            << QByteArray("admin-password-file=@dir/password\n") << QStringList() << Environment() << "Korvani" << 1290
            << "from-file";
        QTest::newRow("password file on the command line")
            << config << QStringList{"--admin-password-file", "@dir/password"} << Environment() << "Team room" << 1299
            << "from-file";
    }

    void settings()
    {
        QFETCH(QByteArray, config);
        QFETCH(QStringList, arguments);
        QFETCH(Environment, environment);
        QFETCH(QString, name);
        QFETCH(int, port);
        QFETCH(QString, password);

        QVERIFY(!putFile(QStringLiteral("password"), "from-file\r\nsecond line\n").isEmpty());
        const QString dir = m_directory.path();
        config.replace("@dir", QFile::encodeName(dir));
        arguments.replaceInStrings(QStringLiteral("@dir"), dir);
        QStringList commandLine{QStringLiteral("korvani-server")};
        if (!config.isEmpty())
            commandLine << QStringLiteral("--config") << putFile(QStringLiteral("server.conf"), config);
        ServerCommandLine parser;
        QCOMPARE(parser.parse(commandLine + arguments, environment), ServerCommandLine::Outcome::Run);
        QCOMPARE(parser.settings().name, name);
        QCOMPARE(int(parser.settings().port), port);
        QCOMPARE(parser.settings().adminPassword, password);
    }

    void tlsSettings_data()
    {
        QTest::addColumn<QByteArray>("config"); // empty: no --config
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("cert");
        QTest::addColumn<int>("tlsPort");
        QTest::addColumn<bool>("plainPort");

        QTest::newRow("no TLS") << QByteArray() << QStringList() << "" << 1291 << true;
        QTest::newRow("on the command line") << QByteArray() << QStringList{"--tls-cert", "c.pem", "--tls-key", "k.pem"}
                                             << "c.pem" << 1291 << true;
        QTest::newRow("in the file") << QByteArray("tls-cert=/etc/c.pem\ntls-key=/etc/k.pem\ntls-port=1400\ntls-only=yes\n")
                                     << QStringList() << "/etc/c.pem" << 1400 << false;
        QTest::newRow("tls-only=no") << QByteArray("tls-cert=c\ntls-key=k\ntls-only=No\n") << QStringList() << "c"
                                     << 1291 << true;
        QTest::newRow("command line wins") << QByteArray("tls-cert=c\ntls-key=k\ntls-port=1400\n")
                                           << QStringList{"--tls-port", "1500", "--tls-only"} << "c" << 1500 << false;
        QTest::newRow("plain port may take 1291 when closed")
            << QByteArray() << QStringList{"--tls-cert", "c", "--tls-key", "k", "--port", "1291", "--tls-port", "1291",
                                           "--tls-only"} << "c" << 1291 << false;
    }

    void tlsSettings()
    {
        QFETCH(QByteArray, config);
        QFETCH(QStringList, arguments);
        QFETCH(QString, cert);
        QFETCH(int, tlsPort);
        QFETCH(bool, plainPort);

        QStringList commandLine{QStringLiteral("korvani-server")};
        if (!config.isEmpty())
            commandLine << QStringLiteral("--config") << putFile(QStringLiteral("tls.conf"), config);
        ServerCommandLine parser;
        QCOMPARE(parser.parse(commandLine + arguments, {}), ServerCommandLine::Outcome::Run);
        QCOMPARE(parser.settings().tlsCertFile, cert);
        QCOMPARE(parser.settings().tlsKeyFile.isEmpty(), cert.isEmpty());
        QCOMPARE(int(parser.settings().tlsPort), tlsPort);
        QCOMPARE(parser.settings().plainPort, plainPort);
    }

    void clusterSettings_data()
    {
        QTest::addColumn<QByteArray>("config"); // empty: no --config
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("urls");

        QTest::newRow("on its own") << QByteArray() << QStringList() << QStringList();
        QTest::newRow("one NATS server") << QByteArray() << QStringList{"--cluster", "nats://10.0.0.5:4222"}
                                         << QStringList{"nats://10.0.0.5:4222"};
        QTest::newRow("a NATS cluster in the file")
            << QByteArray("cluster=nats://a.example:4222, nats://b.example:4223\n") << QStringList()
            << QStringList{"nats://a.example:4222", "nats://b.example:4223"};
    }

    void clusterSettings()
    {
        QFETCH(QByteArray, config);
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, urls);

        QStringList commandLine{QStringLiteral("korvani-server")};
        if (!config.isEmpty())
            commandLine << QStringLiteral("--config") << putFile(QStringLiteral("cluster.conf"), config);
        ServerCommandLine parser;
        QCOMPARE(parser.parse(commandLine + arguments, {}), ServerCommandLine::Outcome::Run);
        QCOMPARE(parser.settings().clusterUrls, urls);
    }

    void refused_data()
    {
        QTest::addColumn<QByteArray>("config");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("error");

        QTest::newRow("missing file") << QByteArray() << QStringList{"--config", "@dir/none.conf"} << "cannot read";
        QTest::newRow("unknown key") << QByteArray("name=a\ncolour=red\n") << QStringList() << "line 2: unknown key \"colour\"";
        QTest::newRow("line without equals sign") << QByteArray("name\n") << QStringList() << "line 1: expected key=value";
        QTest::newRow("key twice") << QByteArray("port=1\nport=2\n") << QStringList() << "\"port\" given twice";
        QTest::newRow("bad number") << QByteArray("port=70000\n") << QStringList() << "--port takes a whole number";
        QTest::newRow("bad address") << QByteArray("listen=here\n") << QStringList() << "Not an IP address: \"here\"";
        QTest::newRow("password twice in one place")
            << QByteArray("admin-password=a\nadmin-password-file=/etc/hostname\n") << QStringList() << "give the operator password once";
        QTest::newRow("missing password file") << QByteArray() << QStringList{"--admin-password-file", "@dir/none"} << "cannot read";
        QTest::newRow("larger than 64 KiB") << QByteArray("# ") + QByteArray(64 * 1024, 'x') << QStringList()
                                            << "larger than 65536 bytes";
        QTest::newRow("certificate without key") << QByteArray("tls-cert=c\n") << QStringList() << "TLS needs both";
        QTest::newRow("key without certificate") << QByteArray() << QStringList{"--tls-key", "k"} << "TLS needs both";
        QTest::newRow("TLS only without certificate") << QByteArray("tls-only=yes\n") << QStringList()
                                                      << "tls-only needs tls-cert and tls-key";
        QTest::newRow("tls-only neither yes nor no") << QByteArray("tls-cert=c\ntls-key=k\ntls-only=1\n") << QStringList()
                                                     << "tls-only takes yes or no, not 1";
        QTest::newRow("bad TLS port") << QByteArray("tls-port=0\n") << QStringList() << "--tls-port takes a whole number";
        QTest::newRow("both ports the same") << QByteArray("tls-cert=c\ntls-key=k\nport=1291\n") << QStringList()
                                             << "port and tls-port are both 1291";
        QTest::newRow("cluster without scheme") << QByteArray("cluster=10.0.0.5:4222\n") << QStringList()
                                                << "cluster takes nats://HOST:PORT";
        QTest::newRow("cluster without port") << QByteArray() << QStringList{"--cluster", "nats://a.example"}
                                              << "cluster takes nats://HOST:PORT";
        QTest::newRow("cluster with an empty entry") << QByteArray() << QStringList{"--cluster", "nats://a:1,"}
                                                     << "cluster takes nats://HOST:PORT";
        QTest::newRow("a million-character key") << QByteArray(1000 * 1000, 'k') + "=v" << QStringList() << "larger than";
        // The log shows the key's bytes as they are in the file, and a quote cannot end the quoting.
        QTest::newRow("key of bytes 00 FF FE") << QByteArray("\x00\xFF\xFE=1\n", 6) << QStringList()
                                               << "line 1: unknown key \"\\x00\\xff\\xfe\"";
        QTest::newRow("key with a quote") << QByteArray("na\"me=1\n") << QStringList() << "unknown key \"na\\\"me\"";
        QTest::newRow("file name with a line end") << QByteArray() << QStringList{"--config", "@dir/a\nb"}
                                                   << "cannot read \"";
    }

    void refused()
    {
        QFETCH(QByteArray, config);
        QFETCH(QStringList, arguments);
        QFETCH(QString, error);
        arguments.replaceInStrings(QStringLiteral("@dir"), m_directory.path());
        QStringList commandLine{QStringLiteral("korvani-server")};
        if (!config.isEmpty())
            commandLine << QStringLiteral("--config") << putFile(QStringLiteral("bad.conf"), config);
        ServerCommandLine parser;
        QCOMPARE(parser.parse(commandLine + arguments, {}), ServerCommandLine::Outcome::Error);
        QVERIFY2(parser.errorText().contains(error), qPrintable(parser.errorText()));
    }

    // SIGHUP reads the files again; a broken file keeps what was running.
    void rereadTakesNewFilesAndKeepsOldOnError()
    {
        const QString config = putFile(QStringLiteral("reload.conf"), "name=First\nadmin-password-file=" + QFile::encodeName(m_directory.filePath(QStringLiteral("pw"))) + "\n");
        putFile(QStringLiteral("pw"), "one\n");
        ServerCommandLine parser;
        QCOMPARE(parser.parse({QStringLiteral("korvani-server"), QStringLiteral("--config"), config, QStringLiteral("--motd"), QStringLiteral("typed")}, {}),
                 ServerCommandLine::Outcome::Run);

        putFile(QStringLiteral("reload.conf"), "name=Second\nmotd=from file\nadmin-password-file=" + QFile::encodeName(m_directory.filePath(QStringLiteral("pw"))) + "\n");
        putFile(QStringLiteral("pw"), "two\n");
        QVERIFY(parser.reread());
        QCOMPARE(parser.settings().name, QStringLiteral("Second"));
        QCOMPARE(parser.settings().motd, QStringLiteral("typed"));
        QCOMPARE(parser.settings().adminPassword, QStringLiteral("two"));

        putFile(QStringLiteral("reload.conf"), "name=Third\nnonsense\n");
        QVERIFY(!parser.reread());
        QVERIFY(parser.errorText().contains(QLatin1String("line 2")));
        QCOMPARE(parser.settings().name, QStringLiteral("Second"));
        QCOMPARE(parser.settings().adminPassword, QStringLiteral("two"));
    }

    void wrongPasswordsArePaused()
    {
        qint64 now = 5000;
        LoginThrottle throttle([&now] { return now; });
        for (int i = 0; i < LoginThrottle::FreeFailures; ++i) {
            QVERIFY(throttle.allows());
            throttle.failed();
        }
        qint64 expectedPause = LoginThrottle::FirstPauseMs;
        for (int round = 0; round < 8; ++round) {
            qint64 wait = 0;
            QVERIFY(!throttle.allows(&wait));
            QCOMPARE(wait, expectedPause);
            now += wait - 1;
            QVERIFY(!throttle.allows());
            now += 1;
            QVERIFY(throttle.allows());
            throttle.failed();
            expectedPause = std::min(expectedPause * 2, LoginThrottle::LongestPauseMs);
        }
        QCOMPARE(expectedPause, LoginThrottle::LongestPauseMs);
        now += LoginThrottle::LongestPauseMs;
        throttle.succeeded();
        throttle.failed();
        QVERIFY(throttle.allows());
    }

    void logLines()
    {
        const QDateTime when(QDate(2026, 12, 10), QTime(14, 5, 6, 789), Qt::OffsetFromUTC, 3600);
        QCOMPARE(ServerLog::line(QStringLiteral("listening"), when, true),
                 QStringLiteral("2026-12-10T14:05:06.789+01:00 korvani-server: listening"));
        QCOMPARE(ServerLog::line(QStringLiteral("listening"), when, false), QStringLiteral("korvani-server: listening"));
    }

    void journalIsRecognisedByItsStream()
    {
        struct stat status {};
        QCOMPARE(::fstat(STDERR_FILENO, &status), 0);
        const QByteArray own = QByteArray::number(qulonglong(status.st_dev)) + ':' + QByteArray::number(qulonglong(status.st_ino));
        QVERIFY(ServerLog::standardErrorIsJournal(own));
        QVERIFY(!ServerLog::standardErrorIsJournal(QByteArray::number(qulonglong(status.st_dev)) + ":1"));
        QVERIFY(!ServerLog::standardErrorIsJournal(QByteArray()));
        QVERIFY(!ServerLog::standardErrorIsJournal("garbage"));
    }
};

QTEST_GUILESS_MAIN(tst_ServerConfig)
#include "tst_serverconfig.moc"
