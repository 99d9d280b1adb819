#include "ServerTestSupport.h"
#include "fixtures/FixtureSite.h"
#include "runtime/RuntimeError.h"

#include <gtest/gtest.h>

namespace {

// Locations around the demo site's own: one more in its dialing domain (named in other letter
// case), one in another domain, one without a domain.
class LocationScope : public ::testing::Test {
protected:
    LocationScope()
        : db(openServerDb(site.databasePath()))
    {
        local = db->scalar(QStringLiteral("SELECT LocationObjectID FROM Location WHERE UnDeletable = 1")).toText();
        db->exec(QStringLiteral(
            "INSERT INTO GlobalLocation VALUES ('{00000000-0000-0000-0000-00000000000A}', 'Harbour Office', 'BRIGHTWATER.local');"
            "INSERT INTO GlobalLocation VALUES ('{00000000-0000-0000-0000-00000000000B}', 'Partner Site', 'partner.local');"
            "INSERT INTO GlobalLocation VALUES ('{00000000-0000-0000-0000-00000000000C}', 'Lone Site', NULL);"));
    }

    int inScope(const Variant& location)
    {
        return db->scalar(QStringLiteral("SELECT fn_LocationInScope(?, 1)"), {location}).toInt32();
    }

    FixtureSite site;
    std::unique_ptr<SqliteDb> db;
    QString local;
};

TEST_F(LocationScope, LocalLocationAndItsDialingDomainAreInScope)
{
    const struct {
        Variant location;
        int expected;
    } cases[] = {
        {local, 1},
        {local.toLower(), 1},
        {"{00000000-0000-0000-0000-00000000000a}", 1},
        {"{00000000-0000-0000-0000-00000000000B}", 0},
        {"{00000000-0000-0000-0000-00000000000C}", 0},
        {"{99999999-0000-0000-0000-000000000000}", 0},
        {Variant::null(), 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(inScope(c.location), c.expected) << c.location.textOrEmpty().toStdString();
}

TEST_F(LocationScope, WithoutADomainOnlyTheLocalLocationIsInScope)
{
    for (const char* none : {"NULL", "''"}) {
        db->exec(QStringLiteral("UPDATE Location SET DialingDomainName = %1;"
                                "UPDATE GlobalLocation SET DialingDomainName = %1;")
                     .arg(QString::fromLatin1(none)));
        EXPECT_EQ(inScope(local), 1) << none;
        EXPECT_EQ(inScope("{00000000-0000-0000-0000-00000000000A}"), 0) << none;
        EXPECT_EQ(inScope("{00000000-0000-0000-0000-00000000000C}"), 0) << none;
    }
}

TEST_F(LocationScope, ScopeFollowsChangesBetweenStatementsAndHoldsOverManyRows)
{
    // One statement over many rows answers each row by its own location.
    const Rows rows = queryRows(*db, QStringLiteral("SELECT LocationObjectID, fn_LocationInScope(LocationObjectID, 1) FROM "
                                                    "GlobalLocation ORDER BY TextName"));
    QStringList answers;
    for (const auto& row : rows)
        answers << row[1].toText();
    EXPECT_EQ(answers, (QStringList{"1", "1", "0", "0"})); // Brightwater, Harbour, Lone, Partner

    db->exec(QStringLiteral("UPDATE GlobalLocation SET DialingDomainName = 'partner.local' WHERE TextName = 'Harbour Office'"));
    EXPECT_EQ(inScope("{00000000-0000-0000-0000-00000000000A}"), 0);
}

TEST(LocationScopeErrors, MissingTablesAreReportedAsAnError)
{
    SqliteDb db(QStringLiteral(":memory:"), SqliteDb::Mode::Create);
    registerServerFunctions(db.handle());
    EXPECT_THROW(db.scalar(QStringLiteral("SELECT fn_LocationInScope('{A}', 1)")), RuntimeError);
}

} // namespace
