#include "db/RecordsetFreshness.h"

#include "db/ComparisonKey.h"
#include "db/RecordsetIndexes.h"
#include "db/RecordsetRows.h"
#include "db/RecordsetSource.h"
#include "db/Sqlite.h"

RecordsetFreshness::RecordsetFreshness(const RecordsetSource& source, RecordsetRows& rows, RecordsetIndexes& indexes)
    : m_source(source),
      m_rows(rows),
      m_indexes(indexes)
{
}

RecordsetFreshness::Counters RecordsetFreshness::countersBeforeRead() const
{
    SqliteDb& db = m_source.db();
    Counters counters;
    counters.dataVersion = db.dataVersion();
    counters.totalChanges = db.totalChanges();
    counters.tables = ChangeTracking::tablesReadBy(db, m_source.text());
    // The tables read before stay the tables read, but for a schema change, which the stamp sees.
    counters.stamp = ChangeTracking::stamp(db, counters.tables, counters.tables == m_read.tables ? m_read.stamp : std::nullopt);
    counters.rowChange = ChangeTracking::lastRowChange(db);
    return counters;
}

void RecordsetFreshness::rowsRead(Counters counters)
{
    m_read = std::move(counters);
    m_stale = false;
}

bool RecordsetFreshness::changedSinceRead()
{
    if (m_stale || m_rows.deletedCount() != 0)
        return true;
    SqliteDb& db = m_source.db();
    const qint64 dataVersion = db.dataVersion();
    const qint64 totalChanges = db.totalChanges();
    // Rows read while nothing has been written anywhere are still the database's rows.
    if (dataVersion == m_read.dataVersion && totalChanges == m_read.totalChanges)
        return false;
    // Something was written somewhere; the counters tell whether it touched this source.
    if (!m_read.stamp || ChangeTracking::stamp(db, m_read.tables, m_read.stamp) != m_read.stamp)
        return true;
    // Unchanged as of the versions taken before the counters were read: a later change moves them.
    m_read.dataVersion = dataVersion;
    m_read.totalChanges = totalChanges;
    return false;
}

bool RecordsetFreshness::refreshChangedRows()
{
    constexpr int kMostRowsRefreshed = 64;
    const QString& keyName = m_source.keyColumn();
    if (m_stale || m_rows.deletedCount() != 0 || !m_read.rowChange || !m_read.stamp || m_read.tables.size() != 1
        || keyName.isEmpty())
        return false;
    const int keyColumn = m_rows.columnIndex(keyName);
    if (keyColumn < 0)
        return false;
    SqliteDb& db = m_source.db();
    const qint64 dataVersion = db.dataVersion();
    const qint64 totalChanges = db.totalChanges();
    // Taken before the journal: a change landing in between is read now and again next time.
    const std::optional<ChangeTracking::Stamp> stamp = ChangeTracking::stamp(db, m_read.tables, m_read.stamp);
    if (!stamp || stamp->schemaVersion != m_read.stamp->schemaVersion)
        return false;
    const std::optional<ChangeTracking::ChangedRows> changed =
        ChangeTracking::rowsChangedSince(db, m_read.tables.first(), keyName, *m_read.rowChange, kMostRowsRefreshed);
    if (!changed)
        return false;

    std::vector<int> ordering;
    for (const QString& name : m_source.options().orderedBy)
        ordering.push_back(m_rows.columnIndex(name));
    std::vector<std::pair<int, std::vector<Variant>>> rows;
    for (const QString& key : changed->keys) {
        const std::optional<QByteArray> wanted = ComparisonKey::ofValue(Variant(key));
        const std::vector<int> candidates = wanted ? m_indexes.lookup(keyColumn, ComparisonKey::view(*wanted)) : std::vector<int>();
        if (candidates.size() != 1)
            return false;
        std::vector<Variant> values = m_source.readRow(Variant(key));
        if (values.size() != size_t(m_rows.columnCount()))
            return false;
        for (const int c : ordering)
            if (c < 0 || m_rows.presented(c, values[size_t(c)]) != m_rows.value(candidates.front(), c))
                return false;
        rows.emplace_back(candidates.front(), std::move(values));
    }
    for (const auto& [row, values] : rows)
        m_indexes.writeRow(row, values);
    m_read.stamp = stamp;
    m_read.rowChange = changed->last;
    m_read.dataVersion = dataVersion;
    m_read.totalChanges = totalChanges;
    return true;
}

bool RecordsetFreshness::unchangedSinceRead() const
{
    return m_read.stamp && ChangeTracking::stamp(m_source.db(), m_read.tables, m_read.stamp) == m_read.stamp;
}

RecordsetFreshness::OwnWrite RecordsetFreshness::ownWrite() const
{
    SqliteDb& db = m_source.db();
    return {ChangeTracking::stamp(db, m_read.tables, m_read.stamp), ChangeTracking::lastRowChange(db)};
}

void RecordsetFreshness::adopt(const OwnWrite& write)
{
    if (m_stale || !write.stamp)
        return;
    m_read.stamp = write.stamp;
    m_read.rowChange = write.rowChange;
}
