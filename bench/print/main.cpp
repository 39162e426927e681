// Prints a long conversation to a PDF as the chat window does and tells, for 10,000 and 100,000
// rows (or the counts given): the longest time the window's event loop did not answer during the
// print, the whole time, and the resident memory before, at its peak and once the print is done.
#include "OwnMemory.h"

#include "transcript/MessageMarkup.h"
#include "transcript/TranscriptPrint.h"
#include "transcript/TranscriptRows.h"
#include "transcript/TranscriptView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace {

const QStringList messages = {
    QStringLiteral("hello everyone"),
    QStringLiteral("[B]important:[/B] the server restarts at noon :)"),
    QStringLiteral("have a look at [URL]www.example.com/news[/URL]this page[URL/] please"),
    QStringLiteral("I think we should meet tomorrow after work, what do you say, is five o'clock fine for all of you?"),
    QStringLiteral("ŠČŘŽĎŤŇ Ústí Żółć [I]really[/I] [U]no[/U] idea!!"),
};

double cpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

double megabytes(qint64 kilobytes)
{
    return double(kilobytes) / 1024;
}

void runEventsFor(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

// The longest time between two turns of the event loop while it runs: a timer that asks to fire
// every millisecond notes how late each firing is.
class EventLoopWatch : public QObject
{
public:
    EventLoopWatch()
    {
        m_timer.setInterval(1);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            m_longest = std::max(m_longest, m_sinceLast.restart());
        });
        m_sinceLast.start();
        m_timer.start();
    }
    qint64 longestMilliseconds() const { return std::max(m_longest, m_sinceLast.elapsed()); }

private:
    QTimer m_timer;
    QElapsedTimer m_sinceLast;
    qint64 m_longest = 0;
};

void printRows(TranscriptView &view, int rows, const QString &pdf)
{
    view.clearPage();
    view.WritePageHead();
    for (int row = 0; row < rows; ++row)
        view.AppendHistory(TranscriptRows::chatRow(QStringLiteral("12:00:00"), QStringLiteral("user%1").arg(row % 7),
                                                   MessageMarkup::ConvertMarkup(messages.at(row % messages.size()))));
    runEventsFor(200);

    auto printer = std::make_unique<QPrinter>();
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(pdf);
    const qint64 before = OwnMemory::statusKilobytes("VmRSS:");
    OwnMemory::resetPeak();
    QElapsedTimer whole;
    whole.start();
    const double cpuStart = cpuSeconds();
    qint64 stall = 0;
    {
        EventLoopWatch watch;
        QEventLoop untilPrinted;
        QObject::connect(view.printPage(std::move(printer)), &TranscriptPrint::finished, &untilPrinted, &QEventLoop::quit);
        untilPrinted.exec();
        stall = watch.longestMilliseconds();
    }
    const double seconds = double(whole.nsecsElapsed()) / 1e9;
    const double cpu = cpuSeconds() - cpuStart;
    const qint64 peak = OwnMemory::statusKilobytes("VmHWM:");
    runEventsFor(200);
    const qint64 after = OwnMemory::statusKilobytes("VmRSS:");
    std::printf("%6d rows: printed in %.2f s (%.2f s CPU), the window did not answer for %lld ms at most; "
                "memory %.1f MB before, peak %+.1f MB, after %+.1f MB; PDF %.1f MB\n",
                rows, seconds, cpu, stall, megabytes(before), megabytes(peak - before), megabytes(after - before),
                double(QFileInfo(pdf).size()) / 1e6);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    QList<int> counts;
    for (int i = 1; i < argc; ++i)
        counts.append(QByteArray(argv[i]).toInt());
    if (counts.isEmpty())
        counts = {10000, 100000};
    QTemporaryDir directory;
    TranscriptView view;
    view.resize(640, 480);
    view.show();
    for (const int rows : std::as_const(counts))
        printRows(view, rows, directory.filePath(QStringLiteral("conversation.pdf")));
    return 0;
}
