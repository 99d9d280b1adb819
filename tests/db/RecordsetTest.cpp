#include "db/Recordset.h"

#include "db/Connection.h"
#include "runtime/RuntimeError.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// A handler table, its keys behind a view with INSTEAD OF triggers, and an extension table that
// a join reads: the shapes the program's recordsets have.
class RecordsetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        path = dir.filePath("t.sqlite3");
        SqliteDb db(path, SqliteDb::Mode::Create);
        db.exec(R"(
            CREATE TABLE Handler(HandlerObjectID TEXT COLLATE NOCASE PRIMARY KEY, Alias TEXT COLLATE NOCASE NOT NULL,
                                 TextName TEXT, Flag INTEGER, MaxLen INTEGER, Expires DATETIME);
            CREATE TABLE Ext(ExtObjectID TEXT COLLATE NOCASE PRIMARY KEY DEFAULT ('{' || upper(hex(randomblob(16))) || '}'),
                             Digits TEXT, ParentObjectID TEXT COLLATE NOCASE);
            CREATE TABLE KeyEntry(KeyEntryObjectID TEXT COLLATE NOCASE PRIMARY KEY, ParentObjectID TEXT COLLATE NOCASE,
                                  Alias TEXT, Action INTEGER);
            CREATE VIEW vw_KeyEntry AS SELECT * FROM KeyEntry;
            CREATE TRIGGER vw_KeyEntry_upd INSTEAD OF UPDATE ON vw_KeyEntry BEGIN
                UPDATE KeyEntry SET Alias = NEW.Alias, Action = NEW.Action WHERE KeyEntryObjectID = OLD.KeyEntryObjectID; END;
            CREATE TRIGGER vw_KeyEntry_ins INSTEAD OF INSERT ON vw_KeyEntry BEGIN
                INSERT INTO KeyEntry VALUES (NEW.KeyEntryObjectID, NEW.ParentObjectID, NEW.Alias, NEW.Action); END;
            CREATE TRIGGER vw_KeyEntry_del INSTEAD OF DELETE ON vw_KeyEntry BEGIN
                DELETE FROM KeyEntry WHERE KeyEntryObjectID = OLD.KeyEntryObjectID; END;
            INSERT INTO Handler VALUES ('{AAAA-1}', 'openinggreetingch', 'Opening', 1, 30, NULL),
                                       ('{bbbb-2}', 'sales', '', 0, NULL, '1993-01-02 00:00:00'),
                                       ('{CCCC-3}', 'Support', NULL, 0, 0, NULL);
            INSERT INTO Ext(Digits, ParentObjectID) VALUES ('100', '{AAAA-1}'), ('007', '{CCCC-3}');
        )");
        for (int h = 1; h <= 3; ++h)
            for (const char* key : {"0", "1", "*", "#"})
                db.execute("INSERT INTO KeyEntry VALUES (?, ?, ?, ?)",
                           {QStringLiteral("{K%1-%2}").arg(h).arg(QString::fromLatin1(key)),
                            QString::fromLatin1(h == 1   ? "{AAAA-1}"
                                                : h == 2 ? "{bbbb-2}"
                                                         : "{CCCC-3}"),
                            key, h});
        conn = std::make_shared<Connection>(path, nullptr);
    }

    Recordset::Options writable(const QString& key) { return {LockType::Optimistic, key, {}}; }

    QTemporaryDir dir;
    QString path;
    std::shared_ptr<Connection> conn;
};

TEST_F(RecordsetTest, FindSearchesForwardFromTheCurrentRowIncludingIt)
{
    Recordset rs;
    rs.open("Select * from vw_KeyEntry order by ParentObjectID", conn, writable("KeyEntryObjectID"));
    ASSERT_EQ(rs.recordCount(), 12);
    ASSERT_TRUE(rs.find("Alias", "*"));
    const auto first = rs.bookmark();
    EXPECT_TRUE(rs.find("alias", "*")); // current row included, column names in any case
    EXPECT_EQ(rs.bookmark(), first);
    rs.moveNext();
    ASSERT_TRUE(rs.find("Alias", "*"));
    EXPECT_NE(rs.bookmark(), first);
    rs.moveNext();
    ASSERT_TRUE(rs.find("Alias", "*"));
    rs.moveNext();
    EXPECT_FALSE(rs.find("Alias", "*"));
    EXPECT_TRUE(rs.isEOF());
    EXPECT_THROW(rs.field("Alias"), RuntimeError);
}

