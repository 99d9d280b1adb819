#include "db/Query.h"

#include "db/Connection.h"
#include "db/Sqlite.h"
#include "runtime/RuntimeError.h"

#include <sqlite3.h>

QueryResult runQuery(SqliteDb& db, const QString& sql, const std::vector<Variant>& params)
{
    Statement st(db, sql);
    st.bindAll(params);
    QueryResult result;
    const int columns = st.columnCount();
    for (int c = 0; c < columns; ++c)
        result.columns << st.columnName(c);
    while (st.step()) {
        std::vector<Variant> row;
        row.reserve(size_t(columns));
        for (int c = 0; c < columns; ++c)
            row.push_back(st.column(c));
        result.rows.push_back(std::move(row));
    }
    return result;
}

std::thread QueryReadAhead::onThreadOfItsOwn(std::function<void()> read)
{
    return std::thread(std::move(read));
}

QueryReadAhead::QueryReadAhead(ConnectionFactory connections, QString connectionString, QString sql, Launch launch)
{
    // Two threads may each use a connection of their own only with a library built for threads.
    if (!sqlite3_threadsafe())
        return;
    auto result = std::make_shared<std::optional<Read>>();
    try {
        m_thread = launch([result, connections = std::move(connections), connectionString = std::move(connectionString),
                           sql = std::move(sql)] { *result = read(connections, connectionString, sql); });
        m_read = std::move(result);
    } catch (const std::system_error& e) {
        // Nothing is lost: the load that wants the rows reads them on its own thread.
        qCDebug(lcDatabase).noquote() << "A query could not be read ahead:" << e.what();
    }
}

QueryReadAhead::~QueryReadAhead()
{
    wait();
}

void QueryReadAhead::wait()
{
    if (m_thread.joinable())
        m_thread.join();
}

std::optional<QueryReadAhead::Read> QueryReadAhead::read(const ConnectionFactory& connections, const QString& connectionString,
                                                         const QString& sql)
{
    try {
        const std::shared_ptr<Connection> connection = connections.open(connectionString, SqliteDb::Mode::ReadOnly);
        SqliteDb& db = connection->db();
        Read read;
        read.tables = ChangeTracking::tablesReadBy(db, sql);
        // The counters and the rows from one read transaction: they belong to the same moment.
        Savepoint snapshot(db);
        const std::optional<ChangeTracking::Stamp> stamp = ChangeTracking::stamp(db, read.tables);
        if (!stamp)
            return std::nullopt;
        read.stamp = *stamp;
        const QueryResult rows = runQuery(db, sql);
        snapshot.release();
        read.rows = TextTable::fromRows(rows.columns, rows.rows);
        return read;
    } catch (const RuntimeError& e) {
        // The load that wants the rows runs the query itself and reports what fails.
        qCDebug(lcDatabase).noquote() << "A query read ahead failed:" << databaseCause(e);
        return std::nullopt;
    }
}

std::optional<TextTable> QueryReadAhead::cachedRowsIfCurrent(SqliteDb& db)
{
    wait();
    if (!m_read || !*m_read)
        return std::nullopt;
    const Read& read = **m_read;
    try {
        if (ChangeTracking::stamp(db, read.tables, read.stamp) != read.stamp)
            return std::nullopt;
    } catch (const RuntimeError&) {
        return std::nullopt; // the query itself tells what is wrong
    }
    return read.rows;
}
