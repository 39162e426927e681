#include "ServerCommandLine.h"

#include "LogText.h"
#include "ServerConfigFile.h"

#include <QProcessEnvironment>
#include <QUrl>

namespace {
const QString passwordVariable = QStringLiteral("KORVANI_ADMIN_PASSWORD");
}

ServerCommandLine::ServerCommandLine()
    : m_config(QStringLiteral("config"),
               QStringLiteral("Read settings from FILE: one key=value a line, keys named like the long options "
                              "below (listen, port, name, motd, admin-password-file, send-gap, max-connections, "
                              "tls-cert, tls-key, tls-port, tls-only, cluster). "
                              "Options on the command line win. SIGHUP reads it again."),
               QStringLiteral("FILE"))
    , m_listen(QStringLiteral("listen"),
               QStringLiteral("Address to listen on (default 127.0.0.1: this machine only). "
                              "0.0.0.0 or :: opens the server to the network."),
               QStringLiteral("ADDRESS"))
    , m_port(QStringLiteral("port"), QStringLiteral("TCP port to listen on (default 1290)."), QStringLiteral("N"))
    , m_name(QStringLiteral("name"),
             QStringLiteral("Server name that greets every user (default Korvani)."), QStringLiteral("NAME"))
    , m_motd(QStringLiteral("motd"),
             QStringLiteral("Message of the day, sent to every user who signs on (default none)."),
             QStringLiteral("TEXT"))
    , m_adminPassword(QStringLiteral("admin-password"),
                      QStringLiteral("Password that \"Prompt login PW\" must give to make a user an operator, "
                                     "who may then \"kick NAME\" and set \"motd TEXT\". Without it nobody is. "
                                     "Shows in the process list: prefer --admin-password-file or the "
                                     "environment variable KORVANI_ADMIN_PASSWORD."),
                      QStringLiteral("PW"))
    , m_adminPasswordFile(QStringLiteral("admin-password-file"),
                          QStringLiteral("Read the operator password from the first line of FILE."),
                          QStringLiteral("FILE"))
    , m_sendGap(QStringLiteral("send-gap"),
                QStringLiteral("Milliseconds to wait after a message has left a connection before its next "
                               "message goes out, so the client receives each message on its own "
                               "(default 5, 0 to 1000)."),
                QStringLiteral("MS"))
    , m_maxConnections(QStringLiteral("max-connections"),
                       QStringLiteral("Most connections held at once; a connection beyond this is "
                                      "closed at once (default 1000)."),
                       QStringLiteral("N"))
    , m_tlsCert(QStringLiteral("tls-cert"),
                QStringLiteral("Certificate (PEM, the server's own first, then its chain) for connections with "
                               "TLS. With --tls-key the server also listens with TLS on --tls-port. SIGHUP reads "
                               "both files again; when the new ones cannot be used the old ones stay."),
                QStringLiteral("FILE"))
    , m_tlsKey(QStringLiteral("tls-key"), QStringLiteral("Private key (PEM, unencrypted) of --tls-cert."),
               QStringLiteral("FILE"))
    , m_tlsPort(QStringLiteral("tls-port"), QStringLiteral("TCP port for connections with TLS (default 1291)."),
                QStringLiteral("N"))
    , m_tlsOnly(QStringLiteral("tls-only"),
                QStringLiteral("Listen with TLS only: the plain port stays closed. In the configuration "
                               "file: tls-only=yes."))
    , m_cluster(QStringLiteral("cluster"),
                QStringLiteral("Share the room with the other servers started with the same NATS servers "
                               "(nats-server with JetStream; a comma between several of one NATS cluster): "
                               "users of every server see each other, and names are unique across them."),
                QStringLiteral("nats://HOST:PORT[,...]"))
    , m_help(QStringList{QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help and exit."))
    , m_version(QStringList{QStringLiteral("v"), QStringLiteral("version")},
                QStringLiteral("Show the version and exit."))
{
    m_parser.setApplicationDescription(
        QStringLiteral("Korvani chat server. Every received block is one message; each message to a "
                       "client is sent on its own. One line on stderr for each start, connection, "
                       "sign-on, leave, kick and refusal, time-stamped unless the systemd journal "
                       "stamps it. Stops on SIGINT or SIGTERM; SIGHUP reads the configuration again "
                       "(name, message of the day, operator password, TLS certificate and key)."));
    m_parser.addOptions({m_config, m_listen, m_port, m_name, m_motd, m_adminPassword, m_adminPasswordFile, m_sendGap,
                         m_maxConnections, m_tlsCert, m_tlsKey, m_tlsPort, m_tlsOnly, m_cluster, m_help,
                         m_version});
}

QHash<QString, QString> ServerCommandLine::systemEnvironment()
{
    QHash<QString, QString> variables;
    const QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString &name : environment.keys())
        variables.insert(name, environment.value(name));
    return variables;
}

ServerCommandLine::Outcome ServerCommandLine::parse(const QStringList &arguments,
                                                     const QHash<QString, QString> &environment)
{
    m_environment = environment;
    if (!m_parser.parse(arguments)) {
        // Qt's own message would hold the option as it was typed, between bare quotes.
        const QStringList unknown = m_parser.unknownOptionNames();
        m_error = unknown.isEmpty() ? m_parser.errorText() : QStringLiteral("Unknown option ") + LogText::quoted(unknown.constFirst());
        return Outcome::Error;
    }
    if (m_parser.isSet(m_help))
        return Outcome::Help;
    if (m_parser.isSet(m_version))
        return Outcome::Version;
    if (!m_parser.positionalArguments().isEmpty()) {
        m_error = QStringLiteral("Unexpected argument: ") + LogText::quoted(m_parser.positionalArguments().constFirst());
        return Outcome::Error;
    }
    return readSettings() ? Outcome::Run : Outcome::Error;
}

bool ServerCommandLine::reread()
{
    const ServerSettings before = m_settings;
    const QHash<QString, QString> fileValuesBefore = m_fileValues;
    if (readSettings())
        return true;
    m_settings = before;
    m_fileValues = fileValuesBefore;
    return false;
}

ServerSettings ServerCommandLine::settings() const
{
    return m_settings;
}

QString ServerCommandLine::errorText() const
{
    return m_error;
}

QString ServerCommandLine::helpText() const
{
    return m_parser.helpText();
}

QString ServerCommandLine::configFile() const
{
    return m_parser.value(m_config);
}

bool ServerCommandLine::readSettings()
{
    m_settings = ServerSettings();
    m_fileValues.clear();
    const QStringList fileKeys{m_listen.names().constFirst(),        m_port.names().constFirst(),
                               m_name.names().constFirst(),          m_motd.names().constFirst(),
                               m_adminPassword.names().constFirst(), m_adminPasswordFile.names().constFirst(),
                               m_sendGap.names().constFirst(),       m_maxConnections.names().constFirst(),
                               m_tlsCert.names().constFirst(),       m_tlsKey.names().constFirst(),
                               m_tlsPort.names().constFirst(),       m_tlsOnly.names().constFirst(),
                               m_cluster.names().constFirst()};
    if (!configFile().isEmpty() && !ServerConfigFile::read(configFile(), fileKeys, &m_fileValues, &m_error))
        return false;

    if (isSet(m_listen)) {
        const QString address = value(m_listen);
        if (!m_settings.address.setAddress(address)) {
            m_error = QStringLiteral("Not an IP address: ") + LogText::quoted(address);
            return false;
        }
    }
    int port = m_settings.port;
    if (!readNumber(m_port, 1, 65535, &port))
        return false;
    m_settings.port = quint16(port);
    if (isSet(m_name))
        m_settings.name = value(m_name);
    if (isSet(m_motd))
        m_settings.motd = value(m_motd);
    return readAdminPassword(&m_settings.adminPassword) && readNumber(m_sendGap, 0, 1000, &m_settings.gapMs)
        && readNumber(m_maxConnections, 1, 1000000, &m_settings.maxConnections) && readTls()
        && readCluster();
}

bool ServerCommandLine::readCluster()
{
    if (!isSet(m_cluster))
        return true;
    for (const QString &text : value(m_cluster).split(QLatin1Char(','))) {
        const QUrl url(text.trimmed(), QUrl::StrictMode);
        if (!url.isValid() || url.scheme() != QLatin1String("nats") || url.host().isEmpty() || url.port() < 1
            || !url.path().isEmpty()) {
            m_error = QStringLiteral("cluster takes nats://HOST:PORT, a comma between several, not ") + text;
            return false;
        }
        m_settings.clusterUrls += url.toString();
    }
    return true;
}

bool ServerCommandLine::readTls()
{
    m_settings.tlsCertFile = value(m_tlsCert);
    m_settings.tlsKeyFile = value(m_tlsKey);
    if (m_settings.tlsCertFile.isEmpty() != m_settings.tlsKeyFile.isEmpty()) {
        m_error = QStringLiteral("TLS needs both tls-cert and tls-key");
        return false;
    }
    int port = m_settings.tlsPort;
    bool tlsOnly = false;
    if (!readNumber(m_tlsPort, 1, 65535, &port) || !readSwitch(m_tlsOnly, &tlsOnly))
        return false;
    m_settings.tlsPort = quint16(port);
    m_settings.plainPort = !tlsOnly;
    if (tlsOnly && m_settings.tlsCertFile.isEmpty()) {
        m_error = QStringLiteral("tls-only needs tls-cert and tls-key");
        return false;
    }
    if (!m_settings.plainPort || m_settings.tlsCertFile.isEmpty() || m_settings.tlsPort != m_settings.port)
        return true;
    m_error = QStringLiteral("port and tls-port are both %1").arg(m_settings.port);
    return false;
}

// A switch is on when given on the command line, or as yes/no in the configuration file.
bool ServerCommandLine::readSwitch(const QCommandLineOption &option, bool *value)
{
    const QString name = option.names().constFirst();
    if (m_parser.isSet(option) || !m_fileValues.contains(name)) {
        *value = m_parser.isSet(option);
        return true;
    }
    const QString text = m_fileValues.value(name).toLower();
    if (text != QLatin1String("yes") && text != QLatin1String("no")) {
        m_error = QStringLiteral("%1 takes yes or no, not %2").arg(name, m_fileValues.value(name));
        return false;
    }
    *value = text == QLatin1String("yes");
    return true;
}

// The first place that names a password wins: command line, environment, configuration file.
bool ServerCommandLine::readAdminPassword(QString *password)
{
    if (m_parser.isSet(m_adminPassword) || m_parser.isSet(m_adminPasswordFile))
        return passwordFrom(m_parser.isSet(m_adminPassword), m_parser.value(m_adminPassword),
                            m_parser.value(m_adminPasswordFile), password);
    if (m_environment.contains(passwordVariable)) {
        *password = m_environment.value(passwordVariable);
        return true;
    }
    const QString key = m_adminPassword.names().constFirst();
    return passwordFrom(m_fileValues.contains(key), m_fileValues.value(key),
                        m_fileValues.value(m_adminPasswordFile.names().constFirst()), password);
}

// One place gives either the password or the file holding it; neither means no operator.
bool ServerCommandLine::passwordFrom(bool given, const QString &text, const QString &file, QString *password)
{
    if (given && !file.isEmpty()) {
        m_error = QStringLiteral("give the operator password once: admin-password or admin-password-file");
        return false;
    }
    if (!file.isEmpty())
        return ServerConfigFile::readFirstLine(file, password, &m_error);
    *password = text;
    return true;
}

bool ServerCommandLine::isSet(const QCommandLineOption &option) const
{
    return m_parser.isSet(option) || m_fileValues.contains(option.names().constFirst());
}

QString ServerCommandLine::value(const QCommandLineOption &option) const
{
    return m_parser.isSet(option) ? m_parser.value(option) : m_fileValues.value(option.names().constFirst());
}

bool ServerCommandLine::readNumber(const QCommandLineOption &option, int minimum, int maximum, int *value)
{
    if (!isSet(option))
        return true;
    bool ok = false;
    const int number = this->value(option).toInt(&ok);
    if (!ok || number < minimum || number > maximum) {
        m_error = QStringLiteral("--%1 takes a whole number from %2 to %3, not %4")
                      .arg(option.names().constFirst())
                      .arg(minimum)
                      .arg(maximum)
                      .arg(LogText::quoted(this->value(option)));
        return false;
    }
    *value = number;
    return true;
}
