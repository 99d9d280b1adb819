#pragma once

#include "runtime/Variant.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class Connection;

enum class LockType { ReadOnly = 1, Pessimistic = 2, Optimistic = 3 };

// One condition of a Find or a Filter: the column equals the value. Values are compared by
// their text, without regard to letter case, so an integer column matches '1' and ids match in
// any case. Null never matches.
struct Criterion {
    QString column;
    Variant value;
};

// A keyset recordset held in memory, as the program's client-side cursors were: the rows of one
// query, a current row, a filter, a sort, bookmarks, and writes that go to the database at once.
//
// Writes go to one write target: a base table or a view that carries INSTEAD OF triggers, named
// by the source text ("select ... from X ...") or given at open; rows are found there by the key
// column. Updates are optimistic: the written columns must still hold what was read.
class Recordset {
public:
    struct Options {
        LockType lock = LockType::ReadOnly;
        QString keyColumn;   // row identity in the write target; ids of new rows are made for it
        QString writeTarget; // where writes go when the source is not a single table or view
    };
    // Writes a column that the write target does not hold (a joined column) for the current row.
    // Runs inside the update's savepoint; `row` reads the row's values after the change.
    using JoinedColumnWriter =
        std::function<void(Connection&, const std::function<Variant(const QString&)>& row, const Variant& value)>;

    using Bookmark = int;

    Recordset();
    ~Recordset();
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;

    void open(const QString& source, std::shared_ptr<Connection> connection, const Options& options);
    void close(); // raises when the recordset is not open, as the runtime did
    bool isOpen() const { return m_open; }
    std::shared_ptr<Connection> activeConnection() const { return m_connection; }
    const QString& source() const { return m_source; }

    // Runs the source again and stands on the first row; the filter and sort are kept. When the
    // database has not changed since the rows were read, they are kept as they are.
    void requery();

    void moveFirst();
    void moveLast();
    void moveNext();
    void movePrevious();
    bool isEOF() const;
    bool isBOF() const;
    int recordCount() const;

    // Searches forward from the current row, the current row included; nothing found leaves
    // the recordset past its last row.
    bool find(const QString& column, const Variant& value);

    void setFilter(const std::vector<Criterion>& criteria);
    void setFilter(const QString& column, const Variant& value) { setFilter({{column, value}}); }
    void clearFilter() { setFilter(std::vector<Criterion>{}); }
    const std::vector<Criterion>& filter() const { return m_filter; }

    // "Alias", "UID DESC", "A, B DESC"; the empty text restores the query's order.
    void setSort(const QString& sort);
    const QString& sort() const { return m_sort; }

    Bookmark bookmark() const;
    void setBookmark(Bookmark bookmark);

    // Asks for a local index on a column. Every column is indexed when a Find or Filter first
    // needs it, so Find and Filter look rows up instead of scanning.
    void optimize(const QString& column);

    int fieldCount() const { return static_cast<int>(m_columns.size()); }
    QString fieldName(int index) const;
    bool hasField(const QString& name) const { return columnIndex(name) >= 0; }
    Variant field(const QString& name) const;
    Variant field(int index) const;
    void setField(const QString& name, const Variant& value);

    void addNew();
    void update();
    void cancelUpdate();
    void deleteCurrent();
    bool editInProgress() const { return m_edit.has_value(); }

    void setJoinedColumnWriter(const QString& column, JoinedColumnWriter writer);

private:
    struct Cell {
        enum Kind : quint8 { Null, Integer, Double, Text, Blob };
        Kind kind = Null;
        quint32 length = 0;
        union {
            qint64 integer;
            double real;
            quint64 offset;
        };
        Cell()
            : integer(0)
        {
        }
    };
    struct Column {
        QString name;
        bool isDate = false;
    };
    struct Edit {
        int row = -1; // -1: a new row being added
        std::vector<std::optional<Variant>> values;
    };

    void load();
    void storeRow(int row, const std::vector<Variant>& values);
    Cell makeCell(const Variant& value);
    Variant cellValue(int row, int column) const;
    Variant presented(int column, const Variant& stored) const;
    QByteArray cellKey(const Cell& cell) const;
    const Cell& cell(int row, int column) const { return m_cells[size_t(row) * m_columns.size() + size_t(column)]; }

    int columnIndex(const QString& name) const;
    int requireColumn(const QString& name) const;
    int currentRow() const;
    int requireCurrentRow() const;
    void requireOpen() const;
    void requireWritable() const;
    void finishPendingEdit();

    bool matches(int row, int column, const QByteArray& key) const;
    const std::vector<int>& index(int column);
    std::vector<int> lookup(int column, const QByteArray& key);
    void rebuildView();
    int viewSize() const;
    int viewRow(int position) const;
    int viewPositionOf(int row) const;
    void leaveDeletedRow();

    Variant normalizedForColumn(int column, const Variant& value) const;
    std::vector<Variant> readRowFromSource(const Variant& key);
    std::vector<Variant> readRowFromSourceOrThrow(const Variant& key);
    void insertRow();
    void updateRow();
    void resyncRow(int row, const Variant& key);
    QString targetName() const;

    bool m_open = false;
    QString m_source;
    std::shared_ptr<Connection> m_connection;
    Options m_options;
    QHash<QString, JoinedColumnWriter> m_joinedWriters;

    std::vector<Column> m_columns;
    QHash<QString, int> m_columnByName; // lower-case name
    std::vector<Cell> m_cells;
    std::string m_arena;
    std::vector<bool> m_deleted;
    int m_rowCount = 0;
    int m_deletedCount = 0;
    qint64 m_loadedDataVersion = -1;
    qint64 m_loadedTotalChanges = -1;

    std::vector<Criterion> m_filter;
    QString m_sort;
    std::optional<std::vector<int>> m_view;                 // rows in order; none = every row in query order
    mutable std::optional<QHash<int, int>> m_positionOfRow; // only for sorted views
    int m_position = 0;                                     // -1 BOF, viewSize() EOF
    bool m_currentDeleted = false;                          // the current row was deleted; m_position holds its successor

    std::vector<std::optional<std::vector<int>>> m_indexes; // per column: rows ordered by key
    std::vector<int> m_lookupCounts;                        // per column: lookups since the rows were read
    QSet<int> m_optimized;
    int m_rowBeforeRequery = -1; // the current row when a requery found nothing changed                                   //
                                 // columns indexed from their first lookup
    std::optional<Edit> m_edit;
};
