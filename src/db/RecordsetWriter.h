#pragma once

#include "runtime/Variant.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

class Connection;
class RecordsetFreshness;
class RecordsetIndexes;
class RecordsetRows;
class RecordsetShown;
class RecordsetSource;
class RecordsetView;

// How a write refuses when what it would replace changed since it was read ("Row cannot be
// located for updating..."): the recordsets' optimistic updates, and writers that check their
// rows themselves, so that another program's change is never overwritten without a word.
[[noreturn]] void rowCannotBeLocated();

// How the database log's debug line begins when an update checks a column against the value read
// because no window marked what the user was shown of it; the table and column follow.
inline constexpr char kUnmarkedCheck[] = "An update is checked against the value read, not a value shown: ";

// A recordset's writes: the edit of the current row or of a new one, written to the write
// target at once at update, inside a savepoint, the row then read back as the database shows
// it. Rows are found in the target by the key column. Updates are optimistic: the columns
// written must still hold what the user was shown of them (RecordsetShown), or, where no window
// marked that, what was read.
class RecordsetWriter {
public:
    // Writes a column that the write target does not hold (a joined column) for the current row.
    // Runs inside the update's savepoint; `row` reads the row's values after the change. A column
    // with a writer always goes through it, on update and on insert alike.
    using JoinedColumnWriter =
        std::function<void(Connection&, const std::function<Variant(const QString&)>& row, const Variant& value)>;

    RecordsetWriter(const RecordsetSource& source, RecordsetRows& rows, RecordsetIndexes& indexes, RecordsetView& view,
                    RecordsetFreshness& freshness, RecordsetShown& shown);

    void setJoinedColumnWriter(const QString& column, JoinedColumnWriter writer);

    bool editInProgress() const { return m_edit.has_value(); }
    // What the edit shows for a column: the value set, Null for the unset columns of a new row,
    // nothing when the row's own value shows.
    std::optional<Variant> editedValue(int column) const;
    void setField(const QString& column, const Variant& value);
    void addNew();
    void cancel() { m_edit.reset(); }
    // Whether a written column that no window marked shown is a slip, reported on the database
    // log, or what the writer means: a command that acts on rows as stored (all keys at once),
    // or a row whose editor checks it itself.
    enum class Unmarked { Reported, Expected };
    // Succeeds when the database took the change, even if reading the row back afterwards
    // fails: the row then shows what was written and is read again at the next requery.
    void update(Unmarked unmarked = Unmarked::Reported);
    void deleteCurrent();

private:
    struct Edit {
        int row = -1; // -1: a new row being added
        std::vector<std::optional<Variant>> values;
    };
    // What one update or insert writes: target columns, and joined columns through their writers.
    struct WritePlan {
        QStringList columns; // quoted
        std::vector<Variant> values;
        std::vector<std::pair<int, Variant>> joined;
    };

    void requireWritable() const;
    void requireKeyColumn() const;
    Edit newEdit(int row) const;
    WritePlan planWrite(const Edit& edit, const QString& target) const;
    void writeJoinedColumns(const WritePlan& plan, const Edit& edit);
    void insertRow(Edit& edit);
    void updateRow(const Edit& edit, Unmarked unmarked);
    bool changesRowOrder(const Edit& edit) const;
    void refreshWrittenRow(int row, const Variant& key, const Edit& edit);
    void resyncRow(int row, const Variant& key);
    // What the check compares a written column with: the value shown, else the value read.
    Variant reference(int row, const QByteArray& rowKey, int column, Unmarked unmarked) const;
    // The written columns now show the row's values: the editor shows what was written, or, after
    // a refusal, what is stored.
    void followShown(int row, const QByteArray& rowKey, const Edit& edit);

    const RecordsetSource& m_source;
    RecordsetRows& m_rows;
    RecordsetIndexes& m_indexes;
    RecordsetView& m_view;
    RecordsetFreshness& m_freshness;
    RecordsetShown& m_shown;
    QHash<QString, JoinedColumnWriter> m_joinedWriters; // by lower-case column name
    std::optional<Edit> m_edit;
};
