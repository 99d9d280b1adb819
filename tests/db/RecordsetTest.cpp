#include "db/Recordset.h"

#include "db/ScratchDatabase.h"
#include "runtime/RuntimeError.h"

#include <limits>
#include <sqlite3.h>

namespace {

// A handler table, its keys behind a view with INSTEAD OF triggers, and an extension table that
// a join reads: the shapes the program's recordsets have.
class RecordsetTest : public ::testing::Test, public ScratchDatabase {
protected:
    void SetUp() override
    {
        create(R"(
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
        )",
               [](SqliteDb& db) {
                   for (int h = 1; h <= 3; ++h)
                       for (const char* key : {"0", "1", "*", "#"})
                           db.execute("INSERT INTO KeyEntry VALUES (?, ?, ?, ?)",
                                      {QStringLiteral("{K%1-%2}").arg(h).arg(QString::fromLatin1(key)),
                                       QString::fromLatin1(h == 1   ? "{AAAA-1}"
                                                           : h == 2 ? "{bbbb-2}"
                                                                    : "{CCCC-3}"),
                                       key, h});
               });
    }

    Recordset::Options writable(const QString& key) { return {LockType::Optimistic, key, {}}; }

    // A connection with the probe tw_fail_at(x): an error when x equals failAt, else 1. It lets a
    // read fail part-way, or only the read after a write, without the database changing.
    std::shared_ptr<Connection> probedConnection()
    {
        return std::make_shared<Connection>(path, [this](sqlite3* db) {
            sqlite3_create_function(
                db, "tw_fail_at", 1, SQLITE_UTF8, &failAt,
                [](sqlite3_context* context, int, sqlite3_value** argv) {
                    if (sqlite3_value_int(argv[0]) == *static_cast<int*>(sqlite3_user_data(context)))
                        sqlite3_result_error(context, "the probe failed this row", -1);
                    else
                        sqlite3_result_int(context, 1);
                },
                nullptr, nullptr);
        });
    }

