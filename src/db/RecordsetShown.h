#pragma once

#include "runtime/Variant.h"

#include <QByteArray>
#include <QHash>
#include <optional>

// What the user was last shown of a recordset's rows, cell by cell, where a window marked it:
// the reference an update's optimistic check compares the database with. Reading the rows again
// (a search, a refresh, another window) leaves it alone, so a change another program made since
// the value was shown cannot pass for one the user has seen. Rows are named by their key.
class RecordsetShown {
public:
    void mark(const QByteArray& rowKey, int column, const Variant& value) { m_values[rowKey].insert(column, value); }
    // Only where the row was marked before: the user now sees this value in that cell.
    void follow(const QByteArray& rowKey, int column, const Variant& value);
    std::optional<Variant> value(const QByteArray& rowKey, int column) const;
    void clear() { m_values.clear(); }

private:
    QHash<QByteArray, QHash<int, Variant>> m_values;
};
