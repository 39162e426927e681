// What a hostile sender can make the client pay: the CPU time to show one public message of each
// hostile kind at 1, 16 and 64 KiB (equal ratios between the sizes mean linear cost), to select it
// and copy it, to copy a long transcript, and to repaint the user list holding a 1 MB name.
// Usage: bench_hostile [largest KiB, default 64] [only the kinds whose name holds this text]
#include "BenchTime.h"
#include "support/PaintCounter.h"

#include "app/AppDir.h"
#include "transcript/MessageMarkup.h"
#include "transcript/TranscriptRows.h"
#include "transcript/TranscriptView.h"
#include "windows/UserListBox.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>

#include <algorithm>
#include <cstdio>

using namespace BenchTime;

namespace {

// Waits (without spinning, so the wait costs no CPU) until the view has painted again.
void waitForPaint(const PaintCounter &counter, int paintsBefore)
{
    QElapsedTimer waited;
    waited.start();
    while (counter.paints == paintsBefore && waited.elapsed() < 600000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
}

QString repeatedTo(const QString &unit, int characters)
{
    QString text;
    text.reserve(characters + unit.size());
    while (text.size() + unit.size() <= characters)
        text += unit;
    return text;
}

struct Kind
{
    const char *name;
    QString unit;
    bool serverHtml = false; // the server's own text, shown as it sent it (message of the day)
};

const QList<Kind> kinds = {
    {"plain text", QStringLiteral("word ")},
    {"one long word", QStringLiteral("x")},
    {"\":)\" smileys", QStringLiteral(":)")},
    {"\"[B]x\" tags", QStringLiteral("[B]x")},
    {"\"lol\" pictures", QStringLiteral("lol")},
    {"codes in links", QStringLiteral("[URL]http://x.org/lol:)cry!!??x[B][/URL]cry :D[URL/] ")},
    {"merged messages", QStringLiteral("Message bob_82:hello everyone :) [B]see[/B] [URL]www.example.com[/URL]this[URL/] ")},
    {"server HTML", QStringLiteral("word <span>s</span> <img src='%1/smile/smile.gif' /> "), true},
    {"server, far apart", QStringLiteral("word ").repeated(50) + QStringLiteral("<span><img src='%1/smile/smile.gif' /></span>"), true},
};

QString rowOf(const Kind &kind, int characters)
{
    if (!kind.serverHtml)
        return TranscriptRows::chatRow(TranscriptRows::timeStamp(), QStringLiteral("mallory"),
                                       MessageMarkup::ConvertMarkup(repeatedTo(kind.unit, characters)));
    const QString unit = kind.unit.arg(applicationDirectory());
    return QStringLiteral("<table cellspacing='0' cellpadding='0'><tr><td class='system'>[") + TranscriptRows::timeStamp()
        + QStringLiteral("] Server: ") + repeatedTo(unit, characters) + QStringLiteral("</td></tr></table><hr>");
}

void printSizesHeading(int largestKiB)
{
    std::printf("%-18s", "kind");
    for (int kib = 1; kib <= largestKiB; kib *= 4)
        std::printf("%20s", qPrintable(QStringLiteral("%1 KiB").arg(kib)));
    std::printf("%14s\n", "ratio x4");
}

struct Costs
{
    double show;
    double selectAndCopy;
};

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

// One row into a shown page, until it is painted; then the whole page selected, repainted and copied.
Costs showOnce(TranscriptView &view, const PaintCounter &counter, const QString &row)
{
    view.clearPage();
    view.WritePageHead();
    runEventsFor(30);
    const int paints = counter.paints;
    const double start = cpuMilliseconds();
    view.AppendHistory(row);
    waitForPaint(counter, paints);
    const double shown = cpuMilliseconds();
    view.selectAll();
    view.viewport()->repaint();
    const QString copied = view.selectedText();
    return {shown - start, cpuMilliseconds() - shown};
}

void benchRows(int largestKiB, const QString &only)
{
    TranscriptView view;
    view.resize(640, 480);
    PaintCounter counter;
    view.viewport()->installEventFilter(&counter);
    view.show();
    showOnce(view, counter, rowOf(kinds.first(), 100)); // fonts and pictures load once

    std::printf("one message shown (CPU ms, median of 3; select all + repaint + copy after the slash)\n");
    printSizesHeading(largestKiB);
    for (const Kind &kind : kinds) {
        if (!QString::fromUtf8(kind.name).contains(only))
            continue;
        std::printf("%-18s", kind.name);
        std::fflush(stdout);
        QList<double> perSize;
        for (int kib = 1; kib <= largestKiB; kib *= 4) {
            const QString row = rowOf(kind, kib * 1024);
            QList<double> shows;
            QList<double> copies;
            const int runs = kib >= 16 ? 3 : 5;
            for (int run = 0; run < runs; ++run) {
                const Costs costs = showOnce(view, counter, row);
                shows.append(costs.show);
                copies.append(costs.selectAndCopy);
                if (costs.show > 5000)
                    break; // one slow run says enough
            }
            perSize.append(median(shows));
            std::printf("%12.1f /%6.1f", median(shows), median(copies));
            std::fflush(stdout);
        }
        if (perSize.size() >= 2)
            std::printf("%14.1f", perSize.last() / perSize.at(perSize.size() - 2));
        std::printf("\n");
    }
}

// The markup conversion alone, where a message's cost starts.
void benchConversion(int largestKiB, const QString &only)
{
    std::printf("markup conversion alone (CPU ms, median of 5)\n");
    printSizesHeading(largestKiB);
    for (const Kind &kind : kinds) {
        if (kind.serverHtml || !QString::fromUtf8(kind.name).contains(only))
            continue;
        std::printf("%-18s", kind.name);
        QList<double> perSize;
        for (int kib = 1; kib <= largestKiB; kib *= 4) {
            const QString text = repeatedTo(kind.unit, kib * 1024);
            QList<double> times;
            for (int run = 0; run < 5; ++run) {
                const double start = cpuMilliseconds();
                const QString html = MessageMarkup::ConvertMarkup(text);
                times.append(cpuMilliseconds() - start);
            }
            perSize.append(median(times));
            std::printf("%20.2f", perSize.last());
        }
        if (perSize.size() >= 2)
            std::printf("%14.1f", perSize.last() / perSize.at(perSize.size() - 2));
        std::printf("\n");
    }
}

void benchCopy(int rows)
{
    TranscriptView view;
    view.resize(640, 480);
    view.show();
    view.WritePageHead();
    for (int row = 0; row < rows; ++row)
        view.write(TranscriptRows::chatRow(QStringLiteral("12:00:00"), QStringLiteral("user%1").arg(row % 50),
                                           MessageMarkup::ConvertMarkup(QStringLiteral("[B]row[/B] %1 :) hello").arg(row))));
    runEventsFor(50);
    const double start = cpuMilliseconds();
    view.selectAll();
    const QString copied = view.selectedText();
    std::printf("select all + copy of %d rows: %.0f ms CPU, %lld characters\n", rows, cpuMilliseconds() - start,
                qint64(copied.size()));
}

void benchUserList()
{
    UserListBox list;
    list.resize(121, 300);
    list.show();
    for (int i = 0; i < 20; ++i)
        list.addItem(QStringLiteral("user%1").arg(i));
    runEventsFor(50);
    const auto repaintCost = [&list] {
        QList<double> times;
        for (int run = 0; run < 5; ++run) {
            const double start = cpuMilliseconds();
            list.viewport()->repaint();
            times.append(cpuMilliseconds() - start);
        }
        return median(times);
    };
    const double shortNames = repaintCost();
    const double start = cpuMilliseconds();
    list.addItem(QString(1024 * 1024, u'n'));
    runEventsFor(0);
    list.viewport()->repaint();
    const double added = cpuMilliseconds() - start;
    std::printf("user list repaint: short names %.2f ms; with a 1 MB name: added and painted %.1f ms, repaint %.2f ms\n",
                shortNames, added, repaintCost());
}

} // namespace

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    const int largestKiB = argc > 1 ? QByteArray(argv[1]).toInt() : 64;
    const QString only = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    if (only.isEmpty()) {
        benchUserList();
        benchCopy(100000);
    }
    benchConversion(largestKiB, only);
    benchRows(largestKiB, only);
    return 0;
}
