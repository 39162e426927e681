#pragma once

#include <QString>

// The text format of Options.ini: "[Section]" lines open sections, "key=value" lines follow.
// Section and key names match whatever their letter case; the first of duplicate keys or sections
// wins; comment lines (";"), blank lines, lines without "=" and text before the first section are
// kept as they are, and so is a byte-order mark. Values are returned whole, with the blanks around
// them removed.
class ProfileFile
{
public:
    // The value of section/key in the profile text, or "" when the section or key is missing.
    static QString value(const QString &text, const QString &section, const QString &key);

    // The profile text with section/key set to value: the value is replaced where it stands, or the
    // key (and section) added. Every other line, its line end included, stays as it was. New lines
    // end like the text's first line, or in "\r\n" in empty text. A line break inside value is
    // written as a blank, so a value can never add a line of its own.
    static QString withValue(const QString &text, const QString &section, const QString &key,
                             const QString &value);

    // File access, in UTF-8; a file that is not UTF-8 (written on Windows) reads as Windows-1250.
    // A missing file reads as empty text; readFile() reports false only for a
    // file that exists but cannot be read.
    static bool readFile(const QString &path, QString *text);
};
