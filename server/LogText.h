#pragma once

#include <QString>

// Text made safe for a one-line log: no control character is ever written raw (it shows as \xNN),
// so no value can forge or break log lines, and every line has a bounded length.
class LogText
{
public:
    // Characters of a quoted text that are written out.
    static constexpr qsizetype MaxQuotedCharacters = 64;
    // Characters of a whole log line that are written out.
    static constexpr qsizetype MaxLineCharacters = 1024;

    // Text a user chose, in quotes, with quotes and backslashes escaped. A longer text is cut after
    // MaxQuotedCharacters and marked after the closing quote: "the start"... (N more characters)
    static QString quoted(const QString &text);
    // Any text as one line, whatever it holds (a configuration value, a file name). A longer text
    // is cut after MaxLineCharacters and marked: the start... (N more characters)
    static QString line(const QString &text);
};
