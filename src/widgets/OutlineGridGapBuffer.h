#pragma once

#include <algorithm>
#include <utility>
#include <vector>

// A sequence with a movable gap: inserting or removing next to the previous change costs nothing
// beyond the moved distance. The tree inserts its rows one after another at neighbouring
// positions, which a plain vector would pay for with a move of every row below, per row.
template <typename T>
class OutlineGridGapBuffer {
public:
    int size() const { return static_cast<int>(m_items.size()) - gapLength(); }

    T& operator[](int i) { return m_items[i < m_gapBegin ? i : i + gapLength()]; }
    const T& operator[](int i) const { return m_items[i < m_gapBegin ? i : i + gapLength()]; }

    void insert(int at, T value)
    {
        if (gapLength() == 0)
            grow(1);
        moveGap(at);
        m_items[m_gapBegin++] = std::move(value);
    }

    void append(int count, const T& value)
    {
        if (gapLength() < count)
            grow(count);
        moveGap(size());
        for (int i = 0; i < count; ++i)
            m_items[m_gapBegin++] = value;
    }

    // Removes [first, last).
    void erase(int first, int last)
    {
        moveGap(first);
        for (int i = 0; i < last - first; ++i)
            m_items[m_gapEnd + i] = T();
        m_gapEnd += last - first;
    }

private:
    int gapLength() const { return m_gapEnd - m_gapBegin; }

    void moveGap(int at)
    {
        if (gapLength() == 0) {
            // Nothing to move (and moving an element onto itself would empty it).
            m_gapBegin = m_gapEnd = at;
        } else if (at < m_gapBegin) {
            const int n = m_gapBegin - at;
            std::move_backward(m_items.begin() + at, m_items.begin() + m_gapBegin, m_items.begin() + m_gapEnd);
            m_gapBegin -= n;
            m_gapEnd -= n;
        } else if (at > m_gapBegin) {
            const int n = at - m_gapBegin;
            std::move(m_items.begin() + m_gapEnd, m_items.begin() + m_gapEnd + n, m_items.begin() + m_gapBegin);
            m_gapBegin += n;
            m_gapEnd += n;
        }
    }

    void grow(int atLeast)
    {
        const int used = size();
        const int capacity = std::max({16, 2 * static_cast<int>(m_items.size()), used + atLeast});
        std::vector<T> items(capacity);
        std::move(m_items.begin(), m_items.begin() + m_gapBegin, items.begin());
        const int tail = static_cast<int>(m_items.size()) - m_gapEnd;
        std::move(m_items.begin() + m_gapEnd, m_items.end(), items.end() - tail);
        m_items = std::move(items);
        m_gapEnd = capacity - tail;
    }

    std::vector<T> m_items;
    int m_gapBegin = 0;
    int m_gapEnd = 0;
};
