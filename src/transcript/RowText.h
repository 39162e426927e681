#pragma once

#include <QString>
#include <QStringView>

// The text a row shows, read from its HTML in one pass: tags left out, pictures left out, entities
// decoded, blanks collapsed as the page collapses them, a new line where a block ends. Kept beside
// each row so that copying a long page never parses a row again.
class RowText
{
public:
    static QString plainText(QStringView html);
};
