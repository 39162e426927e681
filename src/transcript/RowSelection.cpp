#include "RowSelection.h"

void RowSelection::start(Point at)
{
    m_anchor = at;
    m_cursor = at;
}

void RowSelection::extendTo(Point to)
{
    m_cursor = to;
}

void RowSelection::clear()
{
    start({});
}

std::optional<RowSelection::Range> RowSelection::rangeIn(int row) const
{
    if (isEmpty() || row < begin().row || row > end().row)
        return std::nullopt;
    const int from = row == begin().row ? begin().position : 0;
    const int to = row == end().row ? end().position : -1;
    if (from == to)
        return std::nullopt;
    return Range{from, to};
}
