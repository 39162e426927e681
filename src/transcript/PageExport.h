#pragma once

#include <QByteArray>

class TranscriptPage;

// The conversation as a file of its own, in UTF-8.
class PageExport
{
public:
    // A web page that shows the rows as the view shows them, with the page's styles. It does no more
    // than the view does: only the formatting tags and attributes the rows use are kept and every
    // text is escaped, so a row from the server carries no script, no event handler and no address
    // fetched from the network into the file; links keep only the addresses the view would open,
    // pictures only local files. A tag a row leaves open ends with the row, as it does on screen.
    static QByteArray html(const TranscriptPage &page);
    // The text the rows show, one line each, as copying the whole page gives it.
    static QByteArray plainText(const TranscriptPage &page);
};
