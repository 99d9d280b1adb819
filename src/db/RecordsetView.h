#pragma once

#include "runtime/Variant.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

class RecordsetIndexes;
class RecordsetRows;
class RecordsetSource;

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
    friend class RecordsetView;
    quint64 m_load = 0;
    int m_row = -1;
    QByteArray m_key; // the row's key as compared; empty when the recordset has no key column
};

// The rows a recordset shows and where it stands among them: the filter and the sort over the
// rows of the last read, the moves, Find and bookmarks.
class RecordsetView {
public:
    // `leavingRow` runs before the view leaves the current row, so that an edit of it is
    // written first.
    RecordsetView(const RecordsetRows& rows, RecordsetIndexes& indexes, const RecordsetSource& source,
                  std::function<void()> leavingRow);

    // The view built anew over the rows, standing on the first row. `unchangedRow`: the row that
    // was current when a requery found nothing changed, -1 otherwise; Find comes back to it first.
    // When the filter or sort names a column the rows lack, shows no rows and raises.
    void restart(int unchangedRow = -1);
    void reset(); // no filter, no sort
    void clear(); // lets the view go, on close

    int currentRow() const; // -1 when there is none
    int requireCurrentRow() const;

    enum class Move { First, Last, Next, Previous };
    void move(Move to);
    bool isEOF() const;
    bool isBOF() const;
    int count() const { return size(); }
    // The rows the filter lets through, in the view's order.
    std::vector<int> rows() const;

    bool find(const QString& column, const Variant& value);
    void setFilter(const std::vector<Criterion>& criteria);
    const std::vector<Criterion>& filter() const { return m_filter; }
    void setSort(const QString& sort);
    const QString& sort() const { return m_sort; }

    RecordsetBookmark bookmark() const;
    void setBookmark(const RecordsetBookmark& bookmark);

    // A row added by an insert: shown whatever the filter, and made current.
    void showAddedRow(int row);
    // The current row was deleted: it stays current (reads fail) until the next move.
    void showDeletedCurrentRow();

private:
    void rebuild();
    int size() const;
    int rowAt(int position) const;
    int positionOf(int row) const;
    int keyColumn() const;
    void leaveDeletedRow() { m_currentDeleted = false; }

    const RecordsetRows& m_rows;
    RecordsetIndexes& m_indexes;
    const RecordsetSource& m_source;
    std::function<void()> m_leavingRow;

    std::vector<Criterion> m_filter;
    QString m_sort;
    std::optional<std::vector<int>> m_view;                 // rows in order; none = every row in query order
    mutable std::optional<QHash<int, int>> m_positionOfRow; // only for sorted views
    int m_position = 0;                                     // -1 BOF, size() EOF
    bool m_currentDeleted = false;                          // the current row was deleted; m_position holds its successor
    int m_unchangedRow = -1;                                // the current row when a requery found nothing changed
};
