#include "db/ChangeTracking.h"

#include "db/Sqlite.h"

#include <algorithm>
#include <cstring>
#include <sqlite3.h>

namespace ChangeTracking {

namespace {

const QString kCounterTable = QStringLiteral("TableChanges");
const QString kJournal = QStringLiteral("RowChanges");
// Entries kept in the journal: enough for the changes between two clicks of a busy site.
constexpr int kJournalLength = 4096;

int collectReads(void* tables, int action, const char* table, const char*, const char*, const char*)
{
    if (action == SQLITE_READ && table && std::strncmp(table, "sqlite_", 7) != 0) {
        auto* names = static_cast<QStringList*>(tables);
        const QString name = QString::fromUtf8(table);
        if (!names->contains(name, Qt::CaseInsensitive))
            names->append(name);
    }
    return SQLITE_OK;
}

bool hasTable(SqliteDb& db, const QString& table)
{
    return !db.scalar(QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ? COLLATE NOCASE"),
                      {Variant(table)})
                .isNull();
}

bool hasCounterTable(SqliteDb& db)
{
    return hasTable(db, kCounterTable);
}

// The table's key when it is one column; empty otherwise.
QString keyColumnOf(SqliteDb& db, const QString& table)
{
    Statement st(db, QStringLiteral("SELECT name FROM pragma_table_info(?) WHERE pk > 0"));
    st.bind(1, Variant(table));
    QStringList keys;
    while (st.step())
        keys << st.column(0).toText();
    return keys.size() == 1 ? keys.first() : QString();
}

QString quotedText(const QString& text)
{
    return QLatin1Char('\'') + QString(text).replace(QLatin1Char('\''), QStringLiteral("''")) + QLatin1Char('\'');
}

const char* const kCountedEvents[] = {"INSERT", "UPDATE", "DELETE"};

// The trigger that counts one kind of change of a table, as SQLite keeps its text: a trigger
// whose text differs no longer counts as this program expects.
QString countingTrigger(const QString& table, const QString& key, const char* event)
{
    QString body =
        QStringLiteral("UPDATE %1 SET Changes = Changes + 1 WHERE TableName = %2;").arg(kCounterTable, quotedText(table));
    if (!key.isEmpty()) {
        const QString journal = QStringLiteral("INSERT INTO %1 (TableName, RowKey) VALUES (%2, %3.%4);")
                                    .arg(kJournal, quotedText(table), QStringLiteral("%1"), quoteIdentifier(key));
        if (std::strcmp(event, "INSERT") != 0)
            body += journal.arg(QStringLiteral("OLD"));
        if (std::strcmp(event, "DELETE") != 0)
            body += journal.arg(QStringLiteral("NEW"));
        body += QStringLiteral("DELETE FROM %1 WHERE Seq <= (SELECT max(Seq) FROM %1) - %2;").arg(kJournal).arg(kJournalLength);
    }
    return QStringLiteral("CREATE TRIGGER %1 AFTER %2 ON %3 BEGIN %4 END")
        .arg(quoteIdentifier(table + QStringLiteral("_Counted") + QString::fromLatin1(event)), QString::fromLatin1(event),
             quoteIdentifier(table), body);
}

// Whether every change of the table still reaches its counter: another program that rebuilds a
// table (new table, copy, drop, rename) or drops a trigger leaves the counter standing still.
bool countsChanges(SqliteDb& db, const QString& table)
{
    const QString key = keyColumnOf(db, table);
    Statement st(db, QStringLiteral("SELECT sql FROM sqlite_master WHERE type = 'trigger' AND tbl_name = ? COLLATE NOCASE"));
    st.bind(1, Variant(table));
    QStringList triggers;
    while (st.step())
        triggers << st.column(0).toText();
    return std::all_of(std::begin(kCountedEvents), std::end(kCountedEvents),
                       [&](const char* event) { return triggers.contains(countingTrigger(table, key, event)); });
}

} // namespace

void install(SqliteDb& db)
{
    Savepoint transaction(db);
    db.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (TableName TEXT PRIMARY KEY COLLATE NOCASE, "
                           "Changes INTEGER NOT NULL DEFAULT 0)")
                .arg(kCounterTable));
    db.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (Seq INTEGER PRIMARY KEY AUTOINCREMENT, "
                           "TableName TEXT NOT NULL COLLATE NOCASE, RowKey TEXT)")
                .arg(kJournal));
    QStringList tables;
    {
        Statement st(db, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite\\_%' "
                                        "ESCAPE '\\' AND name NOT IN (?, ?) COLLATE NOCASE"));
        st.bind(1, Variant(kCounterTable));
        st.bind(2, Variant(kJournal));
        while (st.step())
            tables << st.column(0).toText();
    }
    const QString create = QStringLiteral("CREATE TRIGGER ");
    for (const QString& table : std::as_const(tables)) {
        const QString key = keyColumnOf(db, table);
        for (const char* event : kCountedEvents)
            db.exec(
                QString(countingTrigger(table, key, event)).replace(0, create.size(), create + QStringLiteral("IF NOT EXISTS ")));
        db.execute(QStringLiteral("INSERT OR IGNORE INTO %1 (TableName) VALUES (?)").arg(kCounterTable), {Variant(table)});
    }
    transaction.release();
}

