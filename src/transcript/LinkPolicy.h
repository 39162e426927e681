#pragma once

#include <QString>
#include <QUrl>

// Which addresses of transcript links may be opened, and as what. Links come from other users, so
// only web and mail addresses leave the program, always in the desktop's own browser or mail client.
class LinkPolicy
{
public:
    // The URL to hand to the desktop for a link's href: http, https and ftp as written, percent-encoded
    // once, an address without a scheme as http; mailto with its addresses and only the subject,
    // body, cc and bcc fields. An empty QUrl for everything else (file:, javascript:, custom
    // handlers), which then opens nothing.
    static QUrl urlToOpen(const QString &href);
};
