#include "data/ExtensionSearch.h"

#include "fixtures/SiteState.h"

#include <gtest/gtest.h>

namespace {

// A found object as the tests compare it.
struct Found {
    QString typeName;
    QString alias;
    QString displayName;
    qint16 typeCode;
    bool operator==(const Found&) const = default;
};

void PrintTo(const Found& f, std::ostream* os)
{
    *os << f.typeName.toStdString() << " " << f.alias.toStdString() << " \"" << f.displayName.toStdString() << "\" " << f.typeCode;
}

const QString kDomain = QStringLiteral("Subscriber in the dialing domain");

// The demo site's run state with the cache open and a change log, as after start-up.
class ExtensionSearchTest : public ::testing::Test {
protected:
    SharedState& open()
    {
        SharedState& state = s.buildState();
        state.ConnectionString = ConnectionFactory::connectionStringFor(QStringLiteral("TESTHOST"));
        state.changeLog.OpenSessionLog(state.changeLog.GenerateNewLogFileName());
        EXPECT_TRUE(state.cache.OpenDatabaseRecordsets(state.ConnectionString));
        return state;
    }

    std::vector<Found> search(const QString& extension)
    {
        const ExtensionMatches result = findAllDTMFIDMatches(*s.state, extension);
        EXPECT_TRUE(result.complete()) << extension.toStdString();
        return found(result);
    }

    static std::vector<Found> found(const ExtensionMatches& result)
    {
        std::vector<Found> list;
        for (const ExtensionMatch& m : result.matches)
            list.push_back({m.TypeName, m.Alias, m.DisplayName, m.TypeCode});
        return list;
    }

    QString id(const char* table, const char* alias)
    {
        return s.site.scalar(QStringLiteral("SELECT %1ObjectID FROM %1 WHERE Alias = ?").arg(QLatin1String(table)), {alias})
            .toText();
    }

    // Gives an object one more extension besides its own.
    void addExtension(const QString& digits, const QString& parentId, int parentType)
    {
        s.site.execute(QStringLiteral("INSERT INTO DTMFAccessID (DTMFAccessID, ParentObjectID, ParentObjectIDType, IsPrimaryID) "
                                      "VALUES (?, ?, ?, 0)"),
                       {digits, parentId, parentType});
    }

    QStringList errorLines() const
    {
        QStringList lines;
        for (const QString& line : s.changeLogText().split(QStringLiteral("\r\n")))
            if (line.contains(QStringLiteral("(error) in findAllDTMFIDMatches")))
                lines << line;
        return lines;
    }

