// What one huge block from a server that does not frame costs the shown main window in resident
// memory: a 4 MiB public message or a 1 MB "Joined" (join rows on, the notice window too), handed
// to the window the way the connection hands a block over, then painted. Prints resident memory
// (VmRSS) and its peak (VmHWM) before and after, and the length of the row the page keeps.
// Usage: bench_legacy_rows message|joined
#include "BenchTime.h"
#include "windows/support/ChatWindowFakes.h"

#include "app/Form.h"
#include "transcript/TranscriptView.h"
#include "windows/frmChat.h"

#include <QApplication>
#include <QFile>

#include <cstdio>

using namespace BenchTime;

namespace {

// A field of /proc/self/status, in KiB.
qint64 statusKiB(const QByteArray &field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(field.size()).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

void printMemory(const char *moment)
{
    std::printf("%-34s resident %7.1f MB   peak %7.1f MB\n", moment, double(statusKiB("VmRSS:")) / 1024,
                double(statusKiB("VmHWM:")) / 1024);
    std::fflush(stdout);
}

qsizetype lastRowLength(const frmChat &chat)
{
    const QString page = chat.txtHistory->pageSource();
    return page.size() - page.lastIndexOf(QStringLiteral("<table"));
}

void dispatchAndShow(frmChat &chat, const QString &block, const char *moment)
{
    chat.DataParsing(block);
    runEventsFor(500);
    printMemory(moment);
    std::printf("%-34s %lld characters\n", "  its row in the page", qint64(lastRowLength(chat)));
}

// The program's default: a join writes its row as well as opening the notice window.
class JoinRowChoices : public FakeOptionChoices
{
public:
    bool joinRowInMain() const override { return true; }
};

} // namespace

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    const bool joined = argc > 1 && QByteArray(argv[1]) == "joined";
    ChatWindowFakes fakes;
    fakes.install();
    JoinRowChoices choices;
    OptionChoices::setCurrent(&choices);
    frmChat *chat = Form<frmChat>::get();
    chat->resize(800, 600);
    chat->show();
    chat->DataParsing(QStringLiteral("Message bob:hello"));
    runEventsFor(500);

    printMemory("shown, one row");
    if (joined)
        dispatchAndShow(*chat, QStringLiteral("Joined ") + QString(1024 * 1024, u'n'), "after a 1 MB \"Joined\"");
    else
        dispatchAndShow(*chat, QStringLiteral("Message bob:") + QString(4 * 1024 * 1024, u'w'), "after a 4 MiB public message");
    fakes.uninstall();
    return 0;
}
