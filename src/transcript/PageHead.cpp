#include "PageHead.h"

QStringList PageHead::fragments()
{
    return {
        QStringLiteral("<meta http-equiv='Content-Type' content='text/html; charset=windows-1250' />"),
        QStringLiteral("<base target='_blank'>"),
        QStringLiteral("<style type='text/css'>"),
        QStringLiteral("<!--"),
        QStringLiteral(".style1 {"),
        QStringLiteral("   font-size: 16px;"),
        QStringLiteral("   font-weight: bold;"),
        QStringLiteral("}"),
        QStringLiteral(".message {"),
        QStringLiteral("    font-size: 12px;"),
        QStringLiteral("    font-family: serif;"),
        QStringLiteral("}"),
        QStringLiteral(".system {"),
        QStringLiteral("       color: Red;"),
        QStringLiteral("     font-size: 12px;"),
        QStringLiteral("    font-family: serif;"),
        QStringLiteral("}"),
        QStringLiteral(".pm {"),
        QStringLiteral("       color: green;"),
        QStringLiteral("     font-size: 12px;"),
        QStringLiteral("    font-family: serif;"),
        QStringLiteral("}"),
        QStringLiteral(" -->"),
        QStringLiteral("</style>"),
    };
}

QFont PageHead::defaultFont()
{
    QFont font(QStringLiteral("Times New Roman"));
    font.setStyleHint(QFont::Serif);
    font.setPixelSize(16);
    return font;
}

QString PageHead::styleSheet()
{
    // The rich-text engine reads these rules as they stand, comment markers included, so the page
    // looks the same whether it is shown or printed.
    const QStringList head = fragments();
    const qsizetype open = head.indexOf(QStringLiteral("<style type='text/css'>"));
    const qsizetype close = head.indexOf(QStringLiteral("</style>"));
    return head.mid(open + 1, close - open - 1).join(u'\n');
}
