#include "db/RecordsetWriter.h"

#include "db/ComparisonKey.h"
#include "db/Connection.h"
#include "db/RecordsetFreshness.h"
#include "db/RecordsetIndexes.h"
#include "db/RecordsetRows.h"
#include "db/RecordsetShown.h"
#include "db/RecordsetSource.h"
#include "db/RecordsetView.h"
#include "db/Sqlite.h"
#include "runtime/ErrorHandling.h"
#include "runtime/RuntimeError.h"

#include <QSet>
#include <QUuid>

namespace {

QString newObjectId()
{
    return QUuid::createUuid().toString(QUuid::WithBraces).toUpper();
}

} // namespace

void rowCannotBeLocated()
{
    throwError(ErrorNumber::RowCannotBeLocated,
               QStringLiteral("Row cannot be located for updating. Some values may have been changed since it was last read."));
}

RecordsetWriter::RecordsetWriter(const RecordsetSource& source, RecordsetRows& rows, RecordsetIndexes& indexes, RecordsetView& view,
                                 RecordsetFreshness& freshness, RecordsetShown& shown)
    : m_source(source),
      m_rows(rows),
      m_indexes(indexes),
      m_view(view),
      m_freshness(freshness),
      m_shown(shown)
{
}

void RecordsetWriter::setJoinedColumnWriter(const QString& column, JoinedColumnWriter writer)
{
    m_joinedWriters.insert(column.toLower(), std::move(writer));
}

void RecordsetWriter::requireWritable() const
{
    if (m_source.options().lock == LockType::ReadOnly)
        refuseUpdate(QStringLiteral("Current Recordset does not support updating. This may be a limitation of the "
                                    "provider, or of the selected locktype."));
}

void RecordsetWriter::requireKeyColumn() const
{
    if (m_source.keyColumn().isEmpty())
        refuseUpdate(QStringLiteral("Insufficient key column information for updating or refreshing."));
}

RecordsetWriter::Edit RecordsetWriter::newEdit(int row) const
{
    Edit edit;
    edit.row = row;
    edit.values.resize(size_t(m_rows.columnCount()));
    return edit;
}

std::optional<Variant> RecordsetWriter::editedValue(int column) const
{
    if (!m_edit)
        return std::nullopt;
    if (m_edit->values[size_t(column)])
        return m_edit->values[size_t(column)];
    if (m_edit->row < 0)
        return Variant::null();
    return std::nullopt;
}

void RecordsetWriter::setField(const QString& column, const Variant& value)
{
    requireWritable();
    const int c = m_rows.requireColumn(column);
    const Variant normalized = m_rows.normalized(c, value);
    if (!m_edit)
        m_edit = newEdit(m_view.requireCurrentRow());
    m_edit->values[size_t(c)] = normalized;
}

void RecordsetWriter::addNew()
{
    requireWritable();
    if (m_edit)
        update();
    m_edit = newEdit(-1);
}

void RecordsetWriter::update(Unmarked unmarked)
{
    if (!m_edit)
        return;
    requireWritable();
    requireKeyColumn();
    Edit edit = std::move(*m_edit);
    m_edit.reset();
    if (edit.row < 0)
        insertRow(edit);
    else
        updateRow(edit, unmarked);
}

// One rule for update and insert: a column with a joined writer goes through the writer, any
// other column must be one of the write target's own.
RecordsetWriter::WritePlan RecordsetWriter::planWrite(const Edit& edit, const QString& target) const
{
    QSet<QString> writable;
    Statement st(m_source.db(), QStringLiteral("SELECT name FROM pragma_table_info(?)"));
    st.bind(1, target);
    while (st.step())
        writable.insert(st.column(0).toText().toLower());

    WritePlan plan;
    for (int c = 0; c < m_rows.columnCount(); ++c) {
        if (!edit.values[size_t(c)])
            continue;
        const QString& name = m_rows.column(c).name;
        const QString lower = name.toLower();
        if (m_joinedWriters.contains(lower)) {
            plan.joined.emplace_back(c, *edit.values[size_t(c)]);
        } else if (writable.contains(lower)) {
            plan.columns << quoteIdentifier(name);
            plan.values.push_back(*edit.values[size_t(c)]);
        } else {
            refuseUpdate(QStringLiteral("Cannot update '%1'; field not updateable.").arg(name));
        }
    }
    return plan;
}

