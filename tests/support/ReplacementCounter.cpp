#include "ReplacementCounter.h"

#include <QFile>
#include <QFileInfo>

#include <sys/inotify.h>
#include <unistd.h>

ReplacementCounter::ReplacementCounter(const QString &file)
    : m_descriptor(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
    , m_name(QFileInfo(file).fileName())
{
    // The kernel merges an event into the one before it when both are alike and unread, so two
    // renames onto the file in a row would show as one. Watching the "moved from" side too puts the
    // temporary file's event between them.
    if (m_descriptor >= 0
        && ::inotify_add_watch(m_descriptor, QFile::encodeName(QFileInfo(file).absolutePath()).constData(), IN_MOVED_FROM | IN_MOVED_TO) < 0) {
        ::close(m_descriptor);
        m_descriptor = -1;
    }
}

ReplacementCounter::~ReplacementCounter()
{
    if (m_descriptor >= 0)
        ::close(m_descriptor);
}

int ReplacementCounter::take()
{
    int count = 0;
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        const ssize_t size = ::read(m_descriptor, buffer, sizeof buffer);
        if (size <= 0)
            return count;
        for (ssize_t offset = 0; offset < size;) {
            const auto *event = reinterpret_cast<const inotify_event *>(buffer + offset);
            if ((event->mask & IN_MOVED_TO) && event->len > 0 && QFile::decodeName(event->name) == m_name)
                ++count;
            offset += ssize_t(sizeof(inotify_event) + event->len);
        }
    }
}
