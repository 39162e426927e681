#pragma once

#include <QByteArray>
#include <QDate>
#include <QFile>
#include <QObject>
#include <QString>
#include <QTimer>

class QDateTime;

// Appends every row of the conversation, as one line of plain UTF-8 text after its date and time,
// to <folder>/<server>/<YYYY-MM-DD>.log (see LogFolderName), a file a day by the row's local date.
//
// Lines are gathered in memory and written together at most a second after the first of them, or
// at once when FlushBytes gather, so a busy room costs a write a second, not one per row; the
// disk is never waited for row by row. When the log cannot be written (a full disk, a folder
// that cannot be made or written) it stops, drops what it gathered, and says so once through
// stopped(); the conversation on screen never depends on it. It starts again when it is turned
// off and on again.
class ChatLog : public QObject
{
    Q_OBJECT
public:
    static constexpr int FlushDelayMs = 1000;
    static constexpr qsizetype FlushBytes = 64 * 1024;

    // Logs go under folder; by default $XDG_DATA_HOME/korvani/logs.
    explicit ChatLog(QObject *parent = nullptr);
    ~ChatLog() override;

    static QString defaultFolder();
    void setFolder(const QString &folder);
    // The server whose rows follow, as the user typed its address.
    void setServer(const QString &server);
    void setEnabled(bool enabled);
    bool isEnabled() const { return m_enabled; }
    bool hasStopped() const { return m_stopped; }

    // One row of the conversation, as its HTML, written at when (local time). Rows without text
    // (a rule, a picture alone) are left out.
    void appendRow(const QDateTime &when, const QString &html);
    // Writes what was gathered now.
    void flush();

    // The file the rows of date go to for the server set now.
    QString filePath(QDate date) const;
    // The line a row becomes: date, time, the row's text on one line.
    static QByteArray line(const QDateTime &when, const QString &html);

signals:
    // Logging has stopped; reason says why, for the user.
    void stopped(const QString &reason);

private:
    bool openFileFor(QDate date);
    void stop(const QString &reason);
    void closeFile();

    QString m_folder;
    QString m_server;
    bool m_enabled = false;
    bool m_stopped = false;
    QByteArray m_gathered;
    QDate m_gatheredDate; // the date of the lines gathered
    QFile m_file;
    QDate m_fileDate;
    QTimer m_flushTimer;
};