    SiteState s;
};

TEST_F(ExtensionSearchTest, FindsEveryKindOfObjectByItsExtension)
{
    // A second location of the dialing domain with a subscriber on 2001, and a site of another
    // domain with one on 2002: only the first belongs to this dialing domain.
    s.site.exec(
        "INSERT INTO GlobalLocation VALUES ('{00000000-0000-0000-0000-00000000000A}', 'Harbour Office', 'brightwater.local');"
        "INSERT INTO GlobalLocation VALUES ('{00000000-0000-0000-0000-00000000000B}', 'Partner Site', 'partner.local');"
        "INSERT INTO GlobalSubscriber VALUES ('{00000000-0000-0000-0000-0000000000A1}', 'harbour', 'Harbour Desk', "
        "'{00000000-0000-0000-0000-00000000000A}');"
        "INSERT INTO GlobalSubscriber VALUES ('{00000000-0000-0000-0000-0000000000B1}', 'partner', 'Partner Desk', "
        "'{00000000-0000-0000-0000-00000000000B}');"
        "INSERT INTO DTMFAccessID (DTMFAccessID, ParentObjectID, ParentObjectIDType, IsPrimaryID) VALUES "
        "('2001', '{00000000-0000-0000-0000-0000000000A1}', 1, 1), ('2002', '{00000000-0000-0000-0000-0000000000B1}', 1, 1);");
    // Sales' number is also one of Chloe's direct lines.
    addExtension("120", id("Subscriber", "cnovak"), 1);
    open();

    struct Case {
        const char* extension;
        std::vector<Found> expected;
    };
    const Case cases[] = {
        {"110", {{"Call Handler", "operatorch", "Operator", 29}}},
        {"300", {{"Interview Handler", "customerfeedback", "Customer Feedback", 35}}},
        {"500", {{"Public Distribution List", "allemployees", "All Employees", 18}}},
        {"7999", {{"Location Object", "brightwater-hq", "Brightwater Headquarters", 38}}},
        {"400", {{"Name Lookup Handler", "companydirectory", "Company Directory", 32}}},
        // A subscriber's own handler is not a call handler here; the subscriber is found once.
        {"2001", {{kDomain, "amoreno", "Alice Moreno", 9}, {kDomain, "harbour", "Harbour Desk", 9}}},
        {"2002", {{kDomain, "bcarter", "Ben Carter", 9}}},
        {"5000", {{kDomain, "fhaddad", "Farid Haddad", 9}}}, // a further extension
        {"120", {{"Call Handler", "salesch", "Sales", 29}, {kDomain, "cnovak", "Chloe Novak", 9}}},
        {" 110 ", {{"Call Handler", "operatorch", "Operator", 29}}},
        {"0110", {}},
        {"999", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(search(QString::fromLatin1(c.extension)), c.expected) << c.extension;
    EXPECT_TRUE(errorLines().isEmpty());
}

TEST_F(ExtensionSearchTest, WithoutADialingDomainTheLocalSubscribersAreSearched)
{
    // The server belongs to no dialing domain: a subscriber of another server's directory with
    // the same extension is none of its concern.
    s.site.exec("UPDATE Location SET DialingDomainName = NULL; UPDATE GlobalLocation SET DialingDomainName = NULL;"
                "INSERT INTO GlobalLocation VALUES ('{00000000-0000-0000-0000-00000000000A}', 'Harbour Office', NULL);"
                "INSERT INTO GlobalSubscriber VALUES ('{00000000-0000-0000-0000-0000000000A1}', 'harbour', 'Harbour Desk', "
                "'{00000000-0000-0000-0000-00000000000A}');"
                "INSERT INTO DTMFAccessID (DTMFAccessID, ParentObjectID, ParentObjectIDType, IsPrimaryID) VALUES "
                "('2001', '{00000000-0000-0000-0000-0000000000A1}', 1, 1);");
    open();
    EXPECT_EQ(search("2001"), (std::vector<Found>{{"Subscriber", "amoreno", "Alice Moreno", 9}}));
    EXPECT_EQ(search("5000"), (std::vector<Found>{{"Subscriber", "fhaddad", "Farid Haddad", 9}}));
}

TEST_F(ExtensionSearchTest, ADialingDomainWithAnApostropheIsSearched)
{
    s.site.exec("UPDATE Location SET DialingDomainName = 'o''brien.local'; "
                "UPDATE GlobalLocation SET DialingDomainName = 'o''brien.local';");
    open();
    EXPECT_EQ(s.state->cache.LocalDialingDomainName, "o'brien.local");
    EXPECT_EQ(search("2001"), (std::vector<Found>{{kDomain, "amoreno", "Alice Moreno", 9}}));
}

TEST_F(ExtensionSearchTest, RecordsetsEndWithoutFilterAndOnTheirRows)
{
    SharedState& state = open();
    RecordsetCache& cache = state.cache;
    cache.rsCallHandler.setFilter("IsPrimary", 0);
    ASSERT_TRUE(cache.rsCallHandler.find("Alias", "salesch"));
    cache.rsInterviewHandler.moveLast();
    cache.rsInterviewHandler.moveNext(); // at its end
    cache.rsNameLookupHandler.moveFirst();
    cache.rsDistributionList.moveLast();
    cache.rsLocation.setFilter("Alias", "nowhere");

    search("110");

    for (Recordset* rs : {&cache.rsCallHandler, &cache.rsInterviewHandler, &cache.rsDistributionList, &cache.rsLocation,
                          &cache.rsNameLookupHandler})
        EXPECT_TRUE(rs->filter().empty()) << rs->source().toStdString();
    EXPECT_EQ(cache.rsCallHandler.field("Alias").toText(), "salesch");
    EXPECT_FALSE(cache.rsInterviewHandler.isEOF()); // no row before: the first one
    cache.rsInterviewHandler.movePrevious();
    EXPECT_TRUE(cache.rsInterviewHandler.isBOF());
    EXPECT_EQ(cache.rsNameLookupHandler.field("Alias").toText(), "companydirectory");
    EXPECT_EQ(cache.rsDistributionList.field("Alias").toText(), "allemployees");
    EXPECT_FALSE(cache.rsLocation.isEOF());
}

TEST_F(ExtensionSearchTest, AFailureEndsTheSearchIsLoggedAndKeepsWhatWasFound)
{
    SharedState& state = open();
    // The subscribers' table is gone: the last step fails, after the call handler was found.
    s.site.exec("DROP VIEW vw_Subscriber_Global; DROP TABLE GlobalSubscriber;");
    ExtensionMatches result = findAllDTMFIDMatches(state, "110");
    ASSERT_FALSE(result.complete());
    EXPECT_EQ(found(result), (std::vector<Found>{{"Call Handler", "operatorch", "Operator", 29}}));
    const QString description = result.failure->description();
    EXPECT_TRUE(description.contains("GlobalSubscriber")) << description.toStdString();
    EXPECT_EQ(errorLines(), QStringList{"12/10/2026 9:30:00 AM, (error) in findAllDTMFIDMatches routine looking for ID=110 "
                                        "error description="
                                        + description + ", , , , , , "});

    // A closed recordset ends the search at its kind: nothing after it is searched, and the
    // recordsets before it are put back.
    state.cache.rsInterviewHandler.close();
    result = findAllDTMFIDMatches(state, "2001");
    ASSERT_FALSE(result.complete());
    EXPECT_EQ(result.failure->number(), ErrorNumber::ObjectClosed);
    EXPECT_TRUE(result.matches.empty());
    EXPECT_EQ(errorLines().size(), 2);
    EXPECT_TRUE(state.cache.rsCallHandler.filter().empty());
}

TEST_F(ExtensionSearchTest, ANullFieldIsLoggedAndLeftEmpty)
{
    s.site.exec("UPDATE CallHandler SET TextName = NULL WHERE Alias = 'operatorch'");
    open();
    EXPECT_EQ(search("110"), (std::vector<Found>{{"Call Handler", "operatorch", "", 29}}));
    ASSERT_EQ(errorLines().size(), 1);
    EXPECT_TRUE(errorLines()[0].contains("looking for ID=110 error description=Invalid use of Null, "));
}

} // namespace
