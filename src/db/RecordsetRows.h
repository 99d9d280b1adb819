#pragma once

#include "db/RowStore.h"
#include "runtime/Variant.h"

#include <QHash>
#include <QString>
#include <vector>

class Statement;

// The rows of one complete read of a recordset's source: its columns, found by name without
// regard to letter case, its cells, and the rows deleted through the recordset since.
class RecordsetRows {
public:
    using Cell = RowStore::Cell;
    struct Column {
        QString name;
        bool isDate = false;
    };

    // Reads the statement to its end. `expectedBytes`: what the last read of the same rows took.
    static RecordsetRows read(Statement& statement, size_t expectedBytes);
    // Lets the cells go; the columns stay known.
    void releaseCells();

    // Counts every complete read across all recordsets, so that a place in the rows of one read
    // never passes for a place in another's.
    quint64 loadNumber() const { return m_loadNumber; }
    size_t bytesTaken() const { return m_store.bytesTaken(); }

    int columnCount() const { return static_cast<int>(m_columns.size()); }
    const Column& column(int c) const { return m_columns[size_t(c)]; }
    int columnIndex(const QString& name) const; // -1 when missing
    int requireColumn(const QString& name) const;
    void requireColumn(int c) const;

    int rowCount() const { return m_store.rowCount(); }
    Cell cell(int row, int column) const { return m_store.cell(row, column); }
    // A cell as the recordset shows it.
    Variant value(int row, int column) const;
    // A value as the database gave it, the way the recordset shows it: dates stored as text are dates.
    Variant presented(int column, const Variant& stored) const;
    // A value set into a column, as the recordset holds it; raises when a date column is given
    // a text that is no date.
    Variant normalized(int column, const Variant& value) const;
    // Writes a row's values; a row past the end is added.
    void write(int row, const std::vector<Variant>& values);

    bool isDeleted(int row) const { return m_deleted[size_t(row)]; }
    void markDeleted(int row);
    int deletedCount() const { return m_deletedCount; }

private:
    std::vector<Column> m_columns;
    QHash<QString, int> m_columnByName;             // lower-case name
    mutable QHash<QString, int> m_columnBySpelling; // names as callers write them, found without folding
    RowStore m_store;
    std::vector<bool> m_deleted;
    int m_deletedCount = 0;
    quint64 m_loadNumber = 0;
};
