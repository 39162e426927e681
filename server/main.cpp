#include "ChatServer.h"
#include "LogText.h"
#include "ServerCommandLine.h"
#include "ServerLog.h"
#include "StopSignals.h"
#include "TlsCredentials.h"

#include <QCoreApplication>

#include <cstdio>
#include <sys/resource.h>

namespace {
const ServerLog &serverLog()
{
    static const ServerLog log;
    return log;
}

void printLine(const QString &line)
{
    serverLog().write(line);
}

// The certificate and key named by settings, for the server: false with a log line when they
// cannot be used, and the server keeps what it had.
bool useTlsCredentials(const ServerSettings &settings, ChatServer &server, const QString &when)
{
    QSslConfiguration configuration;
    QString error;
    if (!TlsCredentials::load(settings.tlsCertFile, settings.tlsKeyFile, &configuration, &error)) {
        printLine(when + QStringLiteral("cannot use the TLS certificate: ") + error);
        return false;
    }
    server.setTlsConfiguration(configuration);
    return true;
}

// SIGHUP after the configuration was read again: a running TLS port takes the certificate and key
// afresh (files renewed in place included) for the connections that follow.
void reloadTls(const ServerSettings &before, const ServerSettings &after, ChatServer &server)
{
    const bool wasOn = !before.tlsCertFile.isEmpty();
    const bool isOn = !after.tlsCertFile.isEmpty();
    if (wasOn && isOn) {
        if (useTlsCredentials(after, server, QStringLiteral("SIGHUP: kept the old certificate: ")))
            printLine(QStringLiteral("SIGHUP: read the TLS certificate %1 again").arg(after.tlsCertFile));
    } else if (wasOn != isOn) {
        printLine(QStringLiteral("SIGHUP: TLS starts or stops at the next start"));
    }
}

// SIGHUP: the configuration file and the password file again. Name, message of the day and
// operator password apply at once; the rest waits for a restart, and the log says which.
void reloadConfiguration(ServerCommandLine &commandLine, ChatServer &server)
{
    const ServerSettings before = commandLine.settings();
    if (!commandLine.reread()) {
        printLine(QStringLiteral("SIGHUP: kept the configuration as it was: ") + commandLine.errorText());
        return;
    }
    const ServerSettings after = commandLine.settings();
    server.changeRoomSettings(after);
    printLine(QStringLiteral("SIGHUP: read the configuration%1 again: name %2, %3 message of the day, %4")
                  .arg(commandLine.configFile().isEmpty()
                           ? QString()
                           : QLatin1Char(' ') + LogText::quoted(commandLine.configFile(), LogText::MaxPathCharacters),
                       LogText::quoted(after.name), after.motd.isEmpty() ? QStringLiteral("no") : QStringLiteral("a"),
                       after.adminPassword.isEmpty() ? QStringLiteral("no operator password")
                                                     : QStringLiteral("an operator password")));
    reloadTls(before, after, server);
    if (after.address != before.address || after.port != before.port || after.gapMs != before.gapMs
        || after.maxConnections != before.maxConnections || after.tlsPort != before.tlsPort
        || after.plainPort != before.plainPort)
        printLine(QStringLiteral("SIGHUP: listen, port, tls-port, tls-only, send-gap and max-connections change "
                                 "at the next start"));
}

// Every connection costs a file descriptor, and a server out of descriptors cannot even accept a
// connection to refuse it (Qt then retries the accept in a busy loop). So the soft limit is raised
// as far as the connection limit needs and the hard limit allows, and the connection limit is
// lowered to what the descriptors can carry.
int connectionsWithinFileLimit(int maxConnections)
{
    constexpr rlim_t reserved = 16; // standard streams, listener, event loop, a connection being refused
    rlimit limit = {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0)
        return maxConnections;
    const rlim_t wanted = rlim_t(maxConnections) + reserved;
    if (limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur < wanted) {
        limit.rlim_cur = limit.rlim_max == RLIM_INFINITY ? wanted : std::min(wanted, limit.rlim_max);
        ::setrlimit(RLIMIT_NOFILE, &limit);
        ::getrlimit(RLIMIT_NOFILE, &limit);
    }
    if (limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur >= wanted)
        return maxConnections;
    return int(std::max<rlim_t>(limit.rlim_cur, reserved + 1) - reserved);
}
}

int main(int argc, char *argv[])
{
    // Measured with a thousand connections: the GLib event loop spends most of its time keeping
    // its list of watched sockets as notifiers switch on and off with the traffic, and delivers
    // about a fifth of the messages per second that Qt's own poll loop does.
    if (!qEnvironmentVariableIsSet("QT_NO_GLIB"))
        qputenv("QT_NO_GLIB", "1");
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("korvani-server"));
    QCoreApplication::setApplicationVersion(QStringLiteral("%1.%2.%3")
                                                .arg(KORVANI_VERSION_MAJOR)
                                                .arg(KORVANI_VERSION_MINOR)
                                                .arg(KORVANI_VERSION_PATCH));

    ServerCommandLine commandLine;
    switch (commandLine.parse(app.arguments())) {
    case ServerCommandLine::Outcome::Help:
        std::fputs(qPrintable(commandLine.helpText()), stdout);
        return 0;
    case ServerCommandLine::Outcome::Version:
        std::printf("korvani-server %s\n", qPrintable(QCoreApplication::applicationVersion()));
        return 0;
    case ServerCommandLine::Outcome::Error:
        printLine(commandLine.errorText());
        printLine(QStringLiteral("see korvani-server --help"));
        return 2;
    case ServerCommandLine::Outcome::Run:
        break;
    }

    ServerSettings settings = commandLine.settings();
    const int connections = connectionsWithinFileLimit(settings.maxConnections);
    if (connections < settings.maxConnections) {
        printLine(QStringLiteral("the file descriptor limit allows %1 connections, not %2")
                      .arg(connections)
                      .arg(settings.maxConnections));
        settings.maxConnections = connections;
    }
    StopSignals stopSignals;
    ChatServer server(settings);
    QObject::connect(&server, &ChatServer::logLine, &printLine);
    if (!settings.tlsCertFile.isEmpty() && !useTlsCredentials(settings, server, QString()))
        return 1;
    QObject::connect(&stopSignals, &StopSignals::stopRequested, &app, [&](int signalNumber) {
        printLine(QStringLiteral("stopping on signal %1").arg(signalNumber));
        server.stop();
        app.quit();
    });
    QObject::connect(&stopSignals, &StopSignals::reloadRequested, &app,
                     [&] { reloadConfiguration(commandLine, server); });
    QString clusterError;
    if (!settings.clusterUrls.isEmpty() && !server.joinCluster(&clusterError)) {
        printLine(clusterError);
        return 1;
    }
    if (!server.listen()) {
        printLine(QStringLiteral("cannot listen on %1 %2").arg(settings.address.toString(), server.errorString()));
        return 1;
    }
    return app.exec();
}
