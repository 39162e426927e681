#include "RowHeights.h"

namespace {

constexpr int defaultEstimate = 16;

constexpr int lowBit(int i)
{
    return i & -i;
}

} // namespace

void RowHeights::appendEstimated()
{
    append(estimate(), false);
}

void RowHeights::appendFixed(int height)
{
    append(height, true);
}

void RowHeights::append(int height, bool measured)
{
    const int index = count() + 1; // one-based, as the tree counts
    m_heights.append(height);
    m_measured.append(measured);
    m_tree.append(height + top(index - 1) - top(index - lowBit(index)));
}

void RowHeights::setMeasured(int row, int height)
{
    if (height > 0) {
        m_measuredSum += height;
        ++m_measuredCount;
    }
    m_measured[row] = true;
    if (height != m_heights.at(row)) {
        add(row, qint64(height) - m_heights.at(row));
        m_heights[row] = height;
    }
}

void RowHeights::forgetMeasurements()
{
    m_measured.fill(false);
}

void RowHeights::clear()
{
    m_heights.clear();
    m_measured.clear();
    m_tree.clear();
    m_measuredSum = 0;
    m_measuredCount = 0;
}

void RowHeights::add(int row, qint64 delta)
{
    for (int i = row + 1; i <= count(); i += lowBit(i))
        m_tree[i - 1] += delta;
}

qint64 RowHeights::top(int row) const
{
    qint64 sum = 0;
    for (int i = row; i > 0; i -= lowBit(i))
        sum += m_tree.at(i - 1);
    return sum;
}

RowHeights::Position RowHeights::rowAt(qint64 y) const
{
    // Descends the tree: the largest prefix whose sum stays <= y ends just before the row holding y.
    int index = 0;
    qint64 remaining = y;
    int step = 1;
    while (step * 2 <= count())
        step *= 2;
    for (; step > 0; step /= 2) {
        const int next = index + step;
        if (next <= count() && m_tree.at(next - 1) <= remaining) {
            index = next;
            remaining -= m_tree.at(next - 1);
        }
    }
    return {index, int(remaining)};
}

int RowHeights::estimate() const
{
    return m_measuredCount > 0 ? int((m_measuredSum + m_measuredCount / 2) / m_measuredCount) : defaultEstimate;
}
