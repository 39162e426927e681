#include "ChatServer.h"
#include "ServerCommandLine.h"
#include "StopSignals.h"

#include <QCoreApplication>

#include <cstdio>
#include <sys/resource.h>

namespace {
void printLine(const QString &line)
{
    std::fprintf(stderr, "korvani-server: %s\n", line.toLocal8Bit().constData());
}

// Every connection costs a file descriptor; the usual soft limit of 1024 would end accepting long
// before a large connection limit.
void raiseFileLimit(int maxConnections)
{
    rlimit limit = {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0)
        return;
    const rlim_t wanted = rlim_t(maxConnections) + 64;
    if (limit.rlim_cur >= wanted)
        return;
    limit.rlim_cur = limit.rlim_max == RLIM_INFINITY ? wanted : std::min(wanted, limit.rlim_max);
    ::setrlimit(RLIMIT_NOFILE, &limit);
}
}

int main(int argc, char *argv[])
{
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

    const ServerSettings settings = commandLine.settings();
    raiseFileLimit(settings.maxConnections);
    StopSignals stopSignals;
    ChatServer server(settings);
    QObject::connect(&server, &ChatServer::logLine, &printLine);
    QObject::connect(&stopSignals, &StopSignals::stopRequested, &app, [&](int signalNumber) {
        printLine(QStringLiteral("stopping on signal %1").arg(signalNumber));
        server.stop();
        app.quit();
    });
    if (!server.listen()) {
        printLine(QStringLiteral("cannot listen on %1 port %2: %3")
                      .arg(settings.address.toString())
                      .arg(settings.port)
                      .arg(server.errorString()));
        return 1;
    }
    return app.exec();
}
