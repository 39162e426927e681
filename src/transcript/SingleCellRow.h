#pragma once

#include <QString>

// Nearly every row is written as a table of one row and one cell, so that it stands on a line of its
// own. Shown, such a row looks exactly like a block holding the cell's content with the cell's
// class, and a block is laid out in less than half the time of a table.
class SingleCellRow
{
public:
    // The row as a block when it is such a table and its content holds no table markup of its own;
    // otherwise the fragment unchanged.
    static QString asBlock(const QString &fragment);
};
