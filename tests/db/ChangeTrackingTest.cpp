#include "db/ChangeTracking.h"

#include "db/Connection.h"
#include "db/Recordset.h"
#include "db/Sqlite.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// Handlers and their keys, a view over the keys, and a join of both: a change to one table must
// reach every reader of that table and no other.
class ChangeTrackingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        path = dir.filePath("t.sqlite3");
        SqliteDb db(path, SqliteDb::Mode::Create);
        db.exec(R"(
            CREATE TABLE Handler(HandlerObjectID TEXT PRIMARY KEY, Alias TEXT);
            CREATE TABLE KeyEntry(KeyEntryObjectID TEXT PRIMARY KEY, ParentObjectID TEXT, Action INTEGER);
            CREATE VIEW vw_KeyEntry AS SELECT * FROM KeyEntry;
            INSERT INTO Handler VALUES ('{H1}', 'sales'), ('{H2}', 'support');
            INSERT INTO KeyEntry VALUES ('{K1}', '{H1}', 1), ('{K2}', '{H1}', 2), ('{K3}', '{H2}', 3);
        )");
        if (tracked)
            ChangeTracking::install(db);
        conn = std::make_shared<Connection>(path, nullptr);
        handlers.open("SELECT * FROM Handler", conn, {LockType::Optimistic, "HandlerObjectID", {}});
        keys.open("Select * from vw_KeyEntry order by ParentObjectID", conn,
                  {LockType::Optimistic, "KeyEntryObjectID", "KeyEntry"});
        joined.open("SELECT h.Alias, k.* FROM Handler h JOIN KeyEntry k ON k.ParentObjectID = h.HandlerObjectID", conn,
                    {LockType::ReadOnly, {}, {}});
    }

    void setAction(Recordset& rs, const char* key, int action)
    {
        rs.moveFirst();
        ASSERT_TRUE(rs.find("KeyEntryObjectID", key));
        rs.setField("Action", action);
        rs.update();
    }

    bool tracked = true;
    QTemporaryDir dir;
    QString path;
    std::shared_ptr<Connection> conn;
    Recordset handlers, keys, joined;
};

class UntrackedDatabase : public ChangeTrackingTest {
protected:
    void SetUp() override
    {
        tracked = false;
        ChangeTrackingTest::SetUp();
    }
};

TEST_F(ChangeTrackingTest, AStatementReadsTheTablesBehindItsViewsAndJoins)
{
    SqliteDb& db = conn->db();
    EXPECT_EQ(ChangeTracking::tablesReadBy(db, "Select * from vw_KeyEntry"), QStringList{"KeyEntry"});
    EXPECT_EQ(ChangeTracking::tablesReadBy(db, "SELECT count(*) FROM Handler"), QStringList{"Handler"});
    QStringList both =
        ChangeTracking::tablesReadBy(db, "SELECT h.Alias FROM Handler h JOIN KeyEntry k ON k.ParentObjectID = h.HandlerObjectID");
    both.sort();
    EXPECT_EQ(both, (QStringList{"Handler", "KeyEntry"}));
    EXPECT_THROW(ChangeTracking::tablesReadBy(db, "SELECT * FROM Nowhere"), RuntimeError);
}

TEST_F(ChangeTrackingTest, AnotherConnectionsChangeReloadsOnlyItsReaders)
{
    SqliteDb other(path, SqliteDb::Mode::ReadWrite);
    other.execute("UPDATE KeyEntry SET Action = 9 WHERE KeyEntryObjectID = '{K3}'");

    EXPECT_FALSE(handlers.changedSinceRead());
    EXPECT_TRUE(keys.changedSinceRead());
    EXPECT_TRUE(joined.changedSinceRead());
    for (Recordset* rs : {&handlers, &keys, &joined})
        rs->requery();
    ASSERT_TRUE(keys.find("KeyEntryObjectID", "{K3}"));
    EXPECT_EQ(keys.field("Action").toInt32(), 9);
    EXPECT_FALSE(keys.changedSinceRead());

    // A later change to the table left alone so far is still seen.
    other.execute("UPDATE Handler SET Alias = 'sales floor' WHERE HandlerObjectID = '{H1}'");
    EXPECT_TRUE(handlers.changedSinceRead());
    EXPECT_FALSE(keys.changedSinceRead());
}

TEST_F(ChangeTrackingTest, AnOwnUpdateNeedsNoReloadOfItsWriterButOfEveryOtherReader)
{
    setAction(keys, "{K1}", 7);
    EXPECT_FALSE(keys.changedSinceRead());
    EXPECT_TRUE(joined.changedSinceRead());
    EXPECT_FALSE(handlers.changedSinceRead());
    keys.requery();
    ASSERT_TRUE(keys.find("KeyEntryObjectID", "{K1}"));
    EXPECT_EQ(keys.field("Action").toInt32(), 7);
}

TEST_F(ChangeTrackingTest, AnOwnUpdateNeverHidesAnotherConnectionsChange)
{
    SqliteDb other(path, SqliteDb::Mode::ReadWrite);
    // Before the write: another key of the same table changes elsewhere.
    other.execute("UPDATE KeyEntry SET Action = 9 WHERE KeyEntryObjectID = '{K3}'");
    setAction(keys, "{K1}", 7);
    EXPECT_TRUE(keys.changedSinceRead());
    keys.requery();
    ASSERT_TRUE(keys.find("KeyEntryObjectID", "{K3}"));
    EXPECT_EQ(keys.field("Action").toInt32(), 9);

    // After the write: the next change elsewhere is seen too.
    setAction(keys, "{K1}", 8);
    EXPECT_FALSE(keys.changedSinceRead());
    other.execute("UPDATE KeyEntry SET Action = 6 WHERE KeyEntryObjectID = '{K2}'");
    EXPECT_TRUE(keys.changedSinceRead());
}

TEST_F(ChangeTrackingTest, AnUpdateOfTheOrderingColumnOrARolledBackOneReadsAgain)
{
    keys.moveFirst();
    ASSERT_TRUE(keys.find("KeyEntryObjectID", "{K1}"));
    keys.setField("ParentObjectID", "{H2}");
    keys.update();
    EXPECT_TRUE(keys.changedSinceRead());
    keys.requery();

    {
        ScopedTransaction transaction(*conn);
        setAction(keys, "{K2}", 5);
    } // rolled back
    EXPECT_TRUE(keys.changedSinceRead());
    keys.requery();
    ASSERT_TRUE(keys.find("KeyEntryObjectID", "{K2}"));
    EXPECT_EQ(keys.field("Action").toInt32(), 2);
}

TEST_F(UntrackedDatabase, AnyChangeReloadsEveryReaderAsBefore)
{
    EXPECT_FALSE(ChangeTracking::stamp(conn->db(), {"Handler"}).has_value());
    EXPECT_FALSE(handlers.changedSinceRead());
    SqliteDb other(path, SqliteDb::Mode::ReadWrite);
    other.execute("UPDATE KeyEntry SET Action = 9 WHERE KeyEntryObjectID = '{K3}'");
    EXPECT_TRUE(handlers.changedSinceRead());
    EXPECT_TRUE(keys.changedSinceRead());
    handlers.requery();
    EXPECT_FALSE(handlers.changedSinceRead());
}

} // namespace
