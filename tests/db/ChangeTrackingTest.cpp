#include "db/ChangeTracking.h"

#include "db/Recordset.h"
#include "db/ScratchDatabase.h"

#include <functional>

namespace {

// Handlers and their keys, a view over the keys, and a join of both: a change to one table must
// reach every reader of that table and no other.
class ChangeTrackingTest : public ::testing::Test, public ScratchDatabase {
protected:
    void SetUp() override
    {
        create(R"(
            CREATE TABLE Handler(HandlerObjectID TEXT PRIMARY KEY, Alias TEXT);
            CREATE TABLE KeyEntry(KeyEntryObjectID TEXT PRIMARY KEY, ParentObjectID TEXT, Action INTEGER);
            CREATE VIEW vw_KeyEntry AS SELECT * FROM KeyEntry;
            INSERT INTO Handler VALUES ('{H1}', 'sales'), ('{H2}', 'support');
            INSERT INTO KeyEntry VALUES ('{K1}', '{H1}', 1), ('{K2}', '{H1}', 2), ('{K3}', '{H2}', 3);
        )",
               [this](SqliteDb& db) {
                   if (tracked)
                       ChangeTracking::install(db);
               });
        handlers.open("SELECT * FROM Handler", conn, {LockType::Optimistic, "HandlerObjectID", {}});
        keys.open("Select * from vw_KeyEntry order by ParentObjectID", conn,
                  {LockType::Optimistic, "KeyEntryObjectID", "KeyEntry", {"ParentObjectID"}});
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

// The rollback takes the counters back to where they stood before the write; the next write
// anywhere brings them to the very counts seen after the rolled-back one.
TEST_F(ChangeTrackingTest, AWriteRolledBackIsReadAgainAfterTheNextWriteBringsTheSameCounts)
{
    SqliteDb other(path, SqliteDb::Mode::ReadWrite);
    const struct {
        const char* what;
        std::function<void()> nextWrite;
    } cases[] = {
        {"another connection's write", [&] { other.execute("UPDATE KeyEntry SET Action = 9 WHERE KeyEntryObjectID = '{K3}'"); }},
        {"the recordset's own next write", [&] { setAction(keys, "{K3}", 9); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        {
            ScopedTransaction transaction(*conn);
            setAction(keys, "{K2}", 5);
        } // rolled back
        c.nextWrite();
        keys.requery();
        ASSERT_TRUE(keys.find("KeyEntryObjectID", "{K2}"));
        EXPECT_EQ(keys.field("Action").toInt32(), 2) << "the rolled-back value is not kept";
        ASSERT_TRUE(keys.find("KeyEntryObjectID", "{K3}"));
        EXPECT_EQ(keys.field("Action").toInt32(), 9);
        other.execute("UPDATE KeyEntry SET Action = 3 WHERE KeyEntryObjectID = '{K3}'");
        keys.requery();
    }
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

namespace {

TEST_F(ChangeTrackingTest, AFewRowsChangedElsewhereAreReadAgainInPlace)
{
    SqliteDb other(path, SqliteDb::Mode::ReadWrite);
    const quint64 loaded = keys.loadNumber();
    other.execute("UPDATE KeyEntry SET Action = 9 WHERE KeyEntryObjectID = '{K3}'");
    other.execute("UPDATE KeyEntry SET Action = 8 WHERE KeyEntryObjectID = '{K1}'");
    keys.requery();
    EXPECT_EQ(keys.loadNumber(), loaded);
    EXPECT_FALSE(keys.changedSinceRead());
    QStringList shown;
    for (keys.moveFirst(); !keys.isEOF(); keys.moveNext())
        shown << keys.field("KeyEntryObjectID").toText() + "=" + keys.field("Action").toText();
    EXPECT_EQ(shown, (QStringList{"{K1}=8", "{K2}=2", "{K3}=9"}));
    // The join reads two tables: it reads everything again.
    const quint64 joinedLoaded = joined.loadNumber();
    joined.requery();
    EXPECT_NE(joined.loadNumber(), joinedLoaded);
}

TEST_F(ChangeTrackingTest, WhatCouldMoveRowsReadsEverythingAgain)
{
    SqliteDb other(path, SqliteDb::Mode::ReadWrite);
    const struct {
        const char* what;
        const char* sql;
        QStringList expected;
    } cases[] = {
        {"a row inserted", "INSERT INTO KeyEntry VALUES ('{K0}', '{H1}', 0)", {"{K1}", "{K2}", "{K0}", "{K3}"}},
        {"a row deleted", "DELETE FROM KeyEntry WHERE KeyEntryObjectID = '{K0}'", {"{K1}", "{K2}", "{K3}"}},
        {"the ordering column changed",
         "UPDATE KeyEntry SET ParentObjectID = '{H3}' WHERE KeyEntryObjectID = '{K1}'",
         {"{K2}", "{K3}", "{K1}"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const quint64 loaded = keys.loadNumber();
        other.exec(c.sql);
        keys.requery();
        EXPECT_NE(keys.loadNumber(), loaded);
        QStringList order;
        keys.clearFilter();
        for (keys.moveFirst(); !keys.isEOF(); keys.moveNext())
            order << keys.field("KeyEntryObjectID").toText();
        EXPECT_EQ(order, c.expected);
    }

    // More rows changed than are read one by one.
    other.exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 70) "
               "INSERT INTO KeyEntry SELECT 'k' || i, '{H4}', 0 FROM n");
    keys.requery();
    const quint64 loaded = keys.loadNumber();
    other.exec("UPDATE KeyEntry SET Action = Action + 1");
    keys.requery();
    EXPECT_NE(keys.loadNumber(), loaded);
    ASSERT_TRUE(keys.find("KeyEntryObjectID", "k70"));
    EXPECT_EQ(keys.field("Action").toInt32(), 1);
}

TEST_F(ChangeTrackingTest, AJournalPrunedPastTheLastReadReadsEverythingAgain)
{
    SqliteDb other(path, SqliteDb::Mode::ReadWrite);
    other.exec("BEGIN; WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 5000) "
               "INSERT INTO Handler SELECT 'x' || i, 'x' FROM n; "
               "UPDATE KeyEntry SET Action = 7 WHERE KeyEntryObjectID = '{K2}'; COMMIT");
    const quint64 loaded = keys.loadNumber();
    keys.requery();
    EXPECT_NE(keys.loadNumber(), loaded);
    ASSERT_TRUE(keys.find("KeyEntryObjectID", "{K2}"));
    EXPECT_EQ(keys.field("Action").toInt32(), 7);
}

// Another program that rebuilds a table the usual way (new table, copy, drop, rename), or drops or
// changes one of its triggers, leaves the table's counter standing still: its readers then read
// again after every change, whether the rows could be read again in place or not.
TEST_F(ChangeTrackingTest, ATableWhoseCountingIsGoneOrChangedIsReadAgainEveryTime)
{
    SqliteDb other(path, SqliteDb::Mode::ReadWrite);
    const struct {
        const char* what;
        const char* sql;
    } cases[] = {
        {"rebuilt", "CREATE TABLE Handler_new(HandlerObjectID TEXT PRIMARY KEY, Alias TEXT NOT NULL); "
                    "INSERT INTO Handler_new SELECT * FROM Handler; DROP TABLE Handler; "
                    "ALTER TABLE Handler_new RENAME TO Handler"},
        {"a trigger dropped", "DROP TRIGGER Handler_CountedUPDATE"},
        {"a trigger changed", "DROP TRIGGER Handler_CountedUPDATE; "
                              "CREATE TRIGGER Handler_CountedUPDATE AFTER UPDATE ON Handler BEGIN SELECT 1; END"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        other.exec("DROP TRIGGER IF EXISTS Handler_CountedUPDATE");
        ChangeTracking::install(other);
        handlers.requery();
        ASSERT_TRUE(ChangeTracking::stamp(conn->db(), {"Handler"}));

        other.exec(c.sql);
        EXPECT_FALSE(ChangeTracking::stamp(conn->db(), {"Handler"}));
        handlers.requery();
        for (const char* alias : {"sales desk", "sales floor"}) {
            other.execute("UPDATE Handler SET Alias = ? WHERE HandlerObjectID = '{H1}'", {Variant(alias)});
            EXPECT_TRUE(handlers.changedSinceRead());
            handlers.requery();
            handlers.moveFirst();
            ASSERT_TRUE(handlers.find("HandlerObjectID", "{H1}"));
            EXPECT_EQ(handlers.field("Alias").toText(), alias);
        }
    }
}

} // namespace
