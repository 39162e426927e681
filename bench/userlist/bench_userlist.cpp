// What one join and one leave cost the shown main window, through its dispatcher, with the list
// holding 10 names (no scroll bar, empty rows below them), 100, 10,000 and 100,000: the CPU time of
// the block and of the window work it leaves behind (layout and painting), median and mean per
// block. Each leave takes the first name and a join adds it again at the end, so the list keeps its
// size; so does a leave from the middle of the list (below the rows shown in a full room); a leave
// of an absent name removes nothing. Then the same for the list alone, as the window holds it: the
// list's own work, without the count label, the window's pictures and the leave's row.
// Usage: bench_userlist [blocks per figure, default 1000]
#include "BenchTime.h"
#include "windows/support/ChatWindowFakes.h"

#include "app/Form.h"
#include "windows/UserListBox.h"
#include "windows/frmChat.h"

#include <QApplication>
#include <QLabel>

#include <algorithm>
#include <cstdio>
#include <numeric>

using namespace BenchTime;

namespace {

struct Figures
{
    double median;
    double mean;
};

Figures figuresOf(QList<double> times)
{
    std::sort(times.begin(), times.end());
    return {times.at(times.size() / 2), std::accumulate(times.begin(), times.end(), 0.0) / double(times.size())};
}

// One block handed to the window as the connection hands it, then the events it left waiting.
double dispatchCost(frmChat &chat, const QString &block)
{
    const double start = cpuMilliseconds();
    chat.DataParsing(block);
    chat.users->setText(QString::number(chat.lstUsers->count()) + QStringLiteral(" Users"));
    QCoreApplication::processEvents();
    return cpuMilliseconds() - start;
}

void benchList(frmChat &chat, int names, int blocks)
{
    chat.lstUsers->clear();
    for (int i = 0; i < names; ++i)
        chat.lstUsers->addItem(QStringLiteral("user%1").arg(i));
    runEventsFor(50);

    QList<double> leaves;
    QList<double> joins;
    QList<double> middle;
    QList<double> absent;
    for (int block = 0; block < blocks; ++block) {
        const QString name = QStringLiteral("user%1").arg(block % names);
        leaves.append(dispatchCost(chat, QStringLiteral("Left ") + name));
        joins.append(dispatchCost(chat, QStringLiteral("UserList ") + name));
        const QString middleName = QStringLiteral("user%1").arg(names / 2 + block % ((names + 1) / 2));
        middle.append(dispatchCost(chat, QStringLiteral("Left ") + middleName));
        dispatchCost(chat, QStringLiteral("UserList ") + middleName);
        absent.append(dispatchCost(chat, QStringLiteral("Left nobody")));
    }
    const Figures leave = figuresOf(leaves);
    const Figures join = figuresOf(joins);
    const Figures inMiddle = figuresOf(middle);
    const Figures none = figuresOf(absent);
    std::printf("%7d names: leave (first name) %6.3f / %6.3f ms   join %6.3f / %6.3f ms   leave (middle) %6.3f / %6.3f ms"
                "   leave (absent) %6.3f / %6.3f ms\n",
                names, leave.median, leave.mean, join.median, join.mean, inMiddle.median, inMiddle.mean, none.median,
                none.mean);
    std::fflush(stdout);
}

void benchListAlone(int names, int blocks)
{
    UserListBox list;
    list.resize(121, 238);
    for (int i = 0; i < names; ++i)
        list.addItem(QStringLiteral("user%1").arg(i));
    list.show();
    runEventsFor(50);

    QList<double> leaves;
    QList<double> joins;
    for (int block = 0; block < blocks; ++block) {
        const QString name = QStringLiteral("user%1").arg(block % names);
        double start = cpuMilliseconds();
        delete list.takeItem(list.findName(name, 0));
        QCoreApplication::processEvents();
        leaves.append(cpuMilliseconds() - start);
        start = cpuMilliseconds();
        list.addItem(name);
        QCoreApplication::processEvents();
        joins.append(cpuMilliseconds() - start);
    }
    const Figures leave = figuresOf(leaves);
    const Figures join = figuresOf(joins);
    std::printf("%7d names: leave (first name) %8.3f / %8.3f ms   join %8.3f / %8.3f ms\n", names, leave.median,
                leave.mean, join.median, join.mean);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    const int blocks = argc > 1 ? QByteArray(argv[1]).toInt() : 1000;
    // Joins without rows or notices, sounds recorded instead of played: what is left is the list's
    // work and the leave's row.
    ChatWindowFakes fakes;
    fakes.install();

    frmChat *chat = Form<frmChat>::get();
    chat->resize(800, 600);
    chat->show();
    runEventsFor(100);

    std::printf("CPU ms per block, median / mean of %d, block and window work together\n", blocks);
    for (const int names : {10, 100, 10000, 100000})
        benchList(*chat, names, blocks);
    std::printf("the list alone\n");
    for (const int names : {10, 100, 10000, 100000})
        benchListAlone(names, blocks);
    fakes.uninstall();
    return 0;
}
