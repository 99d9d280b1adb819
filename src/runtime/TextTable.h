#pragma once

#include "runtime/Variant.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QStringList>
#include <vector>

// Rows of cells shown as text, all held in one buffer: what a read-only grid shows. Filled and
// dropped without an object per cell, so that tens of thousands of rows come and go at once.
// A cell is Null or a text (numbers as their text); Null stays apart from the empty text.
class TextTable {
public:
    TextTable() = default;
    explicit TextTable(const QStringList& columns);

    const QStringList& columns() const { return m_columns; }
    int columnCount() const { return int(m_columns.size()); }
    int rowCount() const { return m_columns.isEmpty() ? 0 : int((m_ends.size()) / size_t(m_columns.size())); }
    void reserve(int rows, int bytesPerRow);

    // Cells are appended row by row, columnCount() of them to a row.
    void appendText(QByteArrayView utf8);
    void appendNull();
    void append(const Variant& value);
    // Whole rows of values, each as long as the columns.
    static TextTable fromRows(const QStringList& columns, const std::vector<std::vector<Variant>>& rows);

    bool isNull(int row, int column) const { return m_ends[cellIndex(row, column)] & kNullBit; }
    QByteArrayView utf8(int row, int column) const;
    QString text(int row, int column) const { return QString::fromUtf8(utf8(row, column)); }
    Variant value(int row, int column) const;

    // Puts the rows in a new order: order[i] is the row that comes to place i.
    void reorder(const std::vector<int>& order);

private:
    static constexpr quint32 kNullBit = 0x80000000u;
    size_t cellIndex(int row, int column) const { return size_t(row) * size_t(m_columns.size()) + size_t(column); }
    quint32 start(size_t cell) const { return cell == 0 ? 0 : m_ends[cell - 1] & ~kNullBit; }

    QStringList m_columns;
    QByteArray m_bytes;
    std::vector<quint32> m_ends; // where each cell's bytes end, Null marked by the high bit
};