// The joined writers see the row as the edit leaves it.
void RecordsetWriter::writeJoinedColumns(const WritePlan& plan, const Edit& edit)
{
    auto rowValue = [&](const QString& name) {
        const int c = m_rows.requireColumn(name);
        if (edit.values[size_t(c)])
            return *edit.values[size_t(c)];
        return edit.row >= 0 ? m_rows.value(edit.row, c) : Variant::null();
    };
    for (const auto& [column, value] : plan.joined)
        m_joinedWriters.value(m_rows.column(column).name.toLower())(*m_source.connection(), rowValue, value);
}

void RecordsetWriter::updateRow(const Edit& edit, Unmarked unmarked)
{
    const int row = edit.row;
    const Variant key = m_rows.value(row, m_rows.requireColumn(m_source.keyColumn()));
    const QByteArray rowKey = ComparisonKey::ofValue(key).value_or(QByteArray());
    SqliteDb& db = m_source.db();
    std::optional<RecordsetFreshness::OwnWrite> ownWrite;
    // A caller's transaction may yet be rolled back, and the next write anywhere can then bring
    // back the very counts taken after this one: the rows are read again at the next requery.
    const bool callersTransaction = db.inTransaction();
    try {
        const QString target = m_source.writeTarget();
        WritePlan plan = planWrite(edit, target);
        Savepoint savepoint(db);
        // Inside the write's transaction nobody else writes: when the counters still stand where
        // the rows were read, the only change after this is our own, and the row read back
        // below shows it, so the next requery need not read everything again.
        const bool nothingElseChanged = !changesRowOrder(edit) && m_freshness.unchangedSinceRead();
        const std::vector<Variant> current = m_source.readRow(key);
        if (current.size() != size_t(m_rows.columnCount()))
            rowCannotBeLocated();
        for (int c = 0; c < m_rows.columnCount(); ++c)
            if (edit.values[size_t(c)] && m_rows.presented(c, current[size_t(c)]) != reference(row, rowKey, c, unmarked))
                rowCannotBeLocated();
        if (!plan.columns.isEmpty()) {
            QStringList assignments;
            for (const QString& column : std::as_const(plan.columns))
                assignments << column + QStringLiteral(" = ?");
            plan.values.push_back(key);
            db.execute(
                QStringLiteral("UPDATE %1 SET %2 WHERE %3 = ?")
                    .arg(quoteIdentifier(target), assignments.join(QStringLiteral(", ")), quoteIdentifier(m_source.keyColumn())),
                plan.values);
        }
        writeJoinedColumns(plan, edit);
        if (nothingElseChanged)
            ownWrite = m_freshness.ownWrite();
        savepoint.release();
    } catch (const RuntimeError&) {
        // A write that failed changes nothing here either: the row shows what the database holds.
        runStepSilently([&] { resyncRow(row, key); });
        followShown(row, rowKey, edit);
        throw;
    }
    refreshWrittenRow(row, key, edit);
    followShown(row, rowKey, edit);
    if (callersTransaction)
        m_freshness.markStale();
    if (ownWrite)
        m_freshness.adopt(*ownWrite);
}

// Whether an edit touches a column the source orders its rows by: the row read back would then
// stand in the wrong place until the rows are read again.
bool RecordsetWriter::changesRowOrder(const Edit& edit) const
{
    for (int c = 0; c < m_rows.columnCount(); ++c)
        if (edit.values[size_t(c)] && m_source.ordersBy(m_rows.column(c).name))
            return true;
    return false;
}

