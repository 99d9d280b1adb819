#pragma once

#include "db/RecordsetFreshness.h"
#include "db/RecordsetIndexes.h"
#include "db/RecordsetRows.h"
#include "db/RecordsetShown.h"
#include "db/RecordsetSource.h"
#include "db/RecordsetView.h"
#include "db/RecordsetWriter.h"
#include "runtime/Variant.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class Connection;

// A keyset recordset held in memory, like a client-side cursor: the rows of one query, a current
// row, a filter, a sort, bookmarks, and writes that go to the database at once.
//
// Writes go to one write target: a base table or a view that carries INSTEAD OF triggers, named
// by the source text ("select ... from X ...") or given at open; rows are found there by the key
// column. Updates are optimistic: the written columns must still hold what the user was shown
// of them, or what was read where no window marked that.
//
// The jobs are parts of their own, which this class puts together: the rows of the last read
// (RecordsetRows), lookups by value (RecordsetIndexes), the filtered and sorted view with the
// current row (RecordsetView), the writes (RecordsetWriter), and whether the rows are still the
// database's (RecordsetFreshness).
class Recordset {
public:
    using Options = RecordsetOptions;
    using JoinedColumnWriter = RecordsetWriter::JoinedColumnWriter;
    using Bookmark = RecordsetBookmark;
    using KeyCursor = RecordsetIndexes::KeyCursor;

    Recordset();
    ~Recordset();
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;

    // A source that cannot be read to its end leaves the recordset closed.
    void open(const QString& source, std::shared_ptr<Connection> connection, const Options& options);
    void close(); // raises "Operation is not allowed when the object is closed." when not open
    bool isOpen() const { return m_open; }
    std::shared_ptr<Connection> activeConnection() const { return m_source.connection(); }
    const QString& source() const { return m_source.text(); }

    // Runs the source again and stands on the first row; the filter and sort are kept. When the
    // database has not changed since the rows were read, they are kept as they are. A requery
    // that fails keeps the previous rows and the current row, and raises the error.
    void requery();
    // Whether the next requery has anything to read again.
    bool changedSinceRead();
    // Counts every complete read of the rows; a requery that only refreshed changed rows in place
    // leaves it as it is.
    quint64 loadNumber() const { return m_rows.loadNumber(); }

    void moveFirst() { move(RecordsetView::Move::First); }
    void moveLast() { move(RecordsetView::Move::Last); }
    void moveNext() { move(RecordsetView::Move::Next); }
    void movePrevious() { move(RecordsetView::Move::Previous); }
    bool isEOF() const;
    bool isBOF() const;
    int recordCount() const;

    // Searches forward from the current row, the current row included; nothing found leaves
    // the recordset past its last row.
    bool find(const QString& column, const Variant& value);

    void setFilter(const std::vector<Criterion>& criteria);
    void setFilter(const QString& column, const Variant& value) { setFilter({{column, value}}); }
    void clearFilter() { setFilter(std::vector<Criterion>{}); }
    const std::vector<Criterion>& filter() const { return m_view.filter(); }

    // "Alias", "UID DESC", "A, B DESC"; the empty text restores the query's order.
    void setSort(const QString& sort);
    const QString& sort() const { return m_view.sort(); }

    Bookmark bookmark() const;
    // Raises 3021 when the bookmark's row is gone or hidden by the filter; never stands elsewhere.
    void setBookmark(const Bookmark& bookmark);

    // What the last read holds, read by row number without moving: the current row, the filter
    // and the sort stay as they are, and deleted rows are left out. For answers worked out from
    // the rows already held instead of by another query.
    int columnNumber(const QString& name) const { return m_rows.columnIndex(name); } // -1 when missing
    // A value's comparison key, as Find and Filter compare; none for Null.
    static std::optional<QByteArray> keyOf(const Variant& value);
    // A cell's key written over `key`; false for Null.
    bool keyAt(int row, int column, std::string& key) const;
    // The rows whose column holds the key, in row order, through the column's index.
    std::vector<int> rowsWithKey(int column, std::string_view key);
    Variant valueAt(int row, int column) const { return m_rows.value(row, column); }
    // The cell as stored, without a copy: a text's or blob's bytes point into the rows held, so
    // read them before anything can requery, open or close the recordset; keep a copy, not the cell.
    RowStore::Cell cellAt(int row, int column) const { return m_rows.cell(row, column); }
    // Many keys looked up one after another in ascending order, the column's index walked once.
    KeyCursor keyCursor(int column);

    int fieldCount() const { return m_rows.columnCount(); }
    QString fieldName(int index) const;
    bool hasField(const QString& name) const { return m_rows.columnIndex(name) >= 0; }
    Variant field(const QString& name) const;
    Variant field(int index) const;
    void setField(const QString& name, const Variant& value);

    void addNew();
    // Succeeds when the database took the change, even if reading the row back afterwards
    // fails: the row then shows what was written and is read again at the next requery.
    using Unmarked = RecordsetWriter::Unmarked;
    void update(Unmarked unmarked = Unmarked::Reported);
    void cancelUpdate() { m_writer.cancel(); }
    void deleteCurrent();
    bool editInProgress() const { return m_writer.editInProgress(); }

    void setJoinedColumnWriter(const QString& column, JoinedColumnWriter writer);

    // What the user is shown: a window that has just shown the current row (or every row the
    // filter lets through) marks it, in the columns it shows (all when none are named). An update
    // then refuses when the database no longer holds the value shown, whatever was read since.
    void markShown(const QStringList& columns = {});
    // The same for the row with this key, wherever the recordset stands; nothing when none has it.
    void markShown(const Variant& key, const QStringList& columns);
    void markFilteredRowsShown(const QStringList& columns = {});
    // What the user was shown in a column of the current row; the value read where no window
    // marked it.
    Variant shownField(const QString& name) const;

private:
    void markRowShown(int row, const QStringList& columns);
    QByteArray rowKey(int row) const; // empty when the recordset has no key column
    void load();
    void requireOpen() const;
    void move(RecordsetView::Move to);

    bool m_open = false;
    RecordsetSource m_source;
    RecordsetRows m_rows; // one load: replaced only by a read that completed
    RecordsetIndexes m_indexes{m_rows};
    RecordsetFreshness m_freshness{m_source, m_rows, m_indexes};
    RecordsetView m_view{m_rows, m_indexes, m_source, [this] { m_writer.update(); }};
    RecordsetShown m_shown;
    RecordsetWriter m_writer{m_source, m_rows, m_indexes, m_view, m_freshness, m_shown};
};
