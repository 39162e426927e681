#include "ServerLog.h"

#include "LogText.h"

#include <cstdio>

#include <sys/stat.h>
#include <unistd.h>

ServerLog::ServerLog()
    : m_stamped(!standardErrorIsJournal(qgetenv("JOURNAL_STREAM")))
{
}

void ServerLog::write(const QString &event) const
{
    const QByteArray text = line(event, QDateTime::currentDateTime(), m_stamped).toLocal8Bit() + '\n';
    std::fwrite(text.constData(), 1, size_t(text.size()), stderr);
    std::fflush(stderr);
}

QString ServerLog::line(const QString &event, const QDateTime &when, bool stamped)
{
    const QString text = QStringLiteral("korvani-server: ") + LogText::line(event);
    if (!stamped)
        return text;
    return when.toOffsetFromUtc(when.offsetFromUtc()).toString(Qt::ISODateWithMs) + QLatin1Char(' ') + text;
}

bool ServerLog::standardErrorIsJournal(const QByteArray &journalStream)
{
    const QList<QByteArray> parts = journalStream.split(':');
    struct stat status {};
    if (parts.size() != 2 || ::fstat(STDERR_FILENO, &status) != 0)
        return false;
    bool deviceOk = false;
    bool inodeOk = false;
    const qulonglong device = parts.at(0).toULongLong(&deviceOk);
    const qulonglong inode = parts.at(1).toULongLong(&inodeOk);
    return deviceOk && inodeOk && device == qulonglong(status.st_dev) && inode == qulonglong(status.st_ino);
}
