#include "SingleCellRow.h"

#include <QRegularExpression>

QString SingleCellRow::asBlock(const QString &fragment)
{
    static const QString tableStart = QStringLiteral("<table cellspacing='0' cellpadding='0'><tr><td");
    static const QString tableEnd = QStringLiteral("</td></tr></table>");
    static const QRegularExpression cellStart(QStringLiteral("\\A<td(?: class='([A-Za-z0-9_-]+)')?>"));
    static const QRegularExpression tableMarkup(QStringLiteral("<\\s*/?\\s*(?:table|tr|td|th|tbody|thead|tfoot)\\b"),
                                                QRegularExpression::CaseInsensitiveOption);
    if (!fragment.startsWith(tableStart) || !fragment.endsWith(tableEnd))
        return fragment;
    const qsizetype cellOffset = tableStart.size() - 3;
    const QRegularExpressionMatch cell = cellStart.match(QStringView(fragment).mid(cellOffset));
    if (!cell.hasMatch())
        return fragment;
    const qsizetype contentStart = cellOffset + cell.capturedLength();
    const qsizetype contentLength = fragment.size() - tableEnd.size() - contentStart;
    if (contentLength <= 0)
        return fragment; // an empty cell still takes a line; an empty block would not
    const QStringView content = QStringView(fragment).mid(contentStart, contentLength);
    if (tableMarkup.match(content).hasMatch())
        return fragment;
    const QString className = cell.captured(1);
    const QString open = className.isEmpty() ? QStringLiteral("<div>")
                                             : QStringLiteral("<div class='") + className + QStringLiteral("'>");
    return open + content.toString() + QStringLiteral("</div>");
}
