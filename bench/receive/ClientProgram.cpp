#include "ClientProgram.h"

#include "ChatDialect.h"
#include "support/Unprivileged.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

extern char **environ;

namespace {
constexpr int stopWaitMs = 5000;

// The bench's environment with the display and platform, and the home folder when it moves.
std::vector<std::string> environmentWith(const std::vector<std::string> &settings)
{
    std::vector<std::string> entries;
    for (char **entry = environ; *entry; ++entry) {
        const char *equals = std::strchr(*entry, '=');
        const std::string key(*entry, equals ? size_t(equals - *entry + 1) : std::strlen(*entry));
        const bool replaced = std::any_of(settings.begin(), settings.end(), [&](const std::string &setting) {
            return setting.compare(0, key.size(), key) == 0;
        });
        if (!replaced)
            entries.emplace_back(*entry);
    }
    entries.insert(entries.end(), settings.begin(), settings.end());
    return entries;
}

std::vector<char *> pointersTo(std::vector<std::string> &strings)
{
    std::vector<char *> pointers;
    for (std::string &text : strings)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}
} // namespace

ClientProgram::ClientProgram(const ChatDialect &dialect, const QString &platform, const QString &display)
    : m_dialect(dialect)
    , m_platform(platform)
    , m_display(display)
{
}

ClientProgram::~ClientProgram()
{
    stop();
}

bool ClientProgram::start(const QString &serverAddress, bool signOn)
{
    const QStringList commandLine = m_folder.isValid() ? m_dialect.prepare(m_folder.path(), serverAddress, signOn) : QStringList();
    if (commandLine.isEmpty())
        return false;
    const bool dropRoot = m_dialect.refusesRoot() && geteuid() == 0;
    const uid_t user = Unprivileged::user();
    std::vector<std::string> settings{"QT_QPA_PLATFORM=" + m_platform.toStdString()};
    if (!m_display.isEmpty())
        settings.push_back("DISPLAY=" + m_display.toStdString());
    if (dropRoot) {
        settings.push_back("HOME=" + m_folder.path().toStdString());
        const QDir folder(m_folder.path());
        for (const QString &name : folder.entryList(QDir::AllEntries | QDir::Hidden))
            (void)chown(folder.filePath(name).toLocal8Bit().constData(), user, user);
    }

    // Everything the child needs is made before the fork: after it, only system calls.
    std::vector<std::string> arguments;
    for (const QString &argument : commandLine)
        arguments.push_back(argument.toStdString());
    std::vector<std::string> environment = environmentWith(settings);
    std::vector<char *> argumentPointers = pointersTo(arguments);
    std::vector<char *> environmentPointers = pointersTo(environment);
    const std::string logPath = m_folder.filePath(QStringLiteral("client.log")).toStdString();
    const std::string program = arguments.front();

    m_pid = fork();
    if (m_pid == 0) {
        const int log = open(logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(log, STDOUT_FILENO);
        dup2(log, STDERR_FILENO);
        if (dropRoot && (setgroups(0, nullptr) != 0 || setgid(user) != 0 || setuid(user) != 0))
            _exit(127);
        execvpe(program.c_str(), argumentPointers.data(), environmentPointers.data());
        _exit(127);
    }
    return m_pid > 0;
}

bool ClientProgram::isRunning()
{
    return m_pid > 0 && waitpid(m_pid, nullptr, WNOHANG) == 0;
}

void ClientProgram::stop()
{
    if (m_pid <= 0)
        return;
    kill(m_pid, SIGTERM);
    for (int waited = 0; waited < stopWaitMs; waited += 10) {
        if (waitpid(m_pid, nullptr, WNOHANG) != 0) {
            m_pid = -1;
            return;
        }
        usleep(10000);
    }
    kill(m_pid, SIGKILL);
    waitpid(m_pid, nullptr, 0);
    m_pid = -1;
}

QString ClientProgram::log() const
{
    QFile file(m_folder.filePath(QStringLiteral("client.log")));
    return file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.readAll()) : QString();
}
