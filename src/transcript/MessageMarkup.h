#pragma once

#include <QString>

// The chat's markup language: smiley codes and bracket tags, turned into HTML.
class MessageMarkup
{
public:
    // The thirty replacements in their fixed order ("<", ">" first, then smileys, then tags).
    // Smiley images point into the smile/ folder of the application directory.
    static QString ConvertMarkup(const QString &text);
};
