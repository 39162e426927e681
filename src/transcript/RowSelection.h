#pragma once

#include <compare>
#include <optional>

// A selection that may run across rows of the page: from an anchor (where the mouse went down) to a
// cursor (where it is now), each a row and a character position inside that row's document.
class RowSelection
{
public:
    struct Point
    {
        int row = 0;
        int position = 0;
        auto operator<=>(const Point &) const = default;
    };
    // The selected characters of one row; `to` is -1 when the selection runs on past the row's end.
    struct Range
    {
        int from;
        int to;
    };

    void start(Point at);
    void extendTo(Point to);
    void clear();

    bool isEmpty() const { return m_anchor == m_cursor; }
    Point begin() const { return m_anchor < m_cursor ? m_anchor : m_cursor; }
    Point end() const { return m_anchor < m_cursor ? m_cursor : m_anchor; }
    std::optional<Range> rangeIn(int row) const;

private:
    Point m_anchor;
    Point m_cursor;
};