TEST_F(RecordsetTest, FindMatchesIdsAndIntegersByTextWithoutRegardToCase)
{
    Recordset rs;
    rs.open("SELECT * FROM Handler", conn, writable("HandlerObjectID"));
    EXPECT_TRUE(rs.find("HandlerObjectID", "{BBBB-2}"));
    EXPECT_EQ(rs.field("Alias").toText(), "sales");
    rs.moveFirst();
    EXPECT_TRUE(rs.find("Flag", "1"));
    EXPECT_EQ(rs.field("Alias").toText(), "openinggreetingch");
    rs.moveFirst();
    EXPECT_FALSE(rs.find("TextName", Variant::null())); // Null never matches
    rs.moveFirst();
    EXPECT_FALSE(rs.find("Alias", "sale")); // whole values only, no pattern
}

TEST_F(RecordsetTest, NullStaysApartFromEmptyTextAndZero)
{
    Recordset rs;
    rs.open("SELECT * FROM Handler", conn, writable("HandlerObjectID"));
    rs.find("Alias", "sales");
    EXPECT_EQ(rs.field("TextName"), Variant(QString()));
    EXPECT_TRUE(rs.field("MaxLen").isNull());
    EXPECT_EQ(rs.field("Expires").toDate(), QDateTime(QDate(1993, 1, 2), QTime(0, 0)));
    rs.moveFirst();
    rs.find("Alias", "support");
    EXPECT_TRUE(rs.field("TextName").isNull());
    EXPECT_EQ(rs.field("MaxLen"), Variant(0));
}

TEST_F(RecordsetTest, FilterNarrowsMovesFindsCountAndSort)
{
    Recordset rs;
    rs.open("Select * from vw_KeyEntry order by ParentObjectID", conn, writable("KeyEntryObjectID"));
    rs.setFilter("ParentObjectID", "{bbbb-2}");
    EXPECT_EQ(rs.recordCount(), 4);
    int seen = 0;
    for (rs.moveFirst(); !rs.isEOF(); rs.moveNext()) {
        EXPECT_EQ(rs.field("ParentObjectID").toText(), "{bbbb-2}");
        ++seen;
    }
    EXPECT_EQ(seen, 4);
    rs.moveFirst();
    EXPECT_TRUE(rs.find("Alias", "#"));
    EXPECT_EQ(rs.field("ParentObjectID").toText(), "{bbbb-2}");

    rs.setSort("Alias DESC");
    rs.moveFirst();
    EXPECT_EQ(rs.field("Alias").toText(), "1");
    EXPECT_EQ(rs.recordCount(), 4);

    rs.setFilter({{"ParentObjectID", "{AAAA-1}"}, {"Alias", "0"}});
    EXPECT_EQ(rs.recordCount(), 1);
    rs.clearFilter();
    EXPECT_EQ(rs.recordCount(), 12);
    EXPECT_THROW(rs.setFilter("NoSuchColumn", "x"), RuntimeError);
}

TEST_F(RecordsetTest, BookmarkReturnsToItsRow)
{
    Recordset rs;
    rs.open("SELECT * FROM Handler", conn, writable("HandlerObjectID"));
    rs.find("Alias", "support");
    const auto mark = rs.bookmark();
    rs.moveFirst();
    rs.setBookmark(mark);
    EXPECT_EQ(rs.field("Alias").toText(), "Support");
}

