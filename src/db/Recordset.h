#pragma once

#include "db/ChangeTracking.h"
#include "db/RowStore.h"
#include "runtime/Variant.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class Connection;

enum class LockType { ReadOnly = 1, Pessimistic = 2, Optimistic = 3 };

// How a write refuses when what it would replace changed since it was read ("Row cannot be
// located for updating..."): the recordsets' optimistic updates, and writers that check their
// rows themselves, so that another program's change is never overwritten without a word.
[[noreturn]] void rowCannotBeLocated();

// One condition of a Find or a Filter: the column equals the value. Values are compared by
// their text, without regard to letter case, so an integer column matches '1' and ids match in
// any case. Null never matches.
struct Criterion {
    QString column;
    Variant value;
};

// Names one row of a recordset: by its place in the rows of one load, and by its key, so that
// after a requery read the rows anew it finds the same record again or none at all.
class RecordsetBookmark {
public:
    RecordsetBookmark() = default;
    bool operator==(const RecordsetBookmark& other) const { return m_load == other.m_load && m_row == other.m_row; }

private:
    friend class Recordset;
    quint64 m_load = 0;
    int m_row = -1;
    QByteArray m_key; // the row's key as compared; empty when the recordset has no key column
};

// A keyset recordset held in memory, as the program's client-side cursors were: the rows of one
// query, a current row, a filter, a sort, bookmarks, and writes that go to the database at once.
//
// Writes go to one write target: a base table or a view that carries INSTEAD OF triggers, named
// by the source text ("select ... from X ...") or given at open; rows are found there by the key
// column. Updates are optimistic: the written columns must still hold what was read.
class Recordset {
    struct Index;

public:
    struct Options {
        LockType lock = LockType::ReadOnly;
        QString keyColumn;   // row identity in the write target; ids of new rows are made for it
        QString writeTarget; // where writes go when the source is not a single table or view
    };
    // Writes a column that the write target does not hold (a joined column) for the current row.
    // Runs inside the update's savepoint; `row` reads the row's values after the change. A column
    // with a writer always goes through it, on update and on insert alike.
    using JoinedColumnWriter =
        std::function<void(Connection&, const std::function<Variant(const QString&)>& row, const Variant& value)>;

    using Bookmark = RecordsetBookmark;

    Recordset();
    ~Recordset();
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;

    // A source that cannot be read to its end leaves the recordset closed.
    void open(const QString& source, std::shared_ptr<Connection> connection, const Options& options);
    void close(); // raises when the recordset is not open, as the runtime did
    bool isOpen() const { return m_open; }
    std::shared_ptr<Connection> activeConnection() const { return m_connection; }
    const QString& source() const { return m_source; }

    // Runs the source again and stands on the first row; the filter and sort are kept. When the
    // database has not changed since the rows were read, they are kept as they are. A requery
    // that fails keeps the previous rows and the current row, and raises the error.
    void requery();
    // Whether the next requery has anything to read again.
    bool changedSinceRead();
    // Counts every complete read of the rows; a requery that only refreshed changed rows in place
    // leaves it as it is.
    quint64 loadNumber() const { return m_loadId; }

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
    // Raises 3021 when the bookmark's row is gone or hidden by the filter; never stands elsewhere.
    void setBookmark(const Bookmark& bookmark);

    // What the last read holds, read by row number without moving: the current row, the filter
    // and the sort stay as they are, and deleted rows are left out. For answers worked out from
    // the rows already held instead of by another query.
    int columnNumber(const QString& name) const { return columnIndex(name); } // -1 when missing
    // A value's comparison key, as Find and Filter compare; none for Null.
    static std::optional<QByteArray> keyOf(const Variant& value);
    // A cell's key written over `key`; false for Null.
    bool keyAt(int row, int column, std::string& key) const;
    // The rows whose column holds the key, in row order, through the column's index.
    std::vector<int> rowsWithKey(int column, std::string_view key);
    Variant valueAt(int row, int column) const { return cellValue(row, column); }
    RowStore::Cell cellAt(int row, int column) const { return cell(row, column); }
    // Many keys looked up one after another, in ascending order of their bytes: each search goes
    // on from where the last one ended, so the index is walked once instead of searched from the
    // top each time. A key lower than the last one searches from the top again. Valid while the
    // recordset's rows stay as they are.
    class KeyCursor {
    public:
        int firstRow(std::string_view key); // the first live row holding the key, or -1

    private:
        friend class Recordset;
        KeyCursor(Recordset& rs, int column);
        Recordset& m_rs;
        const Index* m_index;
        size_t m_at = 0;
    };
    KeyCursor keyCursor(int column);

    int fieldCount() const { return static_cast<int>(m_columns.size()); }
    QString fieldName(int index) const;
    bool hasField(const QString& name) const { return columnIndex(name) >= 0; }
    Variant field(const QString& name) const;
    Variant field(int index) const;
    void setField(const QString& name, const Variant& value);

    void addNew();
    // Succeeds when the database took the change, even if reading the row back afterwards
    // fails: the row then shows what was written and is read again at the next requery.
    void update();
    void cancelUpdate();
    void deleteCurrent();
    bool editInProgress() const { return m_edit.has_value(); }

