#pragma once

#include "db/ChangeTracking.h"
#include "db/Connection.h"
#include "runtime/TextTable.h"
#include "runtime/Variant.h"

#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

class SqliteDb;

// The rows of a read-only query, read forward once: what lists, searches and reference panels
// show. Every value is bound.
struct QueryResult {
    QStringList columns;
    std::vector<std::vector<Variant>> rows;
};

// Throws RuntimeError when the query cannot be run.
QueryResult runQuery(SqliteDb& db, const QString& sql, const std::vector<Variant>& params = {});

// A read-only query run ahead, while this thread does other work: on a thread of its own, given
// copies of all it needs, through a read-only connection of its own that it opens, reads and
// closes there, never the shared connection. Its rows, as a grid shows them, then stay as a cache of
// the query's rows: handed over as often as asked while the tables they came from show the change
// counters they had when they were read; otherwise (a table changed, the read failed, no thread
// could be made) the caller runs the query itself.
class QueryReadAhead {
public:
    // Starts the read; a system out of threads throws std::system_error, as std::thread does.
    using Launch = std::thread (*)(std::function<void()> read);
    static std::thread onThreadOfItsOwn(std::function<void()> read);

    QueryReadAhead(ConnectionFactory connections, QString connectionString, QString sql, Launch launch = onThreadOfItsOwn);
    ~QueryReadAhead(); // waits for the read
    QueryReadAhead(const QueryReadAhead&) = delete;
    QueryReadAhead& operator=(const QueryReadAhead&) = delete;

    // The rows read ahead when `db` finds the query's tables unchanged since; waits for the read.
    // Nothing when they changed, the read failed or the database keeps no change counters.
    std::optional<TextTable> cachedRowsIfCurrent(SqliteDb& db);

private:
    struct Read {
        QStringList tables;
        ChangeTracking::Stamp stamp;
        TextTable rows;
    };
    static std::optional<Read> read(const ConnectionFactory& connections, const QString& connectionString, const QString& sql);
    // Until the thread has its rows.
    void wait();

    // Shared with the thread, which writes it once; read here only after the thread is joined.
    std::shared_ptr<std::optional<Read>> m_read;
    std::thread m_thread;
};