TEST_F(RecordsetTest, UpdateAddNewAndDeleteReachTheBaseTables)
{
    Recordset rs;
    rs.open("Select * from vw_KeyEntry order by ParentObjectID", conn, writable("KeyEntryObjectID"));
    rs.find("KeyEntryObjectID", "{K2-#}");
    rs.setField("Action", 4);
    rs.update();
    SqliteDb other(path, SqliteDb::Mode::ReadWrite);
    EXPECT_EQ(other.scalar("SELECT Action FROM KeyEntry WHERE KeyEntryObjectID = '{K2-#}'").toInt32(), 4);

    rs.addNew();
    rs.setField("ParentObjectID", "{CCCC-3}");
    rs.setField("Alias", "9");
    rs.setField("Action", 2);
    rs.update();
    const QString newId = rs.field("KeyEntryObjectID").toText(); // the layer gives new rows their id
    EXPECT_TRUE(newId.startsWith('{') && newId.endsWith('}'));
    EXPECT_EQ(other.scalar("SELECT Alias FROM KeyEntry WHERE KeyEntryObjectID = ?", {newId}).toText(), "9");

    rs.moveFirst();
    rs.find("KeyEntryObjectID", "{K1-0}");
    rs.deleteCurrent();
    EXPECT_THROW(rs.field("Alias"), RuntimeError);
    rs.moveNext();
    EXPECT_EQ(rs.field("KeyEntryObjectID").toText(), "{K1-1}");
    EXPECT_EQ(other.scalar("SELECT count(*) FROM KeyEntry WHERE KeyEntryObjectID = '{K1-0}'").toInt32(), 0);

    rs.requery();
    EXPECT_EQ(rs.recordCount(), 12);
    EXPECT_TRUE(rs.find("KeyEntryObjectID", newId));
    rs.moveFirst();
    EXPECT_FALSE(rs.find("KeyEntryObjectID", "{K1-0}"));
}

TEST_F(RecordsetTest, WrittenValuesShowAsStored)
{
    Recordset rs;
    rs.open("SELECT * FROM Handler", conn, writable("HandlerObjectID"));
    rs.setField("MaxLen", "0030");
    rs.setField("Flag", true);
    rs.setField("Expires", "1/2/93");
    rs.update();
    EXPECT_EQ(rs.field("MaxLen"), Variant(30));
    EXPECT_EQ(rs.field("Flag"), Variant(1)); // True is stored as 1, never -1
    EXPECT_EQ(rs.field("Expires").toDate(), QDateTime(QDate(1993, 1, 2), QTime(0, 0)));
    SqliteDb other(path, SqliteDb::Mode::ReadWrite);
    EXPECT_EQ(other.scalar("SELECT Expires FROM Handler WHERE Alias = 'openinggreetingch'").toText(), "1993-01-02 00:00:00");
    EXPECT_THROW(rs.setField("Expires", "not a date"), RuntimeError);

    rs.setField("Expires", Variant::null()); // a date read back is no change made by someone else
    rs.update();
    EXPECT_TRUE(rs.field("Expires").isNull());
    rs.moveFirst();
    rs.find("Alias", "sales");
    rs.setField("Expires", QDateTime(QDate(2030, 5, 6), QTime(7, 8, 9)));
    rs.update();
    EXPECT_EQ(rs.field("Expires").toDate(), QDateTime(QDate(2030, 5, 6), QTime(7, 8, 9)));
}

TEST_F(RecordsetTest, UpdateOfARowChangedElsewhereFailsAndOverwritesNothing)
{
    Recordset rs;
    rs.open("SELECT * FROM Handler", conn, writable("HandlerObjectID"));
    rs.find("Alias", "sales");

    auto second = std::make_shared<Connection>(path, nullptr);
    Recordset theirs;
    theirs.open("SELECT * FROM Handler", second, writable("HandlerObjectID"));
    theirs.find("Alias", "sales");
    theirs.setField("TextName", "Sales (theirs)");
    theirs.update();

    rs.setField("TextName", "Sales (mine)");
    try {
        rs.update();
        FAIL() << "update succeeded over another connection's change";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.description(), "Row cannot be located for updating. Some values may have been changed since it was last read.");
    }
    EXPECT_EQ(second->db().scalar("SELECT TextName FROM Handler WHERE Alias = 'sales'").toText(), "Sales (theirs)");
    EXPECT_EQ(rs.field("TextName").toText(), "Sales (theirs)"); // the cached row shows the database again
    rs.setField("TextName", "Sales (mine)");
    rs.update(); // now it was read after their change
    EXPECT_EQ(second->db().scalar("SELECT TextName FROM Handler WHERE Alias = 'sales'").toText(), "Sales (mine)");
}

