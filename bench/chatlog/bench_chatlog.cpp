// What logging costs the window per row: rows of the chat's shape appended to the log, written
// as the program writes them (gathered, once a second or per 64 KiB) and, for comparison, flushed
// after every row. Prints the median, the 99.9th percentile and the slowest call, and the total, in microseconds.
// Usage: bench_chatlog [FOLDER] (default: a temporary folder; give one on the disk to measure it)
#include "transcript/ChatLog.h"
#include "transcript/MessageMarkup.h"
#include "transcript/TranscriptRows.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

constexpr int rowCount = 100000;

struct Figures
{
    double medianUs;
    double permilleUs; // 99.9 % of the rows cost no more
    double slowestUs;
    double totalMs;
};

Figures measure(const QString &folder, bool flushEveryRow, const QStringList &rows)
{
    ChatLog log;
    log.setFolder(folder);
    log.setServer(flushEveryRow ? QStringLiteral("per-row") : QStringLiteral("gathered"));
    log.setEnabled(true);
    const QDateTime when = QDateTime::currentDateTime();
    QList<double> costs;
    costs.reserve(rows.size());
    QElapsedTimer total;
    total.start();
    for (const QString &row : rows) {
        QElapsedTimer one;
        one.start();
        log.appendRow(when, row);
        if (flushEveryRow)
            log.flush();
        costs.append(one.nsecsElapsed() / 1e3);
    }
    log.flush();
    const double totalMs = total.nsecsElapsed() / 1e6;
    std::sort(costs.begin(), costs.end());
    return {costs.at(costs.size() / 2), costs.at(costs.size() * 999 / 1000), costs.last(), totalMs};
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    QTemporaryDir temporary;
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : temporary.path();

    QStringList rows;
    rows.reserve(rowCount);
    for (int i = 0; i < rowCount; ++i)
        rows.append(TranscriptRows::chatRow(QStringLiteral("12:34:56"), QStringLiteral("user%1").arg(i % 50),
                                            MessageMarkup::ConvertMarkup(
                                                QStringLiteral("[B]message[/B] number %1 with some words :)").arg(i))));

    std::printf("%d rows of the chat's shape into %s\n", rowCount, qPrintable(folder));
    for (const bool flushEveryRow : {false, true}) {
        const Figures figures = measure(folder, flushEveryRow, rows);
        std::printf("%-28s median %6.2f us  99.9%% %7.1f us  slowest %8.1f us  total %8.1f ms\n",
                    flushEveryRow ? "flushed after every row" : "gathered (as the program)", figures.medianUs,
                    figures.permilleUs, figures.slowestUs, figures.totalMs);
    }
    return 0;
}
