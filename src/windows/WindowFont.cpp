#include "WindowFont.h"

#include <QStringList>

QFont WindowFont::standard()
{
    QFont font;
    font.setFamilies({QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Liberation Sans")});
    font.setPointSizeF(8.25);
    return font;
}
