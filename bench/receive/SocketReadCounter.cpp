#include "SocketReadCounter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryFile>

#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

extern char **environ;

namespace {
// perf needs a moment to attach before the counted reads begin.
constexpr useconds_t attachUs = 300000;

// The inode of the socket in pid's network namespace whose local port is localPort.
QByteArray socketInode(pid_t pid, quint16 localPort)
{
    QFile table(QStringLiteral("/proc/%1/net/tcp").arg(pid));
    if (!table.open(QIODevice::ReadOnly))
        return QByteArray();
    const QByteArray wantedPort = QByteArray::number(localPort, 16).toUpper().rightJustified(4, '0');
    for (const QByteArray &line : table.readAll().split('\n')) {
        // sl local_address rem_address st tx:rx tr:when retrnsmt uid timeout inode
        const QList<QByteArray> fields = line.simplified().split(' ');
        constexpr int inodeField = 9;
        if (fields.size() > inodeField && fields.at(1).endsWith(':' + wantedPort))
            return fields.at(inodeField);
    }
    return QByteArray();
}
} // namespace

SocketReadCounter::~SocketReadCounter()
{
    stop();
}

int SocketReadCounter::socketDescriptor(pid_t pid, quint16 localPort)
{
    const QByteArray inode = socketInode(pid, localPort);
    if (inode.isEmpty())
        return -1;
    // The links read "socket:[INODE]"; Qt's link reading would make paths of them.
    const QByteArray target = "socket:[" + inode + ']';
    const QDir descriptors(QStringLiteral("/proc/%1/fd").arg(pid));
    for (const QString &name : descriptors.entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::System)) {
        char link[128] = {};
        const ssize_t size = readlink(descriptors.filePath(name).toLocal8Bit().constData(), link, sizeof link - 1);
        if (size > 0 && QByteArrayView(link, size) == target)
            return name.toInt();
    }
    return -1;
}

bool SocketReadCounter::start(pid_t pid, int descriptor)
{
    QTemporaryFile output(QDir::tempPath() + QStringLiteral("/bench-receive-perf-XXXXXX"));
    output.setAutoRemove(false);
    if (descriptor < 0 || !output.open()) {
        m_why = QStringLiteral("the client's chat socket was not found");
        return false;
    }
    m_output = output.fileName();
    const std::string filter = "fd == " + std::to_string(descriptor);
    const std::string target = std::to_string(pid);
    const std::string outputPath = m_output.toStdString();
    const char *arguments[] = {"perf", "stat", "-x", ",", "-o", outputPath.c_str(), "-e", "syscalls:sys_enter_read",
                               "--filter", filter.c_str(), "-p", target.c_str(), nullptr};
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const int failed = posix_spawnp(&m_perf, "perf", &files, nullptr, const_cast<char **>(arguments), environ);
    posix_spawn_file_actions_destroy(&files);
    if (failed != 0) {
        m_perf = -1;
        m_why = QStringLiteral("perf is not installed");
        return false;
    }
    usleep(attachUs);
    return true;
}

qint64 SocketReadCounter::stop()
{
    if (m_perf <= 0)
        return -1;
    kill(m_perf, SIGINT);
    waitpid(m_perf, nullptr, 0);
    m_perf = -1;
    QFile output(m_output);
    qint64 count = -1;
    if (output.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : output.readAll().split('\n')) {
            // count,unit,event,...
            if (line.contains("sys_enter_read")) {
                bool isNumber = false;
                const qint64 value = line.split(',').constFirst().toLongLong(&isNumber);
                if (isNumber)
                    count = value;
            }
        }
    }
    output.remove();
    if (count < 0)
        m_why = QStringLiteral("perf could not count the client's reads");
    return count;
}
