#pragma once

#include <QString>
#include <QStringList>

// The client's command line. "--help" and "--version" answer on the terminal without opening a
// window; "--settings FILE" names the settings file. The remaining arguments keep their old meaning:
// prompt mode exactly when they are the one word "-prompt". Any other argument is an error.
class ClientCommandLine
{
public:
    enum class Action { RunProgram, ShowHelp, ShowVersion, ShowError };

    // arguments: everything after the program name.
    explicit ClientCommandLine(const QStringList &arguments);

    Action action() const { return m_action; }
    // The text for the terminal: help, version or error (empty when the program runs).
    QString output() const { return m_output; }
    // The file given with --settings, or an empty text.
    QString settingsFile() const { return m_settingsFile; }
    // The arguments other than --settings and its file, as the prompt switch compares them.
    QStringList remainingArguments() const { return m_remaining; }

private:
    Action m_action = Action::RunProgram;
    QString m_output;
    QString m_settingsFile;
    QStringList m_remaining;
};
