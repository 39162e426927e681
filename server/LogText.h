#pragma once

#include <QString>

// Text made safe for a one-line log: no control character is ever written raw (it shows as \xNN),
// so no value can forge or break log lines, and every line has a bounded length.
class LogText
{
public:
    // Characters of a quoted text that are written out.
    static constexpr qsizetype MaxQuotedCharacters = 64;
    // Characters of a quoted file name that are written out.
    static constexpr qsizetype MaxPathCharacters = 512;
    // Characters of a whole log line that are written out.
    static constexpr qsizetype MaxLineCharacters = 1024;

    // Text a user chose, in quotes, with quotes and backslashes escaped. A longer text is cut after
    // `maximum` characters and marked after the closing quote: "the start"... (N more characters)
    static QString quoted(const QString &text, qsizetype maximum = MaxQuotedCharacters);
    // Bytes read from outside (a configuration file), quoted like quoted(): what is UTF-8 shows as
    // its characters, escaped the same way, and every other byte as \xNN, so the log shows exactly
    // which bytes were read. Cut after MaxQuotedCharacters bytes: "the start"... (N more bytes)
    static QString quotedBytes(const QByteArray &bytes);
    // Any text as one line, whatever it holds (a configuration value, a file name). A longer text
    // is cut after MaxLineCharacters and marked: the start... (N more characters)
    static QString line(const QString &text);
};
