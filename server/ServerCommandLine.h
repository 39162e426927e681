#pragma once

#include "ServerSettings.h"

#include <QCommandLineParser>
#include <QStringList>

// The options of korvani-server and their check.
class ServerCommandLine
{
public:
    enum class Outcome { Run, Help, Version, Error };

    ServerCommandLine();

    Outcome parse(const QStringList &arguments);
    // Valid after Outcome::Run.
    ServerSettings settings() const;
    // Valid after Outcome::Error.
    QString errorText() const;
    QString helpText() const;

private:
    bool readSettings();
    bool readNumber(const QCommandLineOption &option, int minimum, int maximum, int *value);

    QCommandLineParser m_parser;
    QCommandLineOption m_listen;
    QCommandLineOption m_port;
    QCommandLineOption m_name;
    QCommandLineOption m_motd;
    QCommandLineOption m_adminPassword;
    QCommandLineOption m_sendGap;
    QCommandLineOption m_maxConnections;
    QCommandLineOption m_help;
    QCommandLineOption m_version;
    ServerSettings m_settings;
    QString m_error;
};