std::optional<qint64> lastRowChange(SqliteDb& db)
{
    if (!hasTable(db, kJournal))
        return std::nullopt;
    return db.scalar(QStringLiteral("SELECT coalesce(max(Seq), 0) FROM %1").arg(kJournal)).toInt64();
}

std::optional<ChangedRows> rowsChangedSince(SqliteDb& db, const QString& table, const QString& keyColumn, qint64 since, int limit)
{
    if (!hasTable(db, kJournal) || keyColumnOf(db, table).compare(keyColumn, Qt::CaseInsensitive) != 0)
        return std::nullopt;
    ChangedRows changed;
    changed.last = db.scalar(QStringLiteral("SELECT coalesce(max(Seq), 0) FROM %1").arg(kJournal)).toInt64();
    if (changed.last == since)
        return changed;
    // Entries are numbered without gaps; a first entry past the next one means some were pruned.
    const qint64 first = db.scalar(QStringLiteral("SELECT coalesce(min(Seq), 0) FROM %1").arg(kJournal)).toInt64();
    if (changed.last < since || first > since + 1)
        return std::nullopt;
    Statement st(db, QStringLiteral("SELECT DISTINCT RowKey FROM %1 WHERE Seq > ? AND Seq <= ? AND TableName = ?").arg(kJournal));
    st.bindAll({Variant(since), Variant(changed.last), Variant(table)});
    while (st.step()) {
        if (changed.keys.size() == limit)
            return std::nullopt;
        const Variant key = st.column(0);
        if (key.isNull())
            return std::nullopt;
        changed.keys << key.toText();
    }
    return changed;
}

QStringList tablesReadBy(SqliteDb& db, const QString& sql)
{
    QStringList tables;
    sqlite3_set_authorizer(db.handle(), collectReads, &tables);
    try {
        // Compiling is enough: the authorizer hears of every column the statement would read.
        Statement st(db, sql);
    } catch (...) {
        sqlite3_set_authorizer(db.handle(), nullptr, nullptr);
        throw;
    }
    sqlite3_set_authorizer(db.handle(), nullptr, nullptr);
    // The authorizer names the views too; their tables are what changes.
    QStringList baseTables;
    for (const QString& name : std::as_const(tables))
        if (!db.scalar(QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ? COLLATE NOCASE"),
                       {Variant(name)})
                 .isNull())
            baseTables << name;
    return baseTables;
}

std::optional<Stamp> stamp(SqliteDb& db, const QStringList& tables, const std::optional<Stamp>& earlier)
{
    if (tables.isEmpty() || !hasCounterTable(db))
        return std::nullopt;
    Stamp result;
    // Read first: a schema change landing after it is seen by the next stamp.
    result.schemaVersion = db.scalar(QStringLiteral("PRAGMA schema_version")).toInt64();
    // Counting can only have changed with the schema.
    if (!earlier || earlier->schemaVersion != result.schemaVersion)
        for (const QString& table : tables)
            if (!countsChanges(db, table))
                return std::nullopt;
    QStringList marks;
    std::vector<Variant> names;
    for (const QString& table : tables) {
        marks << QStringLiteral("?");
        names.emplace_back(table);
    }
    Statement st(db, QStringLiteral("SELECT count(*), sum(Changes) FROM %1 WHERE TableName IN (%2)")
                         .arg(kCounterTable, marks.join(QLatin1Char(','))));
    st.bindAll(names);
    if (!st.step() || st.column(0).toInt64() != tables.size())
        return std::nullopt; // a table without a counter: its changes would go unseen
    result.changes = st.column(1).toInt64();
    return result;
}

} // namespace ChangeTracking
