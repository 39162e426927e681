#pragma once

#include <QFont>
#include <QString>
#include <QStringList>

// The fixed head of the conversation page: the character set, the link target and the style sheet
// that gives the row classes (style1, message, system, pm) their looks.
class PageHead
{
public:
    // The 24 fragments, in the order they are written.
    static QStringList fragments();
    // The style rules inside the head's style element, as one text.
    static QString styleSheet();
    // The face of text no class styles (the banner under a cleared page, the hint rows): a page's
    // own default, a serif at 16 pixels, whatever font the window around it uses.
    static QFont defaultFont();
};
