#pragma once

#include <QList>
#include <QtGlobal>

// The heights of the page's rows in pixels and where each row starts, for a page that lays out only
// the rows it shows. A row not laid out yet holds an estimate (the mean of the rows measured so
// far); measuring it replaces the estimate. Positions are prefix sums in a Fenwick tree, so an
// append, a measurement and a lookup cost O(log n) at any length.
class RowHeights
{
public:
    struct Position
    {
        int row;
        int offset; // pixels from the row's top
    };

    // Appends a row that is not measured yet.
    void appendEstimated();
    // Appends a row whose height is known and never changes (a row that shows nothing).
    void appendFixed(int height);
    void setMeasured(int row, int height);
    // Every row is to be measured again (the width changed); the heights stay as estimates.
    void forgetMeasurements();
    void clear();

    int count() const { return int(m_heights.size()); }
    int height(int row) const { return m_heights.at(row); }
    bool isMeasured(int row) const { return m_measured.at(row); }
    // The top of the row: the sum of the heights before it. top(count()) is the total.
    qint64 top(int row) const;
    qint64 total() const { return top(count()); }
    // The row that holds y (0 <= y < total()) and how far into it y is.
    Position rowAt(qint64 y) const;
    int estimate() const;

private:
    void append(int height, bool measured);
    void add(int row, qint64 delta);

    QList<int> m_heights;
    QList<bool> m_measured;
    QList<qint64> m_tree; // m_tree[i - 1] is the sum of the heights of rows (i - lowbit(i), i]
    qint64 m_measuredSum = 0;
    qint64 m_measuredCount = 0;
};
