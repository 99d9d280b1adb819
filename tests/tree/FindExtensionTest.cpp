#include "tree/FindExtension.h"

#include "db/Query.h"
#include "db/Sqlite.h"
#include "fixtures/FindExtensionText.h"
#include "fixtures/MainWindowFixture.h"
#include "server/ServerFunctions.h"

#include <QAction>
#include <gtest/gtest.h>

namespace {

// Chloe's direct line is the sales number; a subscriber of another site of the domain shares
// Alice's extension; a partner's of another domain does too, and is none of ours.
const char kSharedNumbers[] =
    "INSERT INTO DTMFAccessID (DTMFAccessID, ParentObjectID, ParentObjectIDType, IsPrimaryID) "
    "SELECT '120', SubscriberObjectID, 1, 0 FROM Subscriber WHERE Alias = 'cnovak';"
    "INSERT INTO GlobalLocation VALUES ('{00000000-0000-0000-0000-00000000000A}', 'Harbour', 'brightwater.local');"
    "INSERT INTO GlobalLocation VALUES ('{00000000-0000-0000-0000-00000000000B}', 'Partner', 'partner.local');"
    "INSERT INTO GlobalSubscriber VALUES ('{00000000-0000-0000-0000-0000000000A1}', 'harbour', 'Harbour Desk', "
    "'{00000000-0000-0000-0000-00000000000A}');"
    "INSERT INTO GlobalSubscriber VALUES ('{00000000-0000-0000-0000-0000000000B1}', 'partner', 'Partner Desk', "
    "'{00000000-0000-0000-0000-00000000000B}');"
    "INSERT INTO DTMFAccessID (DTMFAccessID, ParentObjectID, ParentObjectIDType, IsPrimaryID) VALUES "
    "('2001', '{00000000-0000-0000-0000-0000000000A1}', 1, 1), ('2001', '{00000000-0000-0000-0000-0000000000B1}', 1, 1);";

const QString kHeading = QStringLiteral("That extension is in use by the following objects:\r\n");

QStringList rowsOf(SqliteDb& db, const QString& sql, const QString& extension)
{
    QStringList out;
    for (const auto& row : runQuery(db, sql, {extension}).rows) {
        QStringList cells;
        for (const Variant& v : row)
            cells << (v.isNull() ? QStringLiteral("<null>") : v.textOrEmpty());
        out << cells.join('|');
    }
    return out;
}

// Every extension of the site, and digits nobody uses, give the rows of the whole-domain query in
// its order, under either view of the handlers. On a site of some size the plan reaches every
// table of more than a few rows through an index (the demo's tables are all small).
void expectTheWholeDomainQuerysRows(const FixtureSite& site, int atLeast, bool indexesOnly)
{
    SqliteDb db(site.databasePath(), SqliteDb::Mode::ReadWrite);
    registerServerFunctions(db.handle());
    QStringList extensions{QStringLiteral("0"), QStringLiteral("99999999")};
    for (const auto& row : runQuery(db, "SELECT DISTINCT DTMFAccessID FROM DTMFAccessID").rows)
        extensions << row[0].toText();
    int found = 0;
    for (const QString& extension : extensions) {
        SCOPED_TRACE(extension.toStdString());
        const QStringList rows = rowsOf(db, FindExtension::query(), extension);
        for (bool nonPrimaryView : {true, false})
            EXPECT_EQ(rows, rowsOf(db, findExtensionAsFirstWritten(QStringLiteral("?1"), nonPrimaryView), extension));
        found += int(rows.size());
    }
    EXPECT_GE(found, atLeast);
    for (const auto& step : runQuery(db, "EXPLAIN QUERY PLAN " + FindExtension::query(), {QStringLiteral("1")}).rows) {
        const QString detail = step.back().toText();
        // Only a table of a few rows may be read whole.
        if (indexesOnly && detail.startsWith("SCAN ") && detail != "SCAN t") {
            EXPECT_LT(runQuery(db, "SELECT count(*) FROM " + detail.mid(5)).rows[0][0].toInt32(), 10) << detail.toStdString();
        }
    }
}

TEST(FindExtensionQuery, GivesTheRowsOfTheWholeDomainQueryThroughIndexesOnly)
{
    FixtureSite demo;
    demo.exec(kSharedNumbers);
    demo.exec("UPDATE CallHandler SET IsPrimary = 2 WHERE Alias = 'salesch'");
    expectTheWholeDomainQuerysRows(demo, 20, false);

    FixtureSite generated(LargeSiteSizes{120, 40, 4, 3, 6});
    expectTheWholeDomainQuerysRows(generated, 150, true);
    generated.exec("DROP TABLE sqlite_stat1");
    expectTheWholeDomainQuerysRows(generated, 150, true);
}

// Extensions > "Find extension in database" in the demo site's window.
class FindExtensionTest : public ::testing::Test {
protected:
    // Starts the window; the site and the registry may be changed first.
    void start() { ASSERT_TRUE(f.load()); }

