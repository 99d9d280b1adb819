#pragma once

#include "runtime/Variant.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

class Connection;
class SqliteDb;

// Error 3251: a write that has no table, key or column to go to.
[[noreturn]] void refuseUpdate(const QString& description);

enum class LockType { ReadOnly = 1, Pessimistic = 2, Optimistic = 3 };

struct RecordsetOptions {
    LockType lock = LockType::ReadOnly;
    QString keyColumn;   // row identity in the write target; ids of new rows are made for it
    QString writeTarget; // where writes go when the source is not a single table or view
    // The columns the source's ORDER BY names, in its order. A row whose value in one of them
    // changed may belong elsewhere, so the rows are then read again whole rather than in place.
    QStringList orderedBy = {};
};

// What a recordset reads, and how its rows are named and written: the source text on its
// connection, with the options it was opened with.
class RecordsetSource {
public:
    void open(const QString& text, std::shared_ptr<Connection> connection, const RecordsetOptions& options);
    void close() { m_connection.reset(); }

    const QString& text() const { return m_text; }
    const std::shared_ptr<Connection>& connection() const { return m_connection; }
    SqliteDb& db() const;
    const RecordsetOptions& options() const { return m_options; }
    const QString& keyColumn() const { return m_options.keyColumn; }

    // Whether the rows come in the order of the column.
    bool ordersBy(const QString& column) const;
    // The row with the key, as the source shows it now; no values when no row has the key.
    std::vector<Variant> readRow(const Variant& key) const;
    // Where writes go: the write target given, else the one table or view the source reads.
    QString writeTarget() const;

private:
    QString m_text;
    std::shared_ptr<Connection> m_connection;
    RecordsetOptions m_options;
};
