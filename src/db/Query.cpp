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

QueryReadAhead::QueryReadAhead(const ConnectionFactory& connections, const QString& connectionString, const QString& sql)
    : m_sql(sql)
{
    // Two threads may each use a connection of their own only with a library built for threads.
    if (sqlite3_threadsafe())
        m_reading = std::async(std::launch::async, &QueryReadAhead::read, std::cref(connections), connectionString, sql);
}

QueryReadAhead::~QueryReadAhead() = default;

std::optional<QueryReadAhead::Read> QueryReadAhead::read(const ConnectionFactory& connections, const QString& connectionString,
                                                         const QString& sql)
{
    try {
        const std::shared_ptr<Connection> connection = connections.open(connectionString);
        SqliteDb& db = connection->db();
        Read read;
        read.tables = ChangeTracking::tablesReadBy(db, sql);
        // The counters and the rows from one read transaction: they belong to the same moment.
        db.exec(QStringLiteral("BEGIN"));
        const std::optional<ChangeTracking::Stamp> stamp = ChangeTracking::stamp(db, read.tables);
        if (!stamp)
            return std::nullopt;
        read.stamp = *stamp;
        const QueryResult rows = runQuery(db, sql);
        db.exec(QStringLiteral("COMMIT"));
        read.rows = TextTable::fromRows(rows.columns, rows.rows);
        return read;
    } catch (const RuntimeError& e) {
        // The load that wants the rows runs the query itself and reports what fails.
        qCDebug(lcDatabase).noquote() << "A query read ahead failed:" << databaseCause(e);
        return std::nullopt;
    }
}

std::optional<TextTable> QueryReadAhead::rowsIfCurrent(SqliteDb& db)
{
    if (m_reading.valid())
        m_read = m_reading.get();
    if (!m_read)
        return std::nullopt;
    try {
        if (ChangeTracking::stamp(db, m_read->tables) != m_read->stamp)
            return std::nullopt;
    } catch (const RuntimeError&) {
        return std::nullopt; // the query itself tells what is wrong
    }
    return m_read->rows;
}
