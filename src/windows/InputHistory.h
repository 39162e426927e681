#pragma once

#include <QHash>
#include <QList>
#include <QString>

#include <optional>

// The lines sent from one input control in this run, walked with Up and Down as a shell walks its
// history. The bottom of the walk is the line being typed (the draft); what the user changes in a
// recalled line stays with it while the walk goes on, and sending starts a new walk from a new,
// empty draft. The same line sent twice in a row is kept once.
class InputHistory
{
public:
    static constexpr int capacity = 100;
    // Lines beyond this many characters in all push out the oldest, so a pasted megabyte sent a
    // hundred times does not stay in memory; a line longer than that alone is not kept.
    static constexpr qsizetype characterBound = 1024 * 1024;

    void add(const QString &line);

    // The line one step older (newer) than the one shown, given the text the control shows now;
    // nothing when the walk is at its end already.
    std::optional<QString> older(const QString &shown);
    std::optional<QString> newer(const QString &shown);

    int count() const { return int(m_lines.size()); }

    // The histories of the program's input controls, one per kind of line; they outlive the
    // windows, so a window closed and opened again still recalls what it sent.
    static InputHistory &publicMessages();
    static InputHistory &privateMessages();
    static InputHistory &promptCommands();

private:
    std::optional<QString> stepTo(int position, const QString &shown);
    void dropOldest();

    QList<QString> m_lines; // oldest first
    qsizetype m_characters = 0;
    int m_position = 0; // into m_lines; m_lines.size() is the draft
    QHash<int, QString> m_edits; // the changed lines of this walk, the draft among them
};