    int failAt = 0;
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

// Rows read by number leave the current row, the filter and the sort alone; keys looked up in
// order and out of it find the same rows, in any letter case, past deleted rows.
TEST_F(RecordsetTest, RowsFoundByKeyWithoutMovingTheCurrentRow)
{
    Recordset rs;
    rs.open("Select * from vw_KeyEntry order by ParentObjectID", conn, writable("KeyEntryObjectID"));
    rs.setFilter("Alias", "#");
    ASSERT_TRUE(rs.find("ParentObjectID", "{CCCC-3}"));
    const auto current = rs.bookmark();
    const int parent = rs.columnNumber("ParentObjectID");
    const int alias = rs.columnNumber("alias");
    ASSERT_GE(parent, 0);
    EXPECT_EQ(rs.columnNumber("NoSuchColumn"), -1);

    const std::vector<int> keysOfB = rs.rowsWithKey(parent, "{bbbb-2}");
    ASSERT_EQ(keysOfB.size(), 4u) << "the filter leaves the rows by number alone";
    std::string key;
    ASSERT_TRUE(rs.keyAt(keysOfB[0], parent, key));
    EXPECT_EQ(key, "{bbbb-2}");
    EXPECT_EQ(*Recordset::keyOf(Variant("{BBBB-2}")), QByteArray("{bbbb-2}"));
    EXPECT_FALSE(Recordset::keyOf(Variant::null()));

    Recordset::KeyCursor cursor = rs.keyCursor(parent);
    const int a = cursor.firstRow("{aaaa-1}");
    EXPECT_EQ(cursor.firstRow("{bbbb-2}"), keysOfB[0]);
    EXPECT_EQ(cursor.firstRow("{bbbb-3}"), -1);
    EXPECT_EQ(rs.valueAt(cursor.firstRow("{cccc-3}"), parent).toText(), "{CCCC-3}");
    EXPECT_EQ(cursor.firstRow("{aaaa-1}"), a) << "a lower key searches from the top again";
    ASSERT_GE(a, 0);
    EXPECT_EQ(rs.bookmark(), current);
    EXPECT_EQ(rs.recordCount(), 3);

    // The first row of a handler deleted: its key now leads to the next one.
    rs.clearFilter();
    rs.moveFirst();
    ASSERT_TRUE(rs.find("KeyEntryObjectID", rs.valueAt(a, rs.columnNumber("KeyEntryObjectID"))));
    rs.deleteCurrent();
    Recordset::KeyCursor after = rs.keyCursor(parent);
    const int next = after.firstRow("{aaaa-1}");
    EXPECT_NE(next, a);
    EXPECT_EQ(rs.valueAt(next, parent).toText(), "{AAAA-1}");
    EXPECT_EQ(rs.rowsWithKey(parent, "{aaaa-1}").size(), 3u);
    EXPECT_TRUE(rs.valueAt(next, alias).type() == Variant::Type::Text);
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

// Rows are held compactly: small numbers in the cell, everything else in blocks of bytes, very
// large values on their own. Every kind must come back as the database gave it.
TEST_F(RecordsetTest, EveryKindOfValueComesBackAsStored)
{
    conn->db().exec("CREATE TABLE Kinds(K TEXT PRIMARY KEY, V)");
    const QString longText = QString(200, QChar(0x00E9)) + "end";  // a length that takes two bytes
    const QString hugeText = QString(300000, 'x') + QChar(0x03A9); // beyond a block
    const QByteArray hugeBlob(200000, '\x7f');
    const std::vector<std::pair<QString, Variant>> values = {
        {"null", Variant::null()},
        {"zero", Variant(qint64(0))},
        {"negative", Variant(qint64(-5))},
        {"max", Variant(std::numeric_limits<qint64>::max())},
        {"min", Variant(std::numeric_limits<qint64>::min())},
        {"edge", Variant(qint64(1) << 61)},
        {"double", Variant(2.5)},
        {"empty", Variant(QString(""))},
        {"text", Variant("Ωmega o'brien")},
        {"long", Variant(longText)},
        {"huge", Variant(hugeText)},
        {"blob", Variant(QByteArray("\0\1\2", 3))},
        {"emptyblob", Variant(QByteArray(""))},
        {"hugeblob", Variant(hugeBlob)},
    };
    for (const auto& [key, value] : values)
        conn->db().execute("INSERT INTO Kinds VALUES (?, ?)", {key, value});
    Recordset rs;
    rs.open("SELECT * FROM Kinds", conn, writable("K"));
    for (const auto& [key, value] : values) {
        rs.moveFirst();
        ASSERT_TRUE(rs.find("K", key)) << key.toStdString();
        EXPECT_EQ(rs.field("V"), value) << key.toStdString();
    }
    // Written values are held the same way.
    rs.moveFirst();
    rs.find("K", "zero");
    rs.setField("V", hugeText + "!");
    rs.update();
    EXPECT_EQ(rs.field("V").toText(), hugeText + "!");
    rs.moveFirst();
    EXPECT_TRUE(rs.find("V", std::numeric_limits<qint64>::min()));
    EXPECT_EQ(rs.field("K").toText(), "min");
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

TEST_F(RecordsetTest, TheValueShownStaysTheReferenceWhateverIsReadSince)
{
    const QString located = "Row cannot be located for updating. Some values may have been changed since it was last read.";
    Recordset rs;
    rs.open("SELECT * FROM Handler", conn, writable("HandlerObjectID"));
    rs.find("Alias", "sales");
    rs.markShown({"TextName", "MaxLen"});
    auto theirs = std::make_shared<Connection>(path, nullptr);
    theirs->db().execute("UPDATE Handler SET TextName = 'Theirs', Flag = 7 WHERE Alias = 'sales'");

    // Reading the rows again (a search, a refresh) brings their change in; the user still sees the old name.
    rs.requery();
    ASSERT_TRUE(rs.find("Alias", "sales"));
    EXPECT_EQ(rs.field("TextName").toText(), "Theirs");
    EXPECT_EQ(rs.shownField("TextName").toText(), "");
    rs.setField("TextName", "Mine");
    try {
        rs.update();
        FAIL() << "a name the user never saw was overwritten";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.description(), located);
    }
    EXPECT_EQ(theirs->db().scalar("SELECT TextName FROM Handler WHERE Alias = 'sales'").toText(), "Theirs");
    // The refusal shows what is stored: that is what the next edit is judged against.
    EXPECT_EQ(rs.shownField("TextName").toText(), "Theirs");
    rs.setField("TextName", "Mine");
    rs.update();
    EXPECT_EQ(rs.shownField("TextName").toText(), "Mine");

    // A column no window showed is checked against what was read, as before.
    rs.setField("Flag", 8);
    rs.update();
    EXPECT_EQ(theirs->db().scalar("SELECT Flag FROM Handler WHERE Alias = 'sales'").toInt32(), 8);

    // Marked by key, wherever the recordset stands; another row's mark does not count here.
    rs.markShown(Variant("{CCCC-3}"), {"MaxLen"});
    theirs->db().execute("UPDATE Handler SET MaxLen = 99 WHERE Alias = 'Support'");
    rs.requery();
    rs.find("Alias", "Support");
    rs.setField("MaxLen", 5);
    EXPECT_THROW(rs.update(), RuntimeError);
    EXPECT_EQ(theirs->db().scalar("SELECT MaxLen FROM Handler WHERE Alias = 'Support'").toInt32(), 99);
}

TEST_F(RecordsetTest, ARowDeletedElsewhereIsGoneAfterTheRefusedUpdate)
{
    Recordset rs;
    rs.open("SELECT * FROM Handler", conn, writable("HandlerObjectID"));
    rs.find("Alias", "sales");
    auto theirs = std::make_shared<Connection>(path, nullptr);
    theirs->db().execute("DELETE FROM Handler WHERE Alias = 'sales'");
    rs.setField("TextName", "Mine");
    EXPECT_THROW(rs.update(), RuntimeError);
    EXPECT_THROW(rs.field("TextName"), RuntimeError);
    rs.moveFirst();
    EXPECT_FALSE(rs.find("Alias", "sales"));
    rs.requery();
    EXPECT_EQ(rs.recordCount(), 2);
}

TEST_F(RecordsetTest, TransactionsRollBack)
{
    Recordset rs;
    rs.open("SELECT * FROM Handler", conn, writable("HandlerObjectID"));
    {
        ScopedTransaction transaction(*conn);
        rs.setField("TextName", "changed");
        rs.update();
        rs.addNew();
        rs.setField("Alias", "newone");
        rs.update();
        transaction.rollback();
    }
    rs.requery();
    EXPECT_EQ(rs.recordCount(), 3);
    EXPECT_EQ(rs.field("TextName").toText(), "Opening");
}

// An exception between the start of a transaction and its commit must not leave the shared
// connection inside it: everything written afterwards would be lost when the program ends.
TEST_F(RecordsetTest, AScopedTransactionRollsBackUnlessCommitted)
{
    SqliteDb other(path, SqliteDb::Mode::ReadWrite);
    auto textName = [&] { return other.scalar("SELECT TextName FROM Handler WHERE Alias = 'sales'").toText(); };
    try {
        ScopedTransaction transaction(*conn);
        conn->db().execute("UPDATE Handler SET TextName = 'inside' WHERE Alias = 'sales'");
        EXPECT_TRUE(conn->inTransaction());
        EXPECT_THROW(ScopedTransaction{*conn}, RuntimeError); // no second one on the same connection
        throw std::runtime_error("a step in between failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_FALSE(conn->inTransaction());
    EXPECT_EQ(textName(), "");
    conn->db().execute("UPDATE Handler SET TextName = 'after' WHERE Alias = 'sales'");
    EXPECT_EQ(textName(), "after"); // written at once, not held in a forgotten transaction

    {
        ScopedTransaction transaction(*conn);
        conn->db().execute("UPDATE Handler SET TextName = 'one' WHERE Alias = 'sales'");
        conn->db().execute("UPDATE Handler SET MaxLen = 7 WHERE Alias = 'sales'");
        transaction.commit();
    }
    EXPECT_FALSE(conn->inTransaction());
    EXPECT_EQ(textName(), "one");
    EXPECT_EQ(other.scalar("SELECT MaxLen FROM Handler WHERE Alias = 'sales'").toInt32(), 7);

    // A commit that fails (another connection reads) raises; the scope still ends the transaction.
    try {
        ScopedTransaction transaction(*conn);
        conn->db().execute("UPDATE Handler SET TextName = 'blocked' WHERE Alias = 'sales'");
        sqlite3_busy_timeout(conn->db().handle(), 10);
        Statement reader(other, "SELECT * FROM Handler");
        ASSERT_TRUE(reader.step()); // holds a shared lock
        EXPECT_THROW(transaction.commit(), RuntimeError);
    } catch (const RuntimeError&) {
        ADD_FAILURE() << "the rollback raised";
    }
    EXPECT_FALSE(conn->inTransaction());
    EXPECT_EQ(textName(), "one");
}

// A requery or open that cannot read its source to the end must not leave part of the rows
// behind, nor take them for the database's rows at the next requery.
TEST_F(RecordsetTest, AFailedReadKeepsThePreviousRowsAndThePosition)
{
    SqliteDb other(path, SqliteDb::Mode::ReadWrite);
    other.exec("CREATE TABLE Seq(SeqObjectID TEXT PRIMARY KEY, N INTEGER, Grp TEXT)");
    for (int n = 1; n <= 20; ++n)
        other.execute("INSERT INTO Seq VALUES (?, ?, ?)", {QStringLiteral("r%1").arg(n), n, n % 2 ? "odd" : "even"});
    const auto probed = probedConnection();

    for (const bool filtered : {false, true}) {
        SCOPED_TRACE(filtered ? "filtered" : "unfiltered");
        failAt = 0;
        Recordset rs;
        rs.open("SELECT * FROM Seq WHERE tw_fail_at(N) ORDER BY N", probed, writable("SeqObjectID"));
        if (filtered)
            rs.setFilter("Grp", "odd");
        const int count = rs.recordCount();
        ASSERT_TRUE(rs.find("SeqObjectID", "r17"));
        const auto mark = rs.bookmark();

        other.execute("UPDATE Handler SET MaxLen = MaxLen + 1"); // the database changed: the requery reads
        failAt = 16;
        try {
            rs.requery();
            ADD_FAILURE() << "the requery did not fail";
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.description(), "the probe failed this row");
        }
        EXPECT_EQ(rs.recordCount(), count);
        EXPECT_EQ(rs.field("SeqObjectID").toText(), "r17");
        EXPECT_EQ(rs.bookmark(), mark);
        rs.moveLast();
        EXPECT_EQ(rs.field("SeqObjectID").toText(), filtered ? "r19" : "r20");

        failAt = 0; // the cause went away; nothing changed in the database since
        rs.requery();
        EXPECT_EQ(rs.recordCount(), count);
        rs.moveLast();
        EXPECT_EQ(rs.field("SeqObjectID").toText(), filtered ? "r19" : "r20");
    }

    failAt = 5;
    Recordset rs;
    EXPECT_THROW(rs.open("SELECT * FROM Seq WHERE tw_fail_at(N)", probed, writable("SeqObjectID")), RuntimeError);
    EXPECT_FALSE(rs.isOpen());
    EXPECT_THROW(rs.field("SeqObjectID"), RuntimeError);
}

// Once the database took a write, reading the row back is no part of it: a failure there must
// not report the write as failed (the caller would log nothing for a change that happened).
TEST_F(RecordsetTest, AWriteThatCommittedSucceedsWhenReadingItBackFails)
{
    conn->db().exec(R"(
        CREATE TABLE Poison(Armed INTEGER); INSERT INTO Poison VALUES (0);
        CREATE TRIGGER Handler_arm_upd AFTER UPDATE ON Handler BEGIN UPDATE Poison SET Armed = 1; END;
        CREATE TRIGGER Handler_arm_ins AFTER INSERT ON Handler BEGIN UPDATE Poison SET Armed = 1; END;
    )");
    failAt = 1;
    const auto probed = probedConnection();
    Recordset rs;
    rs.open("SELECT * FROM Handler WHERE tw_fail_at((SELECT Armed FROM Poison))", probed, writable("HandlerObjectID"));
    SqliteDb other(path, SqliteDb::Mode::ReadWrite);

    ASSERT_TRUE(rs.find("Alias", "sales"));
    rs.setField("TextName", "Sales desk");
    EXPECT_NO_THROW(rs.update());
    EXPECT_EQ(other.scalar("SELECT TextName FROM Handler WHERE Alias = 'sales'").toText(), "Sales desk");
    EXPECT_EQ(rs.field("TextName").toText(), "Sales desk");
    EXPECT_EQ(rs.field("Alias").toText(), "sales");

    other.execute("UPDATE Poison SET Armed = 0");
    rs.addNew();
    rs.setField("Alias", "billing");
    EXPECT_NO_THROW(rs.update());
    EXPECT_EQ(other.scalar("SELECT count(*) FROM Handler WHERE Alias = 'billing'").toInt32(), 1);
    EXPECT_EQ(rs.field("Alias").toText(), "billing");

    // The rows shown meanwhile are read again at the next requery.
    other.execute("UPDATE Handler SET MaxLen = 99 WHERE Alias = 'billing'");
    other.execute("UPDATE Poison SET Armed = 0");
    rs.requery();
    EXPECT_EQ(rs.recordCount(), 4);
    ASSERT_TRUE(rs.find("Alias", "billing"));
    EXPECT_EQ(rs.field("MaxLen").toInt32(), 99);

    // A write that fails before its commit still fails, and changes nothing.
    conn->db().exec("CREATE TRIGGER Handler_refuse BEFORE UPDATE ON Handler BEGIN SELECT RAISE(ABORT, 'refused'); END");
    rs.setField("TextName", "never");
    EXPECT_THROW(rs.update(), RuntimeError);
    EXPECT_TRUE(rs.field("TextName").isNull());
}

// A bookmark names a record, not a place: after another connection deleted a row before it,
// the requery's rows have moved, and the bookmark must still find its own record or none.
TEST_F(RecordsetTest, ABookmarkFindsItsRecordAfterARequeryOrRaises)
{
    Recordset rs;
    rs.open("Select * from vw_KeyEntry order by ParentObjectID", conn, writable("KeyEntryObjectID"));
    ASSERT_TRUE(rs.find("KeyEntryObjectID", "{K2-*}"));
    const auto mark = rs.bookmark();
    SqliteDb other(path, SqliteDb::Mode::ReadWrite);
    other.execute("DELETE FROM KeyEntry WHERE KeyEntryObjectID = '{K1-0}'");
    rs.requery();
    rs.setBookmark(mark);
    EXPECT_EQ(rs.field("KeyEntryObjectID").toText(), "{K2-*}");

    auto expect3021 = [&](const char* why) {
        rs.moveFirst();
        try {
            rs.setBookmark(mark);
            ADD_FAILURE() << why << ": stands on " << rs.field("KeyEntryObjectID").toText().toStdString();
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.number(), 3021) << why;
        }
    };
    rs.setFilter("ParentObjectID", "{AAAA-1}");
    expect3021("hidden by the filter");
    rs.clearFilter();
    other.execute("DELETE FROM KeyEntry WHERE KeyEntryObjectID = '{K2-*}'");
    rs.requery();
    expect3021("deleted elsewhere");

    // Without a key column a bookmark holds only within the rows it was taken from.
    Recordset keyless;
    keyless.open("SELECT * FROM Handler", conn, {LockType::ReadOnly, {}, {}});
    keyless.moveLast();
    const auto last = keyless.bookmark();
    other.execute("DELETE FROM Handler WHERE Alias = 'openinggreetingch'");
    keyless.requery();
    EXPECT_THROW(keyless.setBookmark(last), RuntimeError);
}

// A joined column with a writer goes through the writer on insert and on update alike, even
// when the write target has a column of the same name.
TEST_F(RecordsetTest, AJoinedColumnFollowsOneRuleOnUpdateAndInsert)
{
    conn->db().exec("ALTER TABLE Handler ADD COLUMN Digits TEXT");
    Recordset rs;
    rs.open("SELECT e.Digits, h.* FROM Handler h LEFT JOIN Ext e ON e.ParentObjectID = h.HandlerObjectID", conn,
            {LockType::Optimistic, "HandlerObjectID", "Handler"});
    rs.setJoinedColumnWriter("Digits", [](Connection& c, const auto& row, const Variant& value) {
        if (c.db().execute("UPDATE Ext SET Digits = ? WHERE ParentObjectID = ?", {value, row("HandlerObjectID")}) == 0)
            c.db().execute("INSERT INTO Ext(Digits, ParentObjectID) VALUES (?, ?)", {value, row("HandlerObjectID")});
    });
    ASSERT_TRUE(rs.find("Alias", "support"));
    rs.setField("Digits", "008");
    rs.update();
    rs.addNew();
    rs.setField("Alias", "billing");
    rs.setField("Digits", "009");
    rs.update();
    const QString billing = rs.field("HandlerObjectID").toText();

    SqliteDb& db = conn->db();
    EXPECT_EQ(db.scalar("SELECT Digits FROM Ext WHERE ParentObjectID = '{CCCC-3}'").toText(), "008");
    EXPECT_EQ(db.scalar("SELECT Digits FROM Ext WHERE ParentObjectID = ?", {billing}).toText(), "009");
    EXPECT_EQ(db.scalar("SELECT count(*) FROM Handler WHERE Digits IS NOT NULL").toInt32(), 0);
}

// Names are pasted into the SQL the layer writes; a quote inside one must stay inside it.
TEST_F(RecordsetTest, NamesWithQuotesAreWrittenAsNames)
{
    conn->db().exec(R"(CREATE TABLE "Odd""Table"("Key""Id" TEXT PRIMARY KEY, "Val""ue" TEXT);
                       INSERT INTO "Odd""Table" VALUES ('k1', 'one'), ('k2', 'two');)");
    Recordset rs;
    rs.open(R"(SELECT * FROM "Odd""Table")", conn, {LockType::Optimistic, "Key\"Id", "Odd\"Table"});
    ASSERT_TRUE(rs.find("Key\"Id", "k2"));
    rs.setField("Val\"ue", "deux");
    rs.update();
    rs.addNew();
    rs.setField("Key\"Id", "k3");
    rs.setField("Val\"ue", "three");
    rs.update();
    rs.moveFirst();
    rs.deleteCurrent();
    SqliteDb& db = conn->db();
    EXPECT_EQ(db.scalar(R"(SELECT group_concat("Key""Id" || '=' || "Val""ue", ',') FROM "Odd""Table")").toText(),
              "k2=deux,k3=three");
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