    // The command with the given answer to its input box; the messages it showed.
    QStringList find(const QString& answer)
    {
        f.prompts.messages.clear();
        f.prompts.typeNext(answer);
        f.control<QAction>("mnuFindExtension")->trigger();
        return f.prompts.messages;
    }

    MainWindowFixture f;
};

TEST_F(FindExtensionTest, ReportsEveryObjectOfTheDialingDomainThatUsesTheExtension)
{
    f.site.exec(kSharedNumbers);
    start();
    struct Case {
        const char* answer;
        QStringList entries; // in any order
    };
    const Case cases[] = {
        {"110", {"Extension= 110 is owned by Call Handler with a Display Name= Operator.  "}},
        {" 110", {"Extension= 110 is owned by Call Handler with a Display Name= Operator.  "}},
        {"300", {"Extension= 300 is owned by Inteview Handler with a Display Name= Customer Feedback.  "}},
        {"400", {"Extension= 400 is owned by Directory Handler with a Display Name= Company Directory.  "}},
        {"500", {"Extension= 500 is owned by Distribution List with a Display Name= All Employees.  "}},
        {"7999", {"Extension= 7999 is owned by Location Object with a Display Name= Brightwater Headquarters.  "}},
        // Her own extension reaches Alice twice in the search; she is reported once.
        {"2001",
         {"Extension= 2001 is owned by Subscriber with a Display Name= Alice Moreno.  ",
          "Extension= 2001 is owned by Subscriber with a Display Name= Harbour Desk.  "}},
        {"5000", {"Extension= 5000 is owned by Subscriber with a Display Name= Farid Haddad.  "}},
        {"120",
         {"Extension= 120 is owned by Call Handler with a Display Name= Sales.  ",
          "Extension= 120 is owned by Subscriber with a Display Name= Chloe Novak.  "}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        const QStringList shown = find(QString::fromLatin1(c.answer));
        ASSERT_EQ(shown.size(), 1);
        ASSERT_TRUE(shown[0].startsWith(kHeading)) << shown[0].toStdString();
        QStringList entries = shown[0].mid(kHeading.size()).split(".  ", Qt::SkipEmptyParts);
        for (QString& e : entries)
            e += ".  ";
        entries.sort();
        QStringList expected = c.entries;
        expected.sort();
        EXPECT_EQ(entries, expected);
        EXPECT_TRUE(shown[0].endsWith(".  "));
    }
    EXPECT_EQ(f.prompts.prompts.last(), "Enter extension number to find");
}

TEST_F(FindExtensionTest, RefusesWhatIsNotDigitsAndSaysWhenNothingUsesTheExtension)
{
    start();
    EXPECT_TRUE(find("").isEmpty()); // Cancel gives the empty text as well
    for (const char* answer : {"12a", "-5", "1.5", "1E3"})
        EXPECT_EQ(find(answer), QStringList{"Please enter only digits"}) << answer;
    EXPECT_EQ(find("999"), QStringList{"No objects using that extension were found in the dialing domain"});
    EXPECT_EQ(find("0110"), QStringList{"No objects using that extension were found in the dialing domain"});
}

TEST_F(FindExtensionTest, BelowServer4_0_2_120TheCallHandlersAreReadWithoutTheNonPrimaryView)
{
    f.setVersion(0x00040000, 0x00020077); // 4.0(2.119)
    // The older server has no such view; the search must not need it.
    f.site.exec("DROP VIEW vw_Callhandler_NonPrimary");
    start();
    EXPECT_EQ(find("110"), QStringList{kHeading + "Extension= 110 is owned by Call Handler with a Display Name= Operator.  "});
    EXPECT_EQ(find("2002"), QStringList{kHeading + "Extension= 2002 is owned by Subscriber with a Display Name= Ben Carter.  "});
}

TEST_F(FindExtensionTest, AQueryThatFailsEndsAfterItsMessageAndARowWithoutANameIsLeftOut)
{
    f.site.exec("UPDATE CallHandler SET TextName = NULL WHERE Alias = 'operatorch'");
    start();
    EXPECT_EQ(find("110"),
              (QStringList{"(error):94 (Invalid use of Null) in procedure mnuFindExtension_Click of Form frmMain", kHeading}));

    f.site.exec("DROP TABLE GlobalSubscriber");
    const QStringList shown = find("110");
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].startsWith("(error):-2147467259 (")) << shown[0].toStdString();
    EXPECT_TRUE(shown[0].endsWith(") in procedure mnuFindExtension_Click of Form frmMain")) << shown[0].toStdString();
}

} // namespace
