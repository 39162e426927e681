#pragma once

#include <QList>
#include <QString>

class QTextDocument;

// The links of one laid-out row, in reading order: where each one's text runs and where it goes.
// A link whose text is split into pieces (a picture inside it) is one link.
class RowLinks
{
public:
    struct Link
    {
        int from;
        int to;
        QString href;
    };

    static QList<Link> in(const QTextDocument &row);
};
