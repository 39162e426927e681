#include "RowLinks.h"

#include <QTextBlock>
#include <QTextDocument>

QList<RowLinks::Link> RowLinks::in(const QTextDocument &row)
{
    QList<Link> links;
    for (QTextBlock block = row.begin(); block.isValid(); block = block.next()) {
        for (auto piece = block.begin(); !piece.atEnd(); ++piece) {
            const QTextFragment fragment = piece.fragment();
            const QTextCharFormat format = fragment.charFormat();
            if (!format.isAnchor() || format.anchorHref().isEmpty())
                continue;
            const int from = fragment.position();
            const int to = from + fragment.length();
            if (!links.isEmpty() && links.last().to == from && links.last().href == format.anchorHref())
                links.last().to = to;
            else
                links.append({from, to, format.anchorHref()});
        }
    }
    return links;
}
