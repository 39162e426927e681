// Appends chat rows to a shown transcript as fast as the dispatcher can deliver them (letting pending
// events run after each row, so the window paints as a live one would) and prints what a row costs
// early, later and much later, how many frames were painted, and the memory per row.
#include "OwnMemory.h"
#include "support/PaintCounter.h"

#include "app/PendingEvents.h"
#include "transcript/MessageMarkup.h"
#include "transcript/TranscriptRows.h"
#include "transcript/TranscriptView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QEvent>
#include <QScrollBar>
#include <QTimer>

#include <cstdio>
#include <ctime>

namespace {

double cpuMicroseconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e6 + double(now.tv_nsec) / 1e3;
}

const QStringList users = {QStringLiteral("anna"), QStringLiteral("bob_82"), QStringLiteral("Petr Novák"),
                           QStringLiteral("zuzka<3"), QStringLiteral("mike")};
const QStringList messages = {
    QStringLiteral("hello everyone"),
    QStringLiteral("[B]important:[/B] the server restarts at noon :)"),
    QStringLiteral("lol that was funny :D"),
    QStringLiteral("have a look at [URL]www.example.com/news[/URL]this page[URL/] please"),
    QStringLiteral("I think we should meet tomorrow after work, what do you say, is five o'clock fine for all of you?"),
    QStringLiteral("[I]really[/I] [U]no[/U] idea!! ::/:"),
    QStringLiteral("ok"),
    QStringLiteral("5 < 6 & 7 > 3, who knew :cool:"),
};

struct Band
{
    int first;
    int last;
    double cpuStart = 0;
    int paintsStart = 0;
};

// Lets events run for a while without spinning (the time waited costs no CPU).
void runEventsFor(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    const int rows = argc > 1 ? QByteArray(argv[1]).toInt() : 100000;

    TranscriptView view;
    view.resize(640, 480);
    PaintCounter counter;
    view.viewport()->installEventFilter(&counter);
    view.show();
    // Fonts, smileys and glyphs are loaded once per process: show one row of each shape first and
    // start again on an empty page, so that the first band compares with the later ones.
    view.WritePageHead();
    for (const QString &message : messages)
        view.AppendHistory(TranscriptRows::chatRow(TranscriptRows::timeStamp(), users.first(),
                                                   MessageMarkup::ConvertMarkup(message)));
    runEventsFor(100);
    view.clearPage();
    view.WritePageHead();
    runEventsFor(100);

    // Each band is a thousand rows delivered as fast as the dispatcher can, then the frame that shows
    // them: it starts after the frames of the rows before it have been painted, and ends when the
    // frame after its last row has been painted. A thousand rows take less than a frame period, so
    // measured without those edges a band would hold one frame or none by chance.
    QList<Band> bands = {{1, 1000}, {9001, 10000}, {99001, 100000}};
    const qint64 rssBefore = OwnMemory::statusKilobytes("VmRSS:") * 1024;
    qint64 htmlBytes = 0;
    QElapsedTimer wall;
    wall.start();
    qint64 pausedNanoseconds = 0;
    double pausedCpu = 0;
    const double cpuStart = cpuMicroseconds();
    const int paintsBefore = counter.paints;

    for (int row = 1; row <= rows; ++row) {
        for (Band &band : bands) {
            if (row == band.first) {
                const qint64 pauseStart = wall.nsecsElapsed();
                const double pauseCpu = cpuMicroseconds();
                runEventsFor(40);
                pausedNanoseconds += wall.nsecsElapsed() - pauseStart;
                pausedCpu += cpuMicroseconds() - pauseCpu;
                band.cpuStart = cpuMicroseconds();
                band.paintsStart = counter.paints;
            }
        }
        const QString html = TranscriptRows::chatRow(TranscriptRows::timeStamp(), users.at(row % users.size()),
                                                     MessageMarkup::ConvertMarkup(messages.at(row % messages.size())));
        htmlBytes += html.size() * qint64(sizeof(QChar));
        view.AppendHistory(html);
        LetPendingEventsRun();
        for (const Band &band : bands) {
            if (row == band.last) {
                const qint64 waitStart = wall.nsecsElapsed();
                const int paintsAtLastRow = counter.paints;
                QElapsedTimer waited;
                waited.start();
                while (counter.paints == paintsAtLastRow && waited.elapsed() < 1000)
                    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
                pausedNanoseconds += wall.nsecsElapsed() - waitStart;
                const int count = band.last - band.first + 1;
                std::printf("rows %6d-%6d and their frame: %5.1f us CPU per row, %d frames painted\n", band.first,
                            band.last, (cpuMicroseconds() - band.cpuStart) / count, counter.paints - band.paintsStart);
                std::fflush(stdout);
            }
        }
    }
    const double cpuTotal = cpuMicroseconds() - cpuStart - pausedCpu;
    const double wallSeconds = double(wall.nsecsElapsed() - pausedNanoseconds) / 1e9;
    // The last frame: the end of the page shown.
    runEventsFor(100);

    const qint64 rssAfter = OwnMemory::statusKilobytes("VmRSS:") * 1024;
    const QScrollBar *bar = view.verticalScrollBar();
    std::printf("all %d rows, frames included: %.1f us CPU per row, %.0f rows per second, %d frames painted in %.2f s\n", rows,
                cpuTotal / rows, rows / wallSeconds, counter.paints - paintsBefore, wallSeconds);
    std::printf("view at the end: %s (scroll %d of %d)\n", bar->value() == bar->maximum() ? "yes" : "NO",
                bar->value(), bar->maximum());
    std::printf("peak RSS %.1f MB; growth %.0f bytes per row, of which the rows' own HTML %.0f, beyond it %.0f\n",
                double(OwnMemory::statusKilobytes("VmHWM:")) / 1024, double(rssAfter - rssBefore) / rows,
                double(htmlBytes) / rows, double(rssAfter - rssBefore - htmlBytes) / rows);
    return 0;
}
