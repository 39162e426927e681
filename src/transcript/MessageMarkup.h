#pragma once

#include <QString>

// The chat's markup language: smiley codes and bracket tags, turned into HTML.
class MessageMarkup
{
public:
    // Pictures and tags one message may turn into HTML; codes beyond stay as typed. The page engine
    // reads elements standing side by side in time that grows with the square of their number, so a
    // message of thousands of smileys would hold every window in the room for seconds to minutes.
    static constexpr int pictureAndTagLimit = 300;

    // The thirty replacements in their fixed order ("<", ">" first, then smileys, then tags).
    // Smiley images point into the smile/ folder of the application directory. A link's address is
    // written as typed when it is a plain address, else quoted and escaped, so typed text never
    // adds attributes to the link; "[URL]" with no "[/URL]" after it stays as typed.
    static QString ConvertMarkup(const QString &text);
};
