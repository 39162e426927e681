#include "FileReplacement.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <csignal>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString systemError(int number)
{
    return QString::fromLocal8Bit(std::strerror(number));
}

bool fail(QString *error, const QString &text)
{
    if (error)
        *error = text;
    return false;
}

bool processIsRunning(qint64 pid)
{
    return pid > 0 && (::kill(pid_t(pid), 0) == 0 || errno == EPERM);
}

// Temporary files "<name>.partial.<pid>.XXXXXX" whose writer is gone were left by a killed write.
void removeLeftovers(const QString &target)
{
    const QFileInfo info(target);
    const QString prefix = info.fileName() + QStringLiteral(".partial.");
    // Compared by hand rather than as a name filter: the file's own name may hold "*" or "[".
    const QStringList names = info.dir().entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &name : names) {
        if (!name.startsWith(prefix))
            continue;
        bool isNumber = false;
        const qint64 pid = name.mid(prefix.size()).section(QLatin1Char('.'), 0, 0).toLongLong(&isNumber);
        if (isNumber && (pid == ::getpid() || !processIsRunning(pid)))
            QFile::remove(info.dir().filePath(name));
    }
}

// A new file gets the mode a plain create would give it; a replaced one keeps its own mode and, where
// the process may set them (root editing a user's copy), its owner and group.
bool takeOverAttributes(int descriptor, const QByteArray &target)
{
    struct stat status {};
    if (::stat(target.constData(), &status) != 0) {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        return ::fchmod(descriptor, 0666 & ~mask) == 0;
    }
    if (::geteuid() == 0 && ::fchown(descriptor, status.st_uid, status.st_gid) != 0)
        return false;
    return ::fchmod(descriptor, status.st_mode & 07777) == 0;
}

bool writeAll(int descriptor, const QByteArray &bytes, int *errorNumber)
{
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t result = ::write(descriptor, bytes.constData() + written, size_t(bytes.size() - written));
        if (result < 0 && errno == EINTR)
            continue;
        if (result <= 0) {
            *errorNumber = result < 0 ? errno : ENOSPC;
            return false;
        }
        written += result;
    }
    return true;
}

// Flushes the directory entry of a rename to the disk. The new content is already in place, so a
// failure here only weakens the guarantee against a power cut and is not reported.
void syncDirectory(const QByteArray &directory)
{
    const int descriptor = ::open(directory.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor >= 0) {
        ::fsync(descriptor);
        ::close(descriptor);
    }
}

} // namespace

// A symbolic link keeps pointing where it did.
QString FileReplacement::target(const QString &path)
{
    const QFileInfo info(path);
    return info.isSymLink() ? info.symLinkTarget() : info.absoluteFilePath();
}

QString FileReplacement::temporaryPrefix(const QString &path)
{
    return target(path) + QStringLiteral(".partial.") + QString::number(::getpid()) + QLatin1Char('.');
}

bool FileReplacement::replace(const QString &path, const QByteArray &bytes, QString *error)
{
    const QString target = FileReplacement::target(path);
    const QByteArray targetName = QFile::encodeName(target);
    const QByteArray directoryName = QFile::encodeName(QFileInfo(target).absolutePath());

    if (::access(targetName.constData(), F_OK) == 0 && ::access(targetName.constData(), W_OK) != 0)
        return fail(error, QStringLiteral("%1 is read-only.").arg(target));
    removeLeftovers(target);

    QByteArray temporaryName = QFile::encodeName(temporaryPrefix(target)) + "XXXXXX";
    const int descriptor = ::mkostemp(temporaryName.data(), O_CLOEXEC);
    if (descriptor < 0)
        return fail(error, QStringLiteral("No file can be written in %1: %2.")
                               .arg(QFile::decodeName(directoryName), systemError(errno)));

    // Each step runs only while every step before it succeeded; the first failure is the one told.
    int errorNumber = 0;
    const auto step = [&errorNumber](bool succeeded) {
        if (!succeeded && errorNumber == 0)
            errorNumber = errno;
        return succeeded;
    };
    bool written = writeAll(descriptor, bytes, &errorNumber);
    written = written && step(takeOverAttributes(descriptor, targetName));
    written = written && step(::fdatasync(descriptor) == 0);
    written = step(::close(descriptor) == 0) && written;
    written = written && step(::rename(temporaryName.constData(), targetName.constData()) == 0);
    if (!written) {
        ::unlink(temporaryName.constData());
        return fail(error, QStringLiteral("%1 could not be written: %2.").arg(target, systemError(errorNumber)));
    }
    syncDirectory(directoryName);
    return true;
}
