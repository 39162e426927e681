#include "ServerCommandLine.h"

ServerCommandLine::ServerCommandLine()
    : m_listen(QStringLiteral("listen"),
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
                                     "who may then \"kick NAME\" and set \"motd TEXT\". Without it nobody is."),
                      QStringLiteral("PW"))
    , m_sendGap(QStringLiteral("send-gap"),
                QStringLiteral("Milliseconds to wait after a message has left a connection before its next "
                               "message goes out, so the client receives each message on its own "
                               "(default 5, 0 to 1000)."),
                QStringLiteral("MS"))
    , m_maxConnections(QStringLiteral("max-connections"),
                       QStringLiteral("Most connections held at once; a connection beyond this is "
                                      "closed at once (default 1000)."),
                       QStringLiteral("N"))
    , m_help(QStringList{QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help and exit."))
    , m_version(QStringList{QStringLiteral("v"), QStringLiteral("version")},
                QStringLiteral("Show the version and exit."))
{
    m_parser.setApplicationDescription(
        QStringLiteral("Korvani chat server. Every received block is one message; each message to a "
                       "client is sent on its own. One line on stderr for each start, connection, "
                       "sign-on, leave, kick and refusal. Stops on SIGINT or SIGTERM."));
    m_parser.addOptions({m_listen, m_port, m_name, m_motd, m_adminPassword, m_sendGap, m_maxConnections,
                         m_help, m_version});
}

ServerCommandLine::Outcome ServerCommandLine::parse(const QStringList &arguments)
{
    if (!m_parser.parse(arguments)) {
        m_error = m_parser.errorText();
        return Outcome::Error;
    }
    if (m_parser.isSet(m_help))
        return Outcome::Help;
    if (m_parser.isSet(m_version))
        return Outcome::Version;
    if (!m_parser.positionalArguments().isEmpty()) {
        m_error = QStringLiteral("Unexpected argument: ") + m_parser.positionalArguments().constFirst();
        return Outcome::Error;
    }
    return readSettings() ? Outcome::Run : Outcome::Error;
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

bool ServerCommandLine::readSettings()
{
    if (m_parser.isSet(m_listen)) {
        const QString address = m_parser.value(m_listen);
        if (!m_settings.address.setAddress(address)) {
            m_error = QStringLiteral("Not an IP address: ") + address;
            return false;
        }
    }
    int port = m_settings.port;
    if (!readNumber(m_port, 1, 65535, &port))
        return false;
    m_settings.port = quint16(port);
    if (m_parser.isSet(m_name))
        m_settings.name = m_parser.value(m_name);
    if (m_parser.isSet(m_motd))
        m_settings.motd = m_parser.value(m_motd);
    if (m_parser.isSet(m_adminPassword))
        m_settings.adminPassword = m_parser.value(m_adminPassword);
    return readNumber(m_sendGap, 0, 1000, &m_settings.gapMs)
        && readNumber(m_maxConnections, 1, 1000000, &m_settings.maxConnections);
}

bool ServerCommandLine::readNumber(const QCommandLineOption &option, int minimum, int maximum, int *value)
{
    if (!m_parser.isSet(option))
        return true;
    bool ok = false;
    const int number = m_parser.value(option).toInt(&ok);
    if (!ok || number < minimum || number > maximum) {
        m_error = QStringLiteral("--%1 takes a whole number from %2 to %3, not %4")
                      .arg(option.names().constFirst())
                      .arg(minimum)
                      .arg(maximum)
                      .arg(m_parser.value(option));
        return false;
    }
    *value = number;
    return true;
}