TEST_F(RecordsetTest, TransactionsRollBack)
{
    Recordset rs;
    rs.open("SELECT * FROM Handler", conn, writable("HandlerObjectID"));
    conn->beginTrans();
    rs.setField("TextName", "changed");
    rs.update();
    rs.addNew();
    rs.setField("Alias", "newone");
    rs.update();
    conn->rollbackTrans();
    rs.requery();
    EXPECT_EQ(rs.recordCount(), 3);
    EXPECT_EQ(rs.field("TextName").toText(), "Opening");
}

TEST_F(RecordsetTest, JoinedColumnGoesThroughItsWriter)
{
    Recordset rs;
    rs.open("SELECT e.Digits, h.* FROM Handler h LEFT JOIN Ext e ON e.ParentObjectID = h.HandlerObjectID", conn,
            {LockType::Optimistic, "HandlerObjectID", "Handler"});
    rs.setJoinedColumnWriter("Digits", [](Connection& c, const auto& row, const Variant& value) {
        c.db().execute("UPDATE Ext SET Digits = ? WHERE ParentObjectID = ?", {value, row("HandlerObjectID")});
    });
    rs.find("Alias", "support");
    EXPECT_EQ(rs.field("Digits").toText(), "007");
    rs.setField("Digits", "008");
    rs.setField("TextName", "Support desk");
    rs.update();
    EXPECT_EQ(rs.field("Digits").toText(), "008");
    EXPECT_EQ(conn->db().scalar("SELECT Digits FROM Ext WHERE ParentObjectID = '{CCCC-3}'").toText(), "008");
    EXPECT_EQ(conn->db().scalar("SELECT TextName FROM Handler WHERE Alias = 'Support'").toText(), "Support desk");
}

TEST_F(RecordsetTest, ReadOnlyRecordsetRefusesWrites)
{
    Recordset rs;
    rs.open("SELECT * FROM Handler", conn, {LockType::ReadOnly, {}, {}});
    EXPECT_THROW(rs.setField("TextName", "x"), RuntimeError);
    EXPECT_THROW(rs.addNew(), RuntimeError);
}

TEST_F(RecordsetTest, RequerySeesOtherConnectionsAndKeepsTheFilter)
{
    Recordset rs;
    rs.open("Select * from vw_KeyEntry order by ParentObjectID", conn, writable("KeyEntryObjectID"));
    rs.setFilter("ParentObjectID", "{AAAA-1}");
    rs.requery(); // nothing changed
    EXPECT_EQ(rs.recordCount(), 4);

    SqliteDb other(path, SqliteDb::Mode::ReadWrite);
    other.execute("UPDATE KeyEntry SET Action = 5 WHERE KeyEntryObjectID = '{K1-*}'");
    rs.requery();
    EXPECT_EQ(rs.recordCount(), 4);
    ASSERT_TRUE(rs.find("Alias", "*"));
    EXPECT_EQ(rs.field("Action").toInt32(), 5);
}

TEST_F(RecordsetTest, AClosedRecordsetRefusesEveryOperation)
{
    Recordset rs;
    const std::vector<std::function<void()>> operations = {
        [&] { rs.moveFirst(); },
        [&] { rs.isEOF(); },
        [&] { rs.find("Alias", "x"); },
        [&] { rs.field("Alias"); },
        [&] { rs.setFilter("Alias", "x"); },
        [&] { rs.requery(); },
        [&] { rs.close(); },
    };
    for (const auto& operation : operations) {
        try {
            operation();
            ADD_FAILURE() << "no error";
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.number(), 3704);
            EXPECT_EQ(e.description(), "Operation is not allowed when the object is closed.");
        }
    }
}

TEST_F(RecordsetTest, EmptyRecordsetIsAtBothEnds)
{
    Recordset rs;
    rs.open("SELECT * FROM Handler WHERE 0", conn, writable("HandlerObjectID"));
    EXPECT_TRUE(rs.isEOF());
    EXPECT_TRUE(rs.isBOF());
    EXPECT_EQ(rs.recordCount(), 0);
    rs.moveFirst();
    EXPECT_FALSE(rs.find("Alias", "x"));
    EXPECT_THROW(rs.moveNext(), RuntimeError);
}

} // namespace
