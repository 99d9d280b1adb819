#include "db/ChangeTracking.h"

#include "db/Sqlite.h"

#include <cstring>
#include <sqlite3.h>

namespace ChangeTracking {

namespace {

const QString kCounterTable = QStringLiteral("TableChanges");

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

bool hasCounterTable(SqliteDb& db)
{
    return !db.scalar(QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ? COLLATE NOCASE"),
                      {Variant(kCounterTable)})
                .isNull();
}

} // namespace

void install(SqliteDb& db)
{
    Savepoint transaction(db);
    db.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (TableName TEXT PRIMARY KEY COLLATE NOCASE, "
                           "Changes INTEGER NOT NULL DEFAULT 0)")
                .arg(kCounterTable));
    QStringList tables;
    {
        Statement st(db, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite\\_%' "
                                        "ESCAPE '\\' AND name <> ? COLLATE NOCASE"));
        st.bind(1, Variant(kCounterTable));
        while (st.step())
            tables << st.column(0).toText();
    }
    for (const QString& table : std::as_const(tables)) {
        const QString quoted = quoteIdentifier(table);
        const QString counted = QStringLiteral("UPDATE %1 SET Changes = Changes + 1 WHERE TableName = '%2';")
                                    .arg(kCounterTable, QString(table).replace(QLatin1Char('\''), QStringLiteral("''")));
        for (const char* event : {"INSERT", "UPDATE", "DELETE"})
            db.exec(QStringLiteral("CREATE TRIGGER IF NOT EXISTS %1 AFTER %2 ON %3 BEGIN %4 END")
                        .arg(quoteIdentifier(table + QStringLiteral("_Counted") + QString::fromLatin1(event)),
                             QString::fromLatin1(event), quoted, counted));
        db.execute(QStringLiteral("INSERT OR IGNORE INTO %1 (TableName) VALUES (?)").arg(kCounterTable), {Variant(table)});
    }
    transaction.release();
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

std::optional<Stamp> stamp(SqliteDb& db, const QStringList& tables)
{
    if (tables.isEmpty() || !hasCounterTable(db))
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
    Stamp result;
    result.changes = st.column(1).toInt64();
    result.schemaVersion = db.scalar(QStringLiteral("PRAGMA schema_version")).toInt64();
    return result;
}

} // namespace ChangeTracking