void RecordsetWriter::insertRow(Edit& edit)
{
    const int keyColumn = m_rows.requireColumn(m_source.keyColumn());
    std::optional<Variant>& keyValue = edit.values[size_t(keyColumn)];
    if (!keyValue || keyValue->isNull())
        keyValue = Variant(newObjectId());
    const Variant key = *keyValue;
    const QString target = m_source.writeTarget();
    SqliteDb& db = m_source.db();
    WritePlan plan = planWrite(edit, target);

    Savepoint savepoint(db);
    db.execute(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                   .arg(quoteIdentifier(target), plan.columns.join(QStringLiteral(", ")),
                        QStringList(plan.columns.size(), QStringLiteral("?")).join(QStringLiteral(", "))),
               plan.values);
    writeJoinedColumns(plan, edit);
    savepoint.release();

    // The new row joins the end of the rows, visible whatever the filter, until the next requery.
    const int row = m_rows.rowCount();
    refreshWrittenRow(row, key, edit);
    m_view.showAddedRow(row);
}

void RecordsetWriter::deleteCurrent()
{
    requireWritable();
    m_edit.reset();
    const int row = m_view.requireCurrentRow();
    requireKeyColumn();
    const Variant key = m_rows.value(row, m_rows.requireColumn(m_source.keyColumn()));
    const QString target = m_source.writeTarget();
    SqliteDb& db = m_source.db();
    Savepoint savepoint(db);
    if (m_source.readRow(key).size() != size_t(m_rows.columnCount()))
        throwError(ErrorNumber::RowCannotBeLocated,
                   QStringLiteral("Row cannot be located for deletion. Some values may have been changed since it was last read."));
    db.execute(QStringLiteral("DELETE FROM %1 WHERE %2 = ?").arg(quoteIdentifier(target), quoteIdentifier(m_source.keyColumn())),
               {key});
    savepoint.release();
    m_rows.markDeleted(row);
    m_view.showDeletedCurrentRow();
}

Variant RecordsetWriter::reference(int row, const QByteArray& rowKey, int column, Unmarked unmarked) const
{
    if (std::optional<Variant> shown = m_shown.value(rowKey, column))
        return *std::move(shown);
    // An editor that forgot to mark what it shows would check against whatever was read last,
    // and a change another program made before that read would be overwritten unseen.
    if (unmarked == Unmarked::Reported)
        qCDebug(lcDatabase).noquote().nospace() << kUnmarkedCheck << m_source.writeTarget() << "." << m_rows.column(column).name;
    return m_rows.value(row, column);
}

void RecordsetWriter::followShown(int row, const QByteArray& rowKey, const Edit& edit)
{
    for (int c = 0; c < m_rows.columnCount(); ++c)
        if (edit.values[size_t(c)])
            m_shown.follow(rowKey, c, m_rows.value(row, c));
}

void RecordsetWriter::resyncRow(int row, const Variant& key)
{
    const std::vector<Variant> values = m_source.readRow(key);
    if (values.size() == size_t(m_rows.columnCount())) {
        m_indexes.writeRow(row, values);
    } else if (values.empty() && !m_rows.isDeleted(row)) {
        // Another program deleted it: the row is gone here too.
        m_rows.markDeleted(row);
        if (m_view.currentRow() == row)
            m_view.showDeletedCurrentRow();
    }
}

// After a write the database took: the row as the database now shows it. A row that cannot be
// read back shows the values written, and the next requery reads everything again; the write
// stands either way.
void RecordsetWriter::refreshWrittenRow(int row, const Variant& key, const Edit& edit)
{
    try {
        std::vector<Variant> values = m_source.readRow(key);
        if (values.size() == size_t(m_rows.columnCount())) {
            m_indexes.writeRow(row, values);
            return;
        }
    } catch (const RuntimeError& e) {
        qCWarning(lcDatabase).noquote()
            << "A row written to the database could not be read back; it is read again at the next requery:" << databaseCause(e);
    }
    std::vector<Variant> values(size_t(m_rows.columnCount()), Variant::null());
    for (int c = 0; c < m_rows.columnCount(); ++c) {
        if (edit.values[size_t(c)])
            values[size_t(c)] = *edit.values[size_t(c)];
        else if (row < m_rows.rowCount())
            values[size_t(c)] = m_rows.value(row, c);
    }
    m_indexes.writeRow(row, values);
    m_freshness.markStale();
}
