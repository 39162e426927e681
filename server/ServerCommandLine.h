#pragma once

#include "ServerSettings.h"

#include <QCommandLineParser>
#include <QHash>
#include <QStringList>

// The options of korvani-server, its configuration file and where its operator password comes
// from, and their check. Each setting comes from the command line, else the configuration file
// (--config, keys named like the long options), else the default. The operator password comes from
// the command line (--admin-password or --admin-password-file), else the environment
// (KORVANI_ADMIN_PASSWORD), else the configuration file, so it never has to show in the process
// list.
class ServerCommandLine
{
public:
    enum class Outcome { Run, Help, Version, Error };

    ServerCommandLine();

    // environment: the variables to look in for the password (the process's own by default).
    Outcome parse(const QStringList &arguments, const QHash<QString, QString> &environment = systemEnvironment());
    // Reads the configuration file and the password file again, with the same command line and
    // environment. False, with errorText() and the settings as they were, when they cannot be read.
    bool reread();
    // Valid after Outcome::Run.
    ServerSettings settings() const;
    // Valid after Outcome::Error or a failed reread().
    QString errorText() const;
    QString helpText() const;
    // The --config file, or an empty text.
    QString configFile() const;

    static QHash<QString, QString> systemEnvironment();

private:
    bool readSettings();
    bool readAdminPassword(QString *password);
    bool passwordFrom(bool given, const QString &text, const QString &file, QString *password);
    bool isSet(const QCommandLineOption &option) const;
    QString value(const QCommandLineOption &option) const;
    bool readNumber(const QCommandLineOption &option, int minimum, int maximum, int *value);
    bool readTls();
    bool readSwitch(const QCommandLineOption &option, bool *value);
    bool readCluster();

    QCommandLineParser m_parser;
    QCommandLineOption m_config;
    QCommandLineOption m_listen;
    QCommandLineOption m_port;
    QCommandLineOption m_name;
    QCommandLineOption m_motd;
    QCommandLineOption m_adminPassword;
    QCommandLineOption m_adminPasswordFile;
    QCommandLineOption m_sendGap;
    QCommandLineOption m_maxConnections;
    QCommandLineOption m_tlsCert;
    QCommandLineOption m_tlsKey;
    QCommandLineOption m_tlsPort;
    QCommandLineOption m_tlsOnly;
    QCommandLineOption m_cluster;
    QCommandLineOption m_help;
    QCommandLineOption m_version;
    QHash<QString, QString> m_environment;
    QHash<QString, QString> m_fileValues; // of the configuration file
    ServerSettings m_settings;
    QString m_error;
};
