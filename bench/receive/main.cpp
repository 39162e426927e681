// The real korvani program receiving a flood, idle after signing on, and starting up. The bench is
// the chat server: it listens on 127.0.0.140, starts build/bin/korvani with a settings file that
// signs on by itself (on an Xvfb of its own at :140, or on the offscreen platform), greets it as
// the server does and sends it public chat lines of 63 characters at a steady rate. It measures
// the client process only, from /proc: CPU per line in bands, memory per kept line, idle memory
// 5 s after signing on, and the time from exec to the sign-on window being mapped.
//
// bench_receive [--runs N] [--platform xcb|offscreen] [--client PATH | --hexchat] [COMMAND ...]
//   flood LINES RATE [framed]   a flood (unframed unless "framed"), e.g. flood 100000 1000
//   idle                        resident and private memory 5 s after signing on
//   startup [COUNT]             exec -> sign-on window mapped, COUNT runs (default 10), on X
//   (no command)                idle, startup 10, flood 10000 200, flood 100000 1000
// --hexchat measures HexChat (apt-get install hexchat; run as "nobody" under root) the same way,
// for figures beside korvani's: the bench then speaks IRC and HexChat joins #bench.
// Run it inside a private network namespace: nsrun build/bin/bench_receive
#include "HexChatDialect.h"
#include "KorvaniDialect.h"
#include "ReceiveBench.h"

#include <QCoreApplication>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

constexpr double kib = 1024;

struct Command
{
    QString name;
    QStringList arguments;
};

double median(QList<double> values)
{
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    const qsizetype middle = values.size() / 2;
    return values.size() % 2 ? values.at(middle) : (values.at(middle - 1) + values.at(middle)) / 2;
}

// One column of a table: its heading and how a run gives its figure.
template <class Run>
struct Column
{
    const char *heading;
    const char *format;
    std::function<double(const Run &)> figure;
};

// A row per run, then the median of each column.
template <class Run>
void printTable(const QList<Run> &runs, const QList<Column<Run>> &columns)
{
    std::printf("  %-7s", "run");
    for (const Column<Run> &column : columns)
        std::printf(" %14s", column.heading);
    std::printf("\n");
    const auto printRow = [&](const QString &name, const std::function<double(const Column<Run> &)> &figure) {
        std::printf("  %-7s", qPrintable(name));
        for (const Column<Run> &column : columns) {
            const double value = figure(column);
            if (value < 0)
                std::printf(" %14s", "-");
            else
                std::printf(column.format, value);
        }
        std::printf("\n");
    };
    for (qsizetype index = 0; index < runs.size(); ++index)
        printRow(QString::number(index + 1), [&](const Column<Run> &column) { return column.figure(runs.at(index)); });
    if (runs.size() > 1) {
        printRow(QStringLiteral("median"), [&](const Column<Run> &column) {
            QList<double> values;
            for (const Run &run : runs)
                values.append(column.figure(run));
            return median(values);
        });
    }
    std::fflush(stdout);
}

const char *const mib = " %14.1f";
const char *const whole = " %14.0f";

QString platformText(const ReceiveBench &bench)
{
    return bench.onX() ? QStringLiteral("xcb on Xvfb (no window manager), chat window 800x600 with the focus")
                       : QStringLiteral("offscreen, chat window at its own size");
}

// Measures count runs; false as soon as one fails.
template <class Run>
bool measure(int count, const std::function<bool(Run *)> &oneRun, QList<Run> *figures)
{
    for (int run = 0; run < count; ++run) {
        Run figure;
        if (!oneRun(&figure))
            return false;
        figures->append(figure);
    }
    return true;
}

bool runIdle(ReceiveBench &bench, int runs)
{
    std::printf("\nidle: the client signed on (Welcome, two users), 5 s later\n");
    QList<ProcessUsage::Memory> figures;
    if (!measure<ProcessUsage::Memory>(runs, [&](ProcessUsage::Memory *memory) { return bench.idle(memory); }, &figures))
        return false;
    printTable<ProcessUsage::Memory>(figures, {
        {"resident MiB", mib, [](const ProcessUsage::Memory &m) { return m.residentKiB / kib; }},
        {"private MiB", mib, [](const ProcessUsage::Memory &m) { return m.privateKiB / kib; }},
        {"priv dirty MiB", mib, [](const ProcessUsage::Memory &m) { return m.privateDirtyKiB / kib; }},
    });
    return true;
}

