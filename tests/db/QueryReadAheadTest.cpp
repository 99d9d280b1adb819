#include "db/ChangeTracking.h"
#include "db/Connection.h"
#include "db/Query.h"
#include "db/Sqlite.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <system_error>

namespace {

// A server root whose database has handlers and their keys, read through a view.
class QueryReadAheadTest : public ::testing::Test {
protected:
    void create(bool tracked)
    {
        ASSERT_TRUE(root.isValid());
        if (!tracked)
            connectionString.replace("TalvoDb", "Untracked");
        SqliteDb db(connections.databasePath(connectionString), SqliteDb::Mode::Create);
        db.exec(R"(
            CREATE TABLE Handler(HandlerObjectID TEXT PRIMARY KEY, Alias TEXT);
            CREATE TABLE KeyEntry(KeyEntryObjectID TEXT PRIMARY KEY, ParentObjectID TEXT, Action INTEGER);
            CREATE TABLE Other(OtherObjectID TEXT PRIMARY KEY, Name TEXT);
            CREATE VIEW vw_Key AS SELECT h.Alias, k.* FROM KeyEntry k JOIN Handler h ON h.HandlerObjectID = k.ParentObjectID;
            INSERT INTO Handler VALUES ('{H1}', 'sales'), ('{H2}', 'support');
            INSERT INTO KeyEntry VALUES ('{K1}', '{H1}', 1), ('{K2}', '{H1}', 2), ('{K3}', '{H2}', 3);
            INSERT INTO Other VALUES ('{O1}', 'other');
        )");
        if (tracked)
            ChangeTracking::install(db);
        connection = connections.open(connectionString);
    }
    static QStringList cells(const TextTable& table)
    {
        QStringList all = table.columns();
        for (int r = 0; r < table.rowCount(); ++r)
            for (int c = 0; c < table.columnCount(); ++c)
                all << (table.isNull(r, c) ? QStringLiteral("<null>") : table.text(r, c));
        return all;
    }
    void change(const QString& sql) const
    {
        SqliteDb other(connections.databasePath(connectionString), SqliteDb::Mode::ReadWrite);
        other.exec(sql);
    }

    // Reads at once on this thread, so that what a test changes after lands after the read.
    static std::thread readHere(std::function<void()> read)
    {
        read();
        return std::thread();
    }

    const QString query = QStringLiteral("SELECT * FROM vw_Key ORDER BY KeyEntryObjectID");
    QString connectionString = ConnectionFactory::connectionStringFor(QStringLiteral("HOST"));
    QTemporaryDir root;
    ConnectionFactory connections{root.path(), nullptr};
    std::shared_ptr<Connection> connection;
};

// The rows read ahead are the query's rows, again and again, until a table behind the view
// changes, through any connection; a change elsewhere leaves them standing. Read on this thread,
// so that each change lands after the read.
TEST_F(QueryReadAheadTest, TheRowsStandForTheQueryUntilATableItReadsChanges)
{
    create(true);
    const QueryResult read = runQuery(connection->db(), query);
    const QStringList expected = cells(TextTable::fromRows(read.columns, read.rows));
    ASSERT_EQ(expected.size(), 4 + 3 * 4); // the columns, then three rows
    QueryReadAhead ahead(connections, connectionString, query);
    change("UPDATE Other SET Name = 'renamed'");
    for (int i = 0; i < 2; ++i) {
        const std::optional<TextTable> rows = ahead.cachedRowsIfCurrent(connection->db());
        ASSERT_TRUE(rows);
        EXPECT_EQ(cells(*rows), expected);
    }
    for (const char* sql : {"UPDATE Handler SET Alias = 'Sales' WHERE HandlerObjectID = '{H1}'",
                            "DELETE FROM KeyEntry WHERE KeyEntryObjectID = '{K3}'", "DROP TRIGGER Handler_CountedUPDATE"}) {
        SCOPED_TRACE(sql);
        QueryReadAhead again(connections, connectionString, query, readHere);
        change(sql);
        EXPECT_FALSE(again.cachedRowsIfCurrent(connection->db()));
    }
}

// Nothing is handed over that cannot be vouched for: a database without change counters, a
// table whose counting another program took away, a query that fails, a database that is not
// there, a read that no thread could be made for. The caller then runs the query itself.
TEST_F(QueryReadAheadTest, RowsThatCannotBeVouchedForAreNotHandedOver)
{
    create(true);
    EXPECT_FALSE(QueryReadAhead(connections, connectionString, "SELECT * FROM vw_Missing").cachedRowsIfCurrent(connection->db()));
    const ConnectionFactory nowhere(root.path() + "/missing", nullptr);
    EXPECT_FALSE(QueryReadAhead(nowhere, connectionString, query).cachedRowsIfCurrent(connection->db()));
    const auto noThread = [](std::function<void()>) -> std::thread {
        throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
    };
    EXPECT_FALSE(QueryReadAhead(connections, connectionString, query, noThread).cachedRowsIfCurrent(connection->db()));
    change("DROP TRIGGER KeyEntry_CountedDELETE");
    EXPECT_FALSE(QueryReadAhead(connections, connectionString, query).cachedRowsIfCurrent(connection->db()));

    create(false);
    EXPECT_FALSE(QueryReadAhead(connections, connectionString, query).cachedRowsIfCurrent(connection->db()));
}

// A read-ahead let go at once, before its thread has even opened the database: the thread has
// all it needs of its own and the owner waits for it.
TEST_F(QueryReadAheadTest, AReadAheadDroppedAtOnceLeavesNothingBehind)
{
    create(true);
    for (int i = 0; i < 20; ++i) {
        auto connectionsOfItsOwn = std::make_unique<ConnectionFactory>(root.path(), nullptr);
        auto ahead = std::make_unique<QueryReadAhead>(*connectionsOfItsOwn, connectionString, query);
        connectionsOfItsOwn.reset();
        ahead.reset();
    }
    QueryReadAhead ahead(connections, connectionString, query);
    EXPECT_TRUE(ahead.cachedRowsIfCurrent(connection->db()));
}

} // namespace
