#pragma once

#include "BenchClient.h"
#include "ServerChild.h"

#include <QHostAddress>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <vector>

// Builds of korvani-server and ngircd on the same loads, one after the other and in a changing
// order, so that a machine busy with other work slows them all alike. Prints every run, then the
// median of each figure and its ratio to ngircd's.
//
// Rate runs: a crowd of users signs on, idles, then each sends its messages at a steady rate;
// every user counts every message it receives (an IRC server sends none back to its sender).
// Sign-on runs: newcomers sign on one after the other to a quiet room of ten.
//
// With TLS (setTls), each korvani-server build runs framed, plain and with TLS on its TLS port (the
// port after the plain one), and the medians show the ratio to the plain framed run.
class SideBySide
{
public:
    struct Server
    {
        QString label;
        QString program;
        // ngircd: its clients speak IRC.
        bool irc = false;
    };
    struct RateRun
    {
        int clients = 0;
        double perSecond = 0;
        int messages = 0;
    };

    SideBySide(const QHostAddress &address, quint16 port, const QList<Server> &servers,
               const QStringList &korvaniArguments);

    // The server's --tls-cert and --tls-key arguments.
    void setTls(const QStringList &tlsArguments);
    void rateRuns(const RateRun &run, int repeat);
    void signOnRuns(int repeat);
    void printMedians() const;

private:
    struct Column
    {
        Server server;
        BenchClient::Mode mode;
        QString name() const;
    };
    using Figures = QMap<QString, std::vector<double>>;

    QList<Column> columns() const;
    // The columns in the order of round `round`.
    QList<Column> columnsInRound(int round) const;
    bool startServer(ServerChild *child, const Column &column, int connections) const;
    quint16 portOf(const Column &column) const;
    void rateRun(const RateRun &run, const Column &column);
    void signOnRun(const Column &column);
    void record(const QString &row, const Column &column, const QString &figure, double value);

    QHostAddress m_address;
    quint16 m_port;
    QList<Server> m_servers;
    QStringList m_korvaniArguments;
    QStringList m_tlsArguments;
    QStringList m_rows;
    QStringList m_columnNames;
    // Row, then column, then figure: the value of every run.
    QMap<QString, QMap<QString, Figures>> m_figures;
};
