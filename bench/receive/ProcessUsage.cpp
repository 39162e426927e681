#include "ProcessUsage.h"

#include <QByteArray>
#include <QFile>
#include <QList>

#include <unistd.h>

namespace ProcessUsage {

namespace {
QByteArray procFile(pid_t pid, const char *name)
{
    QFile file(QStringLiteral("/proc/%1/%2").arg(pid).arg(QLatin1String(name)));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// "Rss:   1234 kB" -> 1234
double kibibytesOf(const QByteArray &line)
{
    const QList<QByteArray> words = line.simplified().split(' ');
    return words.size() >= 2 ? words.at(1).toDouble() : 0;
}
} // namespace

double cpuNs(pid_t pid)
{
    const QByteArray stat = procFile(pid, "stat");
    // The command name in parentheses may hold blanks; fields count from after it.
    const qsizetype nameEnd = stat.lastIndexOf(')');
    if (nameEnd < 0)
        return -1;
    const QList<QByteArray> fields = stat.mid(nameEnd + 2).split(' ');
    // utime and stime are fields 14 and 15 of the line, 12 and 13 after the name.
    constexpr int userField = 11;
    constexpr int systemField = 12;
    if (fields.size() <= systemField)
        return -1;
    const double ticks = fields.at(userField).toDouble() + fields.at(systemField).toDouble();
    return ticks * 1e9 / double(sysconf(_SC_CLK_TCK));
}

Memory memory(pid_t pid)
{
    Memory figures;
    for (const QByteArray &line : procFile(pid, "smaps_rollup").split('\n')) {
        if (line.startsWith("Rss:"))
            figures.residentKiB = kibibytesOf(line);
        else if (line.startsWith("Private_Clean:"))
            figures.privateKiB += kibibytesOf(line);
        else if (line.startsWith("Private_Dirty:"))
            figures.privateDirtyKiB = kibibytesOf(line);
    }
    figures.privateKiB += figures.privateDirtyKiB;
    return figures;
}

} // namespace ProcessUsage
