#pragma once

#include <QDateTime>
#include <QString>

// The server's log: one line on standard error per event, "korvani-server: " first, the event as
// LogText::line() makes it (no raw control character, bounded length). Each line
// starts with the local time (ISO 8601, milliseconds, offset from UTC) unless standard error goes
// to the systemd journal, which stamps every line itself.
class ServerLog
{
public:
    ServerLog();

    void write(const QString &event) const;

    // The line for event at `when`, with or without the time in front.
    static QString line(const QString &event, const QDateTime &when, bool stamped);
    // True when JOURNAL_STREAM names the very stream that standard error is (a child started from
    // a journal-logged service inherits the variable with another stream).
    static bool standardErrorIsJournal(const QByteArray &journalStream);

private:
    bool m_stamped;
};
