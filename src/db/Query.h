#pragma once

#include "db/ChangeTracking.h"
#include "runtime/TextTable.h"
#include "runtime/Variant.h"

#include <QStringList>
#include <future>
#include <optional>
#include <vector>

class ConnectionFactory;
class SqliteDb;

// The rows of a read-only query, read forward once: what lists, searches and reference panels
// show. Every value is bound.
struct QueryResult {
    QStringList columns;
    std::vector<std::vector<Variant>> rows;
};

// Throws RuntimeError when the query cannot be run.
QueryResult runQuery(SqliteDb& db, const QString& sql, const std::vector<Variant>& params = {});

// A read-only query run ahead, while this thread does other work: on a thread of its own, through
// a connection of its own that it opens, reads and closes there, never the shared connection. Its
// rows, as a grid shows them, stand for the query's as long as the tables it reads show the change
// counters they had when it ran; a load that finds them changed, or a read that failed, runs the
// query itself.
class QueryReadAhead {
public:
    QueryReadAhead(const ConnectionFactory& connections, const QString& connectionString, const QString& sql);
    ~QueryReadAhead(); // waits for the read
    QueryReadAhead(const QueryReadAhead&) = delete;
    QueryReadAhead& operator=(const QueryReadAhead&) = delete;

    const QString& sql() const { return m_sql; }
    // The rows read ahead when `db` finds the query's tables unchanged since; waits for the read.
    // Nothing when they changed, the read failed or the database keeps no change counters.
    std::optional<TextTable> rowsIfCurrent(SqliteDb& db);

private:
    struct Read {
        QStringList tables;
        ChangeTracking::Stamp stamp;
        TextTable rows;
    };
    static std::optional<Read> read(const ConnectionFactory& connections, const QString& connectionString, const QString& sql);

    QString m_sql;
    std::future<std::optional<Read>> m_reading;
    std::optional<Read> m_read;
};
