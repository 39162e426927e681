#include "ChatLog.h"

#include "LogFolderName.h"
#include "RowText.h"

#include <QDateTime>
#include <QDir>
#include <QStandardPaths>

ChatLog::ChatLog(QObject *parent)
    : QObject(parent)
    , m_folder(defaultFolder())
{
    m_flushTimer.setSingleShot(true);
    m_flushTimer.setInterval(FlushDelayMs);
    connect(&m_flushTimer, &QTimer::timeout, this, &ChatLog::flush);
}

ChatLog::~ChatLog()
{
    flush();
}

QString ChatLog::defaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/korvani/logs");
}

void ChatLog::setFolder(const QString &folder)
{
    flush();
    closeFile();
    m_folder = folder;
}

void ChatLog::setServer(const QString &server)
{
    if (server == m_server)
        return;
    flush();
    closeFile();
    m_server = server;
}

void ChatLog::setEnabled(bool enabled)
{
    if (enabled == m_enabled)
        return;
    flush();
    closeFile();
    m_enabled = enabled;
    m_stopped = false;
}

void ChatLog::appendRow(const QDateTime &when, const QString &html)
{
    if (!m_enabled || m_stopped)
        return;
    const QByteArray text = line(when, html);
    if (text.isEmpty())
        return;
    if (!m_gathered.isEmpty() && when.date() != m_gatheredDate)
        flush();
    if (m_stopped)
        return;
    m_gatheredDate = when.date();
    m_gathered += text;
    if (m_gathered.size() >= FlushBytes)
        flush();
    else if (!m_flushTimer.isActive())
        m_flushTimer.start();
}

void ChatLog::flush()
{
    m_flushTimer.stop();
    if (m_gathered.isEmpty())
        return;
    const QByteArray lines = std::exchange(m_gathered, QByteArray());
    if (!openFileFor(m_gatheredDate))
        return;
    if (m_file.write(lines) != lines.size() || !m_file.flush())
        stop(m_file.errorString());
}

QString ChatLog::filePath(QDate date) const
{
    return m_folder + QLatin1Char('/') + LogFolderName::forServer(m_server) + QLatin1Char('/')
           + date.toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(".log");
}

// Line breaks inside a row (a multi-line message of the day) become blanks: one row, one line.
QByteArray ChatLog::line(const QDateTime &when, const QString &html)
{
    QString text = RowText::plainText(html).trimmed();
    if (text.isEmpty())
        return {};
    for (QChar &c : text) {
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QChar::LineSeparator
            || c == QChar::ParagraphSeparator)
            c = QLatin1Char(' ');
    }
    return (when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss ")) + text + QLatin1Char('\n')).toUtf8();
}

bool ChatLog::openFileFor(QDate date)
{
    if (m_file.isOpen() && m_fileDate == date)
        return true;
    closeFile();
    const QString path = filePath(date);
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        stop(QStringLiteral("the folder %1 cannot be made").arg(QDir::toNativeSeparators(QFileInfo(path).absolutePath())));
        return false;
    }
    m_file.setFileName(path);
    // Private messages are logged too: the files are the user's alone.
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Append, QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        stop(m_file.errorString());
        return false;
    }
    m_fileDate = date;
    return true;
}

void ChatLog::stop(const QString &reason)
{
    m_stopped = true;
    m_gathered.clear();
    m_flushTimer.stop();
    closeFile();
    emit stopped(reason);
}

void ChatLog::closeFile()
{
    if (m_file.isOpen())
        m_file.close();
}
