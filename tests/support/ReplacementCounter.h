#pragma once

#include <QString>

// Counts how often a file is replaced by a rename into its folder, as the kernel reports it
// (inotify), so a test sees how many replacements one user action costs without any hook in the
// program.
class ReplacementCounter
{
public:
    explicit ReplacementCounter(const QString &file);
    ~ReplacementCounter();
    ReplacementCounter(const ReplacementCounter &) = delete;
    ReplacementCounter &operator=(const ReplacementCounter &) = delete;

    bool isValid() const { return m_descriptor >= 0; }
    // The replacements since the last call.
    int take();

private:
    int m_descriptor = -1;
    QString m_name;
};
