// korvani-server run as an operator runs it: settings and password from files and the
// environment, SIGHUP to read them again, and time-stamped log lines.

#include "support/EventLoopWait.h"
#include "support/TestClient.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

namespace {
const QHostAddress serverAddress(QStringLiteral("127.0.0.163"));
constexpr quint16 serverPort = 1290;
}

class tst_ServerOperation : public QObject
{
    Q_OBJECT

    QTemporaryDir m_directory;
    QProcess m_server;
    QString m_log;

    void putFile(const QString &name, const QByteArray &bytes)
    {
        QFile file(m_directory.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(bytes), bytes.size());
    }

    bool waitForLog(const QString &text)
    {
        return EventLoopWait::until([&] { return m_log.contains(text); }, 20000);
    }

    // The greeting's first block names the server.
    QString greetingOf(const QString &user)
    {
        TestClient client;
        if (!client.connectTo(serverAddress, serverPort))
            return QString();
        client.send(QStringLiteral("Join ") + user);
        // The framing offer comes first.
        return client.receive(2).value(1);
    }

private slots:
    void cleanup()
    {
        if (m_server.state() != QProcess::NotRunning) {
            m_server.kill();
            m_server.waitForFinished();
        }
        m_log.clear();
    }

    // The password comes from a file named in the configuration, never the command line; SIGHUP
    // brings a new name, message of the day and password, logs that it did, and keeps the server
    // and its users.
    void sighupReadsTheConfigurationAgain()
    {
        const QByteArray passwordFile = QFile::encodeName(m_directory.filePath(QStringLiteral("password")));
        putFile(QStringLiteral("password"), "first-secret\n");
        putFile(QStringLiteral("server.conf"), "listen=" + serverAddress.toString().toUtf8() + "\nname=Before\n"
                                               "admin-password-file=" + passwordFile + "\n");
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("JOURNAL_STREAM"));
        environment.remove(QStringLiteral("KORVANI_ADMIN_PASSWORD"));
        m_server.setProcessEnvironment(environment);
        connect(&m_server, &QProcess::readyReadStandardError, this,
                [this] { m_log += QString::fromLocal8Bit(m_server.readAllStandardError()); });
        m_server.start(QStringLiteral(KORVANI_SERVER_PATH), {QStringLiteral("--config"), m_directory.filePath(QStringLiteral("server.conf"))});
        QVERIFY(waitForLog(QStringLiteral("listening on")));
        QCOMPARE(greetingOf(QStringLiteral("early")), QStringLiteral("Welcome Before"));

        TestClient stays;
        QVERIFY(stays.signOn(serverAddress, serverPort, QStringLiteral("stays")));
        putFile(QStringLiteral("server.conf"), "listen=" + serverAddress.toString().toUtf8() + "\nname=After\nmotd=Read me\n"
                                               "admin-password-file=" + passwordFile + "\n");
        putFile(QStringLiteral("password"), "second-secret\n");
        QCOMPARE(::kill(pid_t(m_server.processId()), SIGHUP), 0);
        QVERIFY(waitForLog(QStringLiteral("SIGHUP: read the configuration")));
        QVERIFY(m_log.contains(QLatin1String("name \"After\", a message of the day, an operator password")));
        QCOMPARE(greetingOf(QStringLiteral("late")), QStringLiteral("Welcome After"));
        QVERIFY(stays.isConnected());

        // Only the new password makes an operator.
        TestClient victim;
        QVERIFY(victim.signOn(serverAddress, serverPort, QStringLiteral("victim")));
        stays.send(QStringLiteral("Prompt login first-secret"));
        QVERIFY(waitForLog(QStringLiteral("refused operator login of \"stays\"")));
        stays.send(QStringLiteral("Prompt login second-secret"));
        stays.send(QStringLiteral("Prompt kick victim"));
        QVERIFY(waitForLog(QStringLiteral("\"victim\" kicked by \"stays\"")));

        // A broken file keeps the running configuration and says why.
        putFile(QStringLiteral("server.conf"), "name=Broken\nno equals sign here\n");
        QCOMPARE(::kill(pid_t(m_server.processId()), SIGHUP), 0);
        QVERIFY(waitForLog(QStringLiteral("SIGHUP: kept the configuration as it was")));
        QCOMPARE(greetingOf(QStringLiteral("last")), QStringLiteral("Welcome After"));

        // Outside the journal every line starts with the local time; no password reaches the log.
        const QRegularExpression stamped(QStringLiteral("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d{3}(Z|[+-]\\d\\d:\\d\\d) korvani-server: "));
        const QStringList lines = m_log.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        for (const QString &line : lines)
            QVERIFY2(stamped.match(line).hasMatch(), qPrintable(line));
        QVERIFY(!m_log.contains(QLatin1String("secret")));
    }

    // The environment gives the password to a server whose command line and file name none.
    void passwordFromTheEnvironment()
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("KORVANI_ADMIN_PASSWORD"), QStringLiteral("env-secret"));
        m_server.setProcessEnvironment(environment);
        connect(&m_server, &QProcess::readyReadStandardError, this,
                [this] { m_log += QString::fromLocal8Bit(m_server.readAllStandardError()); });
        m_server.start(QStringLiteral(KORVANI_SERVER_PATH), {QStringLiteral("--listen"), serverAddress.toString()});
        QVERIFY(waitForLog(QStringLiteral("listening on")));
        TestClient boss;
        QVERIFY(boss.signOn(serverAddress, serverPort, QStringLiteral("boss")));
        TestClient victim;
        QVERIFY(victim.signOn(serverAddress, serverPort, QStringLiteral("victim")));
        boss.send(QStringLiteral("Prompt login env-secret"));
        boss.send(QStringLiteral("Prompt kick victim"));
        QVERIFY(waitForLog(QStringLiteral("\"victim\" kicked by \"boss\"")));
    }
};

QTEST_GUILESS_MAIN(tst_ServerOperation)
#include "tst_serveroperation.moc"
