#pragma once

#include <QStringList>
#include <QtGlobal>
#include <optional>

class SqliteDb;

// Per-table change counters kept by the database itself: triggers add one to a table's counter on
// every insert, update and delete, whichever connection makes it, as a server's change tracking
// does, and note the row's key in a journal of the latest row changes. A reader that remembers the counters of the tables it read
// can tell whether its rows are still the database's without reading them again.
namespace ChangeTracking {

// What a set of tables looked like; equal stamps mean none of them changed and the schema did not.
struct Stamp {
    qint64 schemaVersion = 0;
    qint64 changes = 0;
    bool operator==(const Stamp&) const = default;
};

// Adds the counter table and the triggers for every table of the database that has none yet.
void install(SqliteDb& db);

// The base tables a statement reads, views seen through; throws when the text does not compile.
QStringList tablesReadBy(SqliteDb& db, const QString& sql);

// The newest entry of the row journal (0 when it is empty), nothing when there is no journal.
std::optional<qint64> lastRowChange(SqliteDb& db);

// The keys of a table's rows inserted, updated or deleted after journal entry `since`, in the
// table's key column `keyColumn`, and the newest entry seen. Nothing when the journal cannot tell
// (none kept, entries after `since` already pruned, the table keyed otherwise) or when more than
// `limit` rows changed.
struct ChangedRows {
    QStringList keys;
    qint64 last = 0;
};
std::optional<ChangedRows> rowsChangedSince(SqliteDb& db, const QString& table, const QString& keyColumn, qint64 since, int limit);

// Nothing when the database keeps no counter for one of the tables, or a table's changes no
// longer reach it (its counting triggers gone or changed): then nothing can be told. `earlier`, a
// stamp of the same tables, spares looking at the triggers again while the schema is as it was.
std::optional<Stamp> stamp(SqliteDb& db, const QStringList& tables, const std::optional<Stamp>& earlier = std::nullopt);

} // namespace ChangeTracking