    void setJoinedColumnWriter(const QString& column, JoinedColumnWriter writer);

private:
    using Cell = RowStore::Cell;
    struct Column {
        QString name;
        bool isDate = false;
    };
    struct Edit {
        int row = -1; // -1: a new row being added
        std::vector<std::optional<Variant>> values;
    };
    // A column's rows in the order of their comparison keys, equal keys in row order; the keys are
    // folded once, when the index is built, so a probe compares bytes.
    struct Index {
        struct Entry {
            quint64 prefix; // the key's first eight bytes, big-endian: most comparisons end here
            quint32 offset;
            quint32 length;
            int row;
        };
        std::vector<Entry> entries;
        std::string keys;
        std::string_view key(const Entry& e) const { return {keys.data() + e.offset, e.length}; }
        static quint64 prefixOf(std::string_view key);
        // Orders an entry against a key and its prefix.
        int compare(const Entry& e, quint64 prefix, std::string_view key) const
        {
            if (e.prefix != prefix)
                return e.prefix < prefix ? -1 : 1;
            return this->key(e).compare(key);
        }
        // Entries in key order, equal keys in row order.
        bool less(const Entry& a, const Entry& b) const
        {
            const int order = compare(a, b.prefix, key(b));
            return order < 0 || (order == 0 && a.row < b.row);
        }
    };
    // What one update or insert writes: target columns, and joined columns through their writers.
    struct WritePlan {
        QStringList columns; // quoted
        std::vector<Variant> values;
        std::vector<std::pair<int, Variant>> joined;
    };

    void load();
    void storeRow(int row, const std::vector<Variant>& values);
    RowStore::Word storedWord(const Variant& value);
    Variant cellValue(int row, int column) const;
    Variant presented(int column, const Variant& stored) const;
    QByteArray cellKey(const Cell& cell) const;
    Cell cell(int row, int column) const { return m_rows.cell(row, column); }
    int rowCount() const { return m_rows.rowCount(); }

    int columnIndex(const QString& name) const;
    int requireColumn(const QString& name) const;
    int currentRow() const;
    int requireCurrentRow() const;
    void requireOpen() const;
    void requireWritable() const;
    void finishPendingEdit();

    bool matches(int row, int column, const QByteArray& key) const;
    const Index& index(int column);
    void indexRow(int column, int row);
    void unindexRow(int column, int row);
    std::pair<std::vector<Index::Entry>::const_iterator, std::vector<Index::Entry>::const_iterator>
    indexRange(int column, std::string_view key);
    bool useIndex(int column);
    std::vector<int> lookup(int column, std::string_view key);
    void rebuildView();
    int viewSize() const;
    int viewRow(int position) const;
    int viewPositionOf(int row) const;
    void leaveDeletedRow();

    Variant normalizedForColumn(int column, const Variant& value) const;
    bool changesRowOrder(const Edit& edit) const;
    bool refreshChangedRows();
    QStringList orderingColumns() const;
    std::vector<Variant> readRowFromSource(const Variant& key);
    std::vector<Variant> readRowFromSourceOrThrow(const Variant& key);
    WritePlan planWrite(const Edit& edit, const QString& target);
    void insertRow(Edit& edit);
    void updateRow(const Edit& edit);
    void refreshWrittenRow(int row, const Variant& key, const Edit& edit);
    void resyncRow(int row, const Variant& key);
    QString targetName() const;

    bool m_open = false;
    QString m_source;
    std::shared_ptr<Connection> m_connection;
    Options m_options;
    QHash<QString, JoinedColumnWriter> m_joinedWriters;

    // One load: everything here is replaced together, and only by a read that completed.
    std::vector<Column> m_columns;
    QHash<QString, int> m_columnByName;             // lower-case name
    mutable QHash<QString, int> m_columnBySpelling; // names as callers write them, found without folding
    RowStore m_rows;
    std::vector<bool> m_deleted;
    int m_deletedCount = 0;
    quint64 m_loadId = 0;
    qint64 m_loadedDataVersion = -1;
    qint64 m_loadedTotalChanges = -1;
    // The tables the source reads and their change counters when the rows were read: a change on
    // another connection reloads only the recordsets whose tables it touched.
    QStringList m_sourceTables;
    std::optional<ChangeTracking::Stamp> m_loadedStamp;
    std::optional<qint64> m_loadedRowChange; // the row journal's newest entry when the rows were read
    bool m_stale = false;                    // a row may differ from the database: the next requery reads again

    std::vector<Criterion> m_filter;
    QString m_sort;
    std::optional<std::vector<int>> m_view;                 // rows in order; none = every row in query order
    mutable std::optional<QHash<int, int>> m_positionOfRow; // only for sorted views
    int m_position = 0;                                     // -1 BOF, viewSize() EOF
    bool m_currentDeleted = false;                          // the current row was deleted; m_position holds its successor

    std::vector<std::unique_ptr<Index>> m_indexes; // per column, built on demand
    std::vector<int> m_lookupCounts;               // per column: lookups since the rows were read
    int m_rowBeforeRequery = -1;                   // the current row when a requery found nothing changed
    std::optional<Edit> m_edit;
};
