#pragma once

#include <QString>

// The chat's markup language: smiley codes and bracket tags, turned into HTML.
class MessageMarkup
{
public:
    // Pictures and tags one message may turn into HTML; codes beyond stay as typed. Every picture
    // and tag costs the row's layout some microseconds, and a message may hold twenty thousand of
    // them: kept to this many, the largest message is shown in a few milliseconds in every window of
    // the room.
    static constexpr int pictureAndTagLimit = 300;

    // The thirty replacements in their fixed order ("<", ">" first, then smileys, then tags).
    // Smiley images point into the smile/ folder of the application directory. A link's address (up
    // to the next "[/URL]") is taken as typed: no smiley or tag is replaced inside it. It is written
    // as it stands when it is a plain address, else quoted and escaped, so typed text never adds
    // attributes to the link; "[URL]" with no "[/URL]" after it stays as typed.
    static QString ConvertMarkup(const QString &text);
    // The folder smiley pictures are named in, ending in "/": the smile/ folder of the application
    // directory.
    static QString pictureFolder();
};