bool runStartup(ReceiveBench &bench, int count)
{
    std::printf("\nstartup: exec -> first window mapped (korvani: \"Login\"; the X server's MapNotify), fresh "
                "settings; the first window's memory 1.5 s after it was mapped\n");
    QList<ReceiveBench::Startup> figures;
    if (!measure<ReceiveBench::Startup>(count, [&](ReceiveBench::Startup *startup) { return bench.startup(startup); }, &figures))
        return false;
    printTable<ReceiveBench::Startup>(figures, {
        {"mapped ms", " %14.1f", [](const ReceiveBench::Startup &s) { return s.mappedMs; }},
        {"resident MiB", mib, [](const ReceiveBench::Startup &s) { return s.firstWindow.residentKiB / kib; }},
        {"private MiB", mib, [](const ReceiveBench::Startup &s) { return s.firstWindow.privateKiB / kib; }},
        {"priv dirty MiB", mib, [](const ReceiveBench::Startup &s) { return s.firstWindow.privateDirtyKiB / kib; }},
    });
    return true;
}

double microsecondsPerLine(double ns, int lines)
{
    return lines > 0 ? ns / 1000 / lines : -1;
}

double allLines(const ReceiveBench::Flood &flood, double ReceiveBench::Band::*part)
{
    double ns = 0;
    int lines = 0;
    for (const ReceiveBench::Band &band : flood.bands) {
        ns += band.*part;
        lines += band.lines;
    }
    return microsecondsPerLine(ns, lines);
}

double bytesPerLine(double endKiB, double idleKiB, int lines)
{
    return (endKiB - idleKiB) * kib / lines;
}

bool runFlood(ReceiveBench &bench, int runs, int lines, int rate, bool framed, bool irc)
{
    const char *kind = irc ? "IRC (every line ends in CR LF)" : framed ? "framed" : "unframed";
    std::printf("\nflood: %d lines of 63 characters at %d/s, %s, %s\n", lines, rate, kind, qPrintable(platformText(bench)));
    QList<ReceiveBench::Flood> figures;
    const auto oneFlood = [&](ReceiveBench::Flood *flood) { return bench.flood(lines, rate, framed, flood); };
    if (!measure<ReceiveBench::Flood>(runs, oneFlood, &figures))
        return false;
    using Flood = ReceiveBench::Flood;
    const QList<ReceiveBench::Band> &bands = figures.constFirst().bands;
    std::printf("  client CPU (user+sys) in µs per line sent: %s, %s, %s (the last band includes the catch-up), "
                "all; the X server's for all lines\n",
                qPrintable(bands.at(0).name), qPrintable(bands.at(1).name), qPrintable(bands.at(2).name));
    std::printf("  rows shown (unframed: the client's reads of its chat socket, one block each; framed and IRC: one per "
                "line); sending time (planned %.1f s) and the client's catch-up after the last line (0.25 s: it kept up)\n",
                double(lines) / rate);
    std::printf("  memory (smaps_rollup): resident, private and private dirty, idle before the flood and at its "
                "end; growth per line sent\n");
    const auto band = [](int index) {
        return [index](const Flood &f) { return microsecondsPerLine(f.bands.at(index).clientNs, f.bands.at(index).lines); };
    };
    printTable<Flood>(figures, {
        {"first µs/l", " %14.1f", band(0)},
        {"middle µs/l", " %14.1f", band(1)},
        {"last µs/l", " %14.1f", band(2)},
        {"all µs/l", " %14.1f", [](const Flood &f) { return allLines(f, &ReceiveBench::Band::clientNs); }},
        {"X all µs/l", " %14.1f", [](const Flood &f) {
             return f.xServerMeasured ? allLines(f, &ReceiveBench::Band::xServerNs) : -1;
         }},
        {"rows shown", whole, [](const Flood &f) { return double(f.rowsShown); }},
        {"sending s", " %14.2f", [](const Flood &f) { return f.sendingS; }},
        {"catch-up s", " %14.2f", [](const Flood &f) { return f.settleS; }},
    });
    printTable<Flood>(figures, {
        {"idle res MiB", mib, [](const Flood &f) { return f.idle.residentKiB / kib; }},
        {"idle priv MiB", mib, [](const Flood &f) { return f.idle.privateKiB / kib; }},
        {"idle dirty MiB", mib, [](const Flood &f) { return f.idle.privateDirtyKiB / kib; }},
        {"end res MiB", mib, [](const Flood &f) { return f.end.residentKiB / kib; }},
        {"end dirty MiB", mib, [](const Flood &f) { return f.end.privateDirtyKiB / kib; }},
        {"res B/line", whole, [lines](const Flood &f) { return bytesPerLine(f.end.residentKiB, f.idle.residentKiB, lines); }},
        {"priv B/line", whole, [lines](const Flood &f) { return bytesPerLine(f.end.privateKiB, f.idle.privateKiB, lines); }},
        {"dirty B/line", whole, [lines](const Flood &f) {
             return bytesPerLine(f.end.privateDirtyKiB, f.idle.privateDirtyKiB, lines);
         }},
    });
    return true;
}

