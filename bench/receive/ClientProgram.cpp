#include "ClientProgram.h"

#include <QFile>

#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

extern char **environ;

namespace {
constexpr int stopWaitMs = 5000;

std::vector<std::string> environmentWith(const std::string &platform, const std::string &display)
{
    std::vector<std::string> entries;
    for (char **entry = environ; *entry; ++entry) {
        if (std::strncmp(*entry, "QT_QPA_PLATFORM=", 16) != 0 && std::strncmp(*entry, "DISPLAY=", 8) != 0)
            entries.emplace_back(*entry);
    }
    entries.push_back("QT_QPA_PLATFORM=" + platform);
    if (!display.empty())
        entries.push_back("DISPLAY=" + display);
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

ClientProgram::ClientProgram(const QString &executable, const QString &platform, const QString &display)
    : m_executable(executable)
    , m_platform(platform)
    , m_display(display)
{
}

ClientProgram::~ClientProgram()
{
    stop();
}

bool ClientProgram::rememberSignOn(const QString &user, const QString &serverAddress)
{
    QFile settings(m_folder.filePath(QStringLiteral("Options.ini")));
    if (!settings.open(QIODevice::WriteOnly))
        return false;
    return settings.write(QStringLiteral("[UserSvr]\r\nUser=%1\r\nSvr=%2\r\nAC=1\r\n").arg(user, serverAddress).toUtf8()) > 0;
}

bool ClientProgram::start()
{
    if (!m_folder.isValid())
        return false;
    std::vector<std::string> arguments{m_executable.toStdString(), "--settings",
                                       m_folder.filePath(QStringLiteral("Options.ini")).toStdString()};
    std::vector<std::string> environment = environmentWith(m_platform.toStdString(), m_display.toStdString());
    const std::string logPath = m_folder.filePath(QStringLiteral("client.log")).toStdString();

    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, STDOUT_FILENO, logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&files, STDOUT_FILENO, STDERR_FILENO);
    const int failed = posix_spawn(&m_pid, arguments.front().c_str(), &files, nullptr, pointersTo(arguments).data(),
                                   pointersTo(environment).data());
    posix_spawn_file_actions_destroy(&files);
    if (failed != 0)
        m_pid = -1;
    return failed == 0;
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