int usage()
{
    std::fprintf(stderr, "usage: bench_receive [--runs N] [--platform xcb|offscreen] [--client PATH | --hexchat] "
                         "[flood LINES RATE [framed] | idle | startup [COUNT]] ...\n");
    return 2;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    QString client = QStringLiteral(KORVANI_CLIENT_PATH);
    QString platform = QStringLiteral("xcb");
    bool hexChat = false;
    int runs = 1;
    QList<Command> commands;
    const QStringList arguments = application.arguments().mid(1);
    for (qsizetype index = 0; index < arguments.size(); ++index) {
        const QString &argument = arguments.at(index);
        const bool hasValue = index + 1 < arguments.size();
        if (argument == QLatin1String("--runs") && hasValue)
            runs = qMax(1, arguments.at(++index).toInt());
        else if (argument == QLatin1String("--platform") && hasValue)
            platform = arguments.at(++index);
        else if (argument == QLatin1String("--client") && hasValue)
            client = arguments.at(++index);
        else if (argument == QLatin1String("--hexchat"))
            hexChat = true;
        else if (argument == QLatin1String("flood") || argument == QLatin1String("idle") || argument == QLatin1String("startup"))
            commands.append({argument, {}});
        else if (!commands.isEmpty() && !argument.startsWith(QLatin1String("--")))
            commands.last().arguments.append(argument);
        else
            return usage();
    }
    if (commands.isEmpty()) {
        commands = {{QStringLiteral("idle"), {}},
                    {QStringLiteral("startup"), {QStringLiteral("10")}},
                    {QStringLiteral("flood"), {QStringLiteral("10000"), QStringLiteral("200")}},
                    {QStringLiteral("flood"), {QStringLiteral("100000"), QStringLiteral("1000")}}};
    }

    KorvaniDialect korvani(client);
    HexChatDialect hexChatDialect;
    ChatDialect &dialect = hexChat ? static_cast<ChatDialect &>(hexChatDialect) : korvani;
    if (hexChat && platform != QLatin1String("xcb"))
        return usage();
    ReceiveBench bench(dialect, platform);
    if (!bench.open()) {
        std::fprintf(stderr, "bench_receive: %s\n", qPrintable(bench.why()));
        return 1;
    }
    std::printf("client %s, platform %s, %d run(s) each\n", qPrintable(dialect.name()), qPrintable(platform), runs);
    for (const Command &command : commands) {
        bool done = false;
        if (command.name == QLatin1String("idle")) {
            done = runIdle(bench, runs);
        } else if (command.name == QLatin1String("startup") && !bench.onX()) {
            std::printf("\nstartup: measured on X only\n");
            done = true;
        } else if (command.name == QLatin1String("startup")) {
            done = runStartup(bench, command.arguments.isEmpty() ? 10 : command.arguments.constFirst().toInt());
        } else {
            if (command.arguments.size() < 2 || command.arguments.at(0).toInt() < 5 || command.arguments.at(1).toInt() < 1)
                return usage();
            done = runFlood(bench, runs, command.arguments.at(0).toInt(), command.arguments.at(1).toInt(),
                            command.arguments.value(2) == QLatin1String("framed"), hexChat);
        }
        if (!done) {
            std::fprintf(stderr, "bench_receive: %s\n", qPrintable(bench.why()));
            return 1;
        }
    }
    return 0;
}
