// The program's own SQL texts, built the way the program builds them, run against the demo site.

#include "ServerTestSupport.h"
#include "fixtures/FindExtensionText.h"
#include "fixtures/FixtureSite.h"
#include "fixtures/ReferenceQueries.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

namespace {

// A query text with the values its "?1", "?2" are bound to.
struct Query {
    Query(const QString& text, std::vector<Variant> bound = {})
        : sql(text),
          values(std::move(bound))
    {
    }
    QString sql;
    std::vector<Variant> values;
};

const QString kCallHandlerCache =
    QStringLiteral("SELECT d.DtmfAccessId, c.* FROM Callhandler c LEFT JOIN (SELECT ParentObjectIDType, ParentObjectId, "
                   "DtmfAccessId FROM DtmfAccessId WHERE IsPrimaryId = 1) d ON (c.CallhandlerObjectId = d.ParentObjectId AND "
                   "c.IsPrimary=0) OR (c.RecipientObjectId = d.ParentObjectId AND d.ParentObjectIDType=1 AND c.IsPrimary=1)");

Query extensionUseGlobal(const QString& domain, const QString& extension)
{
    return {
        QStringLiteral("Select GlobalSubscriber.Alias, GlobalSubscriber.DisplayName, GlobalSubscriber.SubscriberObjectID, "
                       "GlobalLocation.TextName, GlobalLocation.DialingDomainName, DTMFAccessID.DTMFAccessID From "
                       "GlobalLocation, DTMFAccessID inner join GlobalSubscriber on "
                       "GlobalSubscriber.SubscriberObjectID=DTMFAccessID.ParentOBjectID WHERE "
                       "GlobalLocation.DialingDomainName=?1 AND GlobalLocation.LocationObjectID=GlobalSubscriber.LocationObjectID "
                       "AND DTMFAccessID.DTMFAccessID=?2"),
        {domain, extension}};
}

Query extensionUseLocal(const QString& extension)
{
    return {QStringLiteral("Select Subscriber.Alias, Subscriber.DisplayName, Subscriber.SubscriberObjectID, "
                           "DTMFAccessID.DTMFAccessID From DTMFAccessID inner join Subscriber on "
                           "Subscriber.SubscriberObjectID=DTMFAccessID.ParentOBjectID WHERE DTMFAccessID.DTMFAccessID=?1"),
            {extension}};
}

const QString kObjectListCallHandlers = QStringLiteral(
    "SELECT Alias, TextName as 'Display Name', DTMFAccessID as Extension, CallHandlerObjectID FROM vw_CallHandler WHERE "
    "IsPrimary=0 ORDER BY Alias");
const QString kObjectListSubscribers = QStringLiteral(
    "SELECT vw_subscriber.Alias, vw_subscriber.DisplayName as 'Display Name', vw_callhandler.DTMFAccessID as Extension, "
    "vw_callhandler.alias as Junk, vw_subscriber.FirstName as 'First Name', vw_subscriber.LastName as 'Last Name', "
    "vw_subscriber.SubscriberObjectID, vw_callhandler.callHandlerObjectID FROM vw_Subscriber INNER JOIN vw_CallHandler ON "
    "vw_Subscriber.CallHandlerObjectID=vw_CallHandler.CallHandlerObjectID WHERE vw_Subscriber.SubscriberType IN (1,3) ORDER "
    "BY vw_Subscriber.Alias");
const QString kObjectListInterviewHandlers = QStringLiteral(
    "SELECT Alias, TextName as 'Display Name', DTMFAccessID as Extension, InterviewHandlerObjectID FROM vw_InterviewHandler "
    "ORDER BY Alias");
const QString kObjectListDirectoryHandlers =
    QStringLiteral("SELECT Alias, TextName as 'Display Name', DTMFAccessID as Extension, NameLookupHandlerObjectID FROM "
                   "vw_NameLookupHandler ORDER BY Alias");

Query referencingSubscribers(const QString& id)
{
    return {ReferenceQueries::subscribers, {id}};
}

Query referencingHandlers(const QString& id)
{
    return {ReferenceQueries::callHandlers, {id}};
}

// The find-extension text as the program first built it, the digits bound.
Query findExtension(const QString& extension, bool nonPrimaryView)
{
    return {findExtensionAsFirstWritten(QStringLiteral("?1"), nonPrimaryView), {extension}};
}

// The search dialogs: a pattern starting with "*" adds no condition; in the pattern every "*"
// becomes "%". The condition ends with the compared column and LIKE.
Query withPattern(const QString& head, const QString& condition, QString pattern, const QString& tail)
{
    if (pattern.startsWith(QLatin1Char('*')))
        return {head + tail};
    return {head + condition + QStringLiteral("?1) ") + tail, {pattern.replace(QLatin1Char('*'), QLatin1Char('%'))}};
}

Query subscriberSearch(const QString& condition, const QString& pattern)
{
    return withPattern(QStringLiteral("SELECT vw_Subscriber.Alias, vw_Subscriber.DisplayName,vw_CallHandler.DtmfAccessId, "
                                      "vw_Subscriber.FirstName,vw_Subscriber.LastName , vw_CallHandler.CallHandlerObjectId "
                                      "FROM vw_CallHandler INNER JOIN vw_Subscriber ON "
                                      "vw_CallHandler.CallHandlerObjectId = vw_Subscriber.CallHandlerObjectId "
                                      "WHERE (vw_Subscriber.SubscriberType IN (1,3))"),
                       condition, pattern,
                       QStringLiteral("GROUP BY vw_Subscriber.Alias, vw_Subscriber.DisplayName, vw_CallHandler.DtmfAccessId, "
                                      "vw_Subscriber.FirstName,vw_Subscriber.LastName , vw_CallHandler.CallHandlerObjectId"));
}

Query callHandlerSearch(const QString& condition, const QString& pattern)
{
    return withPattern(
        QStringLiteral("SELECT Alias, TextName,DtmfAccessId, CallHandlerObjectId FROM vw_CallHandler WHERE (IsPrimary<>1)"),
        condition, pattern, QStringLiteral("GROUP BY Alias, TextName, DtmfAccessId, CallHandlerObjectId ORDER BY Alias"));
}

Query interviewerSearch(const QString& condition, const QString& pattern)
{
    return withPattern(QStringLiteral("SELECT Alias, TextName, DtmfAccessId, InterviewHandlerObjectId FROM vw_InterviewHandler"),
                       condition, pattern, QStringLiteral(" ORDER BY Alias"));
}

Query distributionListSearch(const QString& condition, const QString& pattern)
{
    return withPattern(QStringLiteral("SELECT Alias, DisplayName,DtmfAccessId, SystemDListObjectId FROM vw_DistributionList"),
                       condition, pattern, QString());
}

Query directoryHandlerPick(const QString& condition, const QString& pattern)
{
    return withPattern(QStringLiteral("SELECT Alias, TextName,DtmfAccessId, NameLookupHandlerObjectId FROM vw_NameLookupHandler"),
                       condition, pattern,
                       QStringLiteral(" GROUP BY Alias, TextName, DtmfAccessId, NameLookupHandlerObjectId ORDER BY Alias"));
}

Query transferStrings(const QString& text, bool exact)
{
    return {QStringLiteral(
                "SELECT vw_Subscriber.Alias as SubAlias, vw_Subscriber.DisplayName, vw_ContactRule.Alias as ContactAlias, "
                "vw_ContactRule.Extension, vw_CallHandler.IsPrimary, vw_CallHandler.Alias as HandlerAlias FROM "
                "vw_ContactRule INNER JOIN vw_CallHandler ON vw_ContactRule.ParentObjectID=vw_CallHandler.CallHandlerObjectID "
                "LEFT OUTER JOIN vw_Subscriber on vw_Subscriber.CallHandlerObjectID=vw_CallHandler.CallHandlerObjectID ")
                + (exact ? QStringLiteral("WHERE vw_ContactRule.Extension=?1")
                         : QStringLiteral("WHERE vw_ContactRule.Extension LIKE ?1")),
            {exact ? text : QStringLiteral("%") + text + QStringLiteral("%")}};
}

class ServerQueries : public ::testing::Test {
protected:
    ServerQueries()
        : db(openServerDb(site.databasePath()))
    {
    }

    QString handlerId(const QString& alias)
    {
        return db->scalar(QStringLiteral("SELECT CallHandlerObjectID FROM CallHandler WHERE Alias = ?"), {alias}).toText();
    }
    QString subscriberId(const QString& alias)
    {
        return db->scalar(QStringLiteral("SELECT SubscriberObjectID FROM Subscriber WHERE Alias = ?"), {alias}).toText();
    }
    Rows rows(const Query& query) { return queryRows(*db, query.sql, query.values); }

    FixtureSite site;
    std::unique_ptr<SqliteDb> db;
};

TEST_F(ServerQueries, CacheSourcesOpenWithOneRowPerObject)
{
    const struct {
        const char* text;
        int rows;
    } sources[] = {
        {"Select * from vw_MenuEntry order by ParentObjectID", 15 * 12},
        {"Select * from vw_MessagingRule order by ParentObjectID", 15 * 6},
        {"Select * from vw_ContactRule order by ParentObjectID", 15 * 3},
        {"Select * from vw_InterviewHandler order by InterviewHandlerObjectID", 2},
        {"Select * from vw_InterviewQuestion order by Alias", 3},
        {"Select * from vw_Subscriber order by SubscriberObjectID", 10},
        {"Select * from vw_DistributionList order by SystemDListObjectID", 2},
        {"SELECT * FROM DTMFAccessID", 20},
        {"Select * from vw_COS order by COSObjectID", 3},
        {"Select * from vw_Location order by LocationObjectID", 1},
        {"Select * from vw_NameLookupHandler", 1},
        {"Select * from vw_Schedule", 3},
    };
    for (const auto& source : sources)
        EXPECT_EQ(int(rows(QString::fromLatin1(source.text)).size()), source.rows) << source.text;

    // The join finds at most one extension per handler, so no handler shows twice.
    Statement st(*db, kCallHandlerCache);
    EXPECT_EQ(st.columnName(0), QStringLiteral("DtmfAccessId"));
    EXPECT_EQ(int(rows(kCallHandlerCache).size()), 15);
}

TEST_F(ServerQueries, CacheJoinAndCallHandlerViewAgreeOnEveryExtension)
{
    const Rows joined = rows(QStringLiteral("SELECT c.CallHandlerObjectID, j.DtmfAccessId, v.DTMFAccessID FROM CallHandler c "
                                            "JOIN (%1) j ON j.CallHandlerObjectID = c.CallHandlerObjectID "
                                            "JOIN vw_CallHandler v ON v.CallHandlerObjectID = c.CallHandlerObjectID")
                                 .arg(kCallHandlerCache));
    ASSERT_EQ(joined.size(), 15u);
    for (const auto& row : joined)
        EXPECT_EQ(row[1], row[2]) << row[0].toText().toStdString();

    // A subscriber's own handler shows the subscriber's extension; an ordinary one its own.
    EXPECT_EQ(db->scalar(QStringLiteral("SELECT DTMFAccessID FROM vw_CallHandler WHERE Alias = 'amoreno_ch'")), Variant("2001"));
    EXPECT_EQ(db->scalar(QStringLiteral("SELECT DTMFAccessID FROM vw_CallHandler WHERE Alias = 'operatorch'")), Variant("110"));
    EXPECT_TRUE(db->scalar(QStringLiteral("SELECT DTMFAccessID FROM vw_CallHandler WHERE Alias = 'openinggreetingch'")).isNull());
}

TEST_F(ServerQueries, CacheJoinUsesIndexesOnAGeneratedSite)
{
    FixtureSite generated(LargeSiteSizes{300, 100, 3, 2, 5});
    auto gdb = openServerDb(generated.databasePath());
    const QStringList plan = columnTexts(queryRows(*gdb, QStringLiteral("EXPLAIN QUERY PLAN ") + kCallHandlerCache), 3);
    // Only the handlers themselves are read in full; every extension is looked up by an index.
    EXPECT_EQ(plan.filter(QStringLiteral("SCAN")).size(), 1) << plan.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(plan.filter(QStringLiteral("SCAN c")).size() == 1) << plan.join(QLatin1Char('\n')).toStdString();
}

TEST_F(ServerQueries, ExtensionUseSearchFindsSubscribersInTheDomainOrLocally)
{
    EXPECT_EQ(columnTexts(rows(extensionUseGlobal(QStringLiteral("brightwater.local"), QStringLiteral("2001"))), 0),
              QStringList{QStringLiteral("amoreno")});
    EXPECT_EQ(columnTexts(rows(extensionUseGlobal(QStringLiteral("BRIGHTWATER.LOCAL"), QStringLiteral("2006"))), 4),
              QStringList{QStringLiteral("brightwater.local")});
    EXPECT_TRUE(rows(extensionUseGlobal(QStringLiteral("elsewhere.local"), QStringLiteral("2001"))).empty());
    // Neither search asks for the primary extension: a second number finds its owner too.
    EXPECT_EQ(columnTexts(rows(extensionUseLocal(QStringLiteral("5000"))), 0), QStringList{QStringLiteral("fhaddad")});
    EXPECT_EQ(columnTexts(rows(extensionUseLocal(QStringLiteral("2010"))), 1), QStringList{QStringLiteral("Jonas Petrov")});
    EXPECT_TRUE(rows(extensionUseLocal(QStringLiteral("02001"))).empty());
    // Extensions of handlers are not subscribers'.
    EXPECT_TRUE(rows(extensionUseLocal(QStringLiteral("110"))).empty());
}

TEST_F(ServerQueries, ObjectListsKeepTheirColumnPositions)
{
    const Rows handlers = rows(kObjectListCallHandlers);
    EXPECT_EQ(columnTexts(handlers, 0),
              (QStringList{QStringLiteral("goodbyech"), QStringLiteral("openinggreetingch"), QStringLiteral("operatorch"),
                           QStringLiteral("salesch"), QStringLiteral("supportch")}));
    EXPECT_EQ(columnTexts(handlers, 2), (QStringList{QStringLiteral("190"), QStringLiteral("(null)"), QStringLiteral("110"),
                                                     QStringLiteral("120"), QStringLiteral("130")}));
    EXPECT_EQ(handlers[2][3].toText(), handlerId(QStringLiteral("operatorch")));
    Statement names(*db, kObjectListCallHandlers);
    EXPECT_EQ(names.columnName(1), QStringLiteral("Display Name"));

    const Rows subscribers = rows(kObjectListSubscribers);
    ASSERT_EQ(subscribers.size(), 10u);
    EXPECT_EQ(subscribers[0][0], Variant("amoreno"));
    EXPECT_EQ(subscribers[0][2], Variant("2001")); // the subscriber's extension, through its own handler
    EXPECT_EQ(subscribers[0][3], Variant("amoreno_ch"));
    EXPECT_EQ(subscribers[0][6].toText(), subscriberId(QStringLiteral("amoreno")));
    EXPECT_EQ(subscribers[0][7].toText(), handlerId(QStringLiteral("amoreno_ch")));

    EXPECT_EQ(columnTexts(rows(kObjectListInterviewHandlers), 2), (QStringList{QStringLiteral("300"), QStringLiteral("(null)")}));
    EXPECT_EQ(columnTexts(rows(kObjectListDirectoryHandlers), 0), QStringList{QStringLiteral("companydirectory")});
}

TEST_F(ServerQueries, ReferencesListEveryObjectThatLinksToTheTarget)
{
    const QString operatorId = handlerId(QStringLiteral("operatorch"));
    // Every subscriber's key 0 rings the operator.
    EXPECT_EQ(rows(referencingSubscribers(operatorId)).size(), 10u);
    // The opening greeting's key 0 and greetings, and the sales menu's key 0: each handler once.
    EXPECT_EQ(columnTexts(rows(referencingHandlers(operatorId)), 0),
              (QStringList{QStringLiteral("openinggreetingch"), QStringLiteral("salesch")}));
    // Ids compare without regard to case.
    EXPECT_EQ(columnTexts(rows(referencingHandlers(handlerId(QStringLiteral("fhaddad_ch")).toLower())), 0),
              QStringList{QStringLiteral("openinggreetingch")});
    // Subscribers whose exit leads to the opening greeting; Hugo's exit hangs up.
    const Rows exits = rows(referencingSubscribers(handlerId(QStringLiteral("openinggreetingch"))));
    EXPECT_EQ(exits.size(), 9u);
    EXPECT_FALSE(columnTexts(exits, 0).contains(QStringLiteral("hbrandt")));
}

TEST_F(ServerQueries, FindExtensionReportsEachObjectOnce)
{
    struct Case {
        const char* extension;
        int objectType;
        const char* displayName;
    };
    const Case cases[] = {
        {"110", 3, "Operator"},          {"300", 5, "Customer Feedback"},
        {"400", 6, "Company Directory"}, {"2001", 1, "Alice Moreno"}, // own extension: found by two branches, reported once
        {"5000", 1, "Farid Haddad"},                                  // a further extension
        {"500", 2, "All Employees"},     {"7999", 9, "Brightwater Headquarters"},
    };
    for (bool nonPrimaryView : {true, false}) {
        for (const Case& c : cases) {
            const Rows found = rows(findExtension(QString::fromLatin1(c.extension), nonPrimaryView));
            ASSERT_EQ(found.size(), 1u) << c.extension;
            EXPECT_EQ(found[0][1], Variant(c.objectType)) << c.extension;
            EXPECT_EQ(found[0][2], Variant(c.displayName)) << c.extension;
        }
        // A subscriber's own handler is no call handler of its own here.
        EXPECT_EQ(rows(findExtension(QStringLiteral("2002"), nonPrimaryView)).size(), 1u);
        EXPECT_TRUE(rows(findExtension(QStringLiteral("999"), nonPrimaryView)).empty());
    }
}

TEST_F(ServerQueries, FindExtensionComparesDigitsAsText)
{
    db->execute(QStringLiteral("UPDATE DTMFAccessID SET DTMFAccessID = '7' WHERE DTMFAccessID = '190'"));
    db->execute(QStringLiteral("UPDATE DTMFAccessID SET DTMFAccessID = '007' WHERE DTMFAccessID = '300'"));
    EXPECT_EQ(columnTexts(rows(findExtension(QStringLiteral("7"), true)), 2), QStringList{QStringLiteral("Goodbye")});
    EXPECT_EQ(columnTexts(rows(findExtension(QStringLiteral("007"), false)), 2), QStringList{QStringLiteral("Customer Feedback")});
    EXPECT_TRUE(rows(callHandlerSearch(QStringLiteral(" AND (DTMFAccessID LIKE "), QStringLiteral("007"))).empty());
    EXPECT_TRUE(rows(extensionUseLocal(QStringLiteral("7"))).empty());
}

TEST_F(ServerQueries, FindExtensionLeavesOutSubscribersOfOtherDomains)
{
    // One subscriber elsewhere in the domain, one in another domain, both with extension 2001.
    site.exec(QStringLiteral(
        "INSERT INTO GlobalLocation VALUES ('{00000000-0000-0000-0000-00000000000A}', 'Harbour Office', 'Brightwater.Local');"
        "INSERT INTO GlobalLocation VALUES ('{00000000-0000-0000-0000-00000000000B}', 'Partner Site', 'partner.local');"
        "INSERT INTO GlobalSubscriber VALUES ('{00000000-0000-0000-0000-0000000000A1}', 'harbour', 'Harbour Desk', "
        "'{00000000-0000-0000-0000-00000000000a}');"
        "INSERT INTO GlobalSubscriber VALUES ('{00000000-0000-0000-0000-0000000000B1}', 'partner', 'Partner Desk', "
        "'{00000000-0000-0000-0000-00000000000B}');"
        "INSERT INTO DTMFAccessID (DTMFAccessID, ParentObjectID, ParentObjectIDType, IsPrimaryID) VALUES "
        "('2001', '{00000000-0000-0000-0000-0000000000A1}', 1, 1), ('2001', '{00000000-0000-0000-0000-0000000000B1}', 1, 1);"));
    QStringList names = columnTexts(rows(findExtension(QStringLiteral("2001"), true)), 2);
    names.sort();
    EXPECT_EQ(names, (QStringList{QStringLiteral("Alice Moreno"), QStringLiteral("Harbour Desk")}));
    // The domain-wide extension search lists both subscribers of the domain.
    EXPECT_EQ(rows(extensionUseGlobal(QStringLiteral("brightwater.local"), QStringLiteral("2001"))).size(), 2u);
}

TEST_F(ServerQueries, SearchDialogsFilterByTheirPatterns)
{
    struct Case {
        Query query;
        QStringList aliases;
    };
    const Case cases[] = {
        {subscriberSearch(QStringLiteral("AND (vw_Subscriber.FirstName LIKE "), QStringLiteral("al*")),
         {QStringLiteral("amoreno")}},
        {subscriberSearch(QStringLiteral("AND (vw_Subscriber.LastName LIKE "), QStringLiteral("*")),
         {QStringLiteral("amoreno"), QStringLiteral("bcarter"), QStringLiteral("cnovak"), QStringLiteral("dokafor"),
          QStringLiteral("elindqvist"), QStringLiteral("fhaddad"), QStringLiteral("gwhitfield"), QStringLiteral("hbrandt"),
          QStringLiteral("iferreira"), QStringLiteral("jpetrov")}},
        {subscriberSearch(QStringLiteral("AND (vw_Subscriber.Alias LIKE "), QStringLiteral("J*")), {QStringLiteral("jpetrov")}},
        {subscriberSearch(QStringLiteral("AND (vw_CallHandler.DTMFAccessID LIKE "), QStringLiteral("200*")),
         {QStringLiteral("amoreno"), QStringLiteral("bcarter"), QStringLiteral("cnovak"), QStringLiteral("dokafor"),
          QStringLiteral("elindqvist"), QStringLiteral("fhaddad"), QStringLiteral("gwhitfield"), QStringLiteral("hbrandt"),
          QStringLiteral("iferreira")}},
        {callHandlerSearch(QStringLiteral(" AND (TextName LIKE "), QStringLiteral("s*")),
         {QStringLiteral("salesch"), QStringLiteral("supportch")}},
        {callHandlerSearch(QStringLiteral(" AND (DTMFAccessID LIKE "), QStringLiteral("1*0")),
         {QStringLiteral("goodbyech"), QStringLiteral("operatorch"), QStringLiteral("salesch"), QStringLiteral("supportch")}},
        {callHandlerSearch(QStringLiteral(" AND (TextName LIKE "), QStringLiteral("*")),
         {QStringLiteral("goodbyech"), QStringLiteral("openinggreetingch"), QStringLiteral("operatorch"), QStringLiteral("salesch"),
          QStringLiteral("supportch")}},
        {interviewerSearch(QStringLiteral(" WHERE (TextName LIKE "), QStringLiteral("*")),
         {QStringLiteral("customerfeedback"), QStringLiteral("interviewtemplate")}},
        {interviewerSearch(QStringLiteral(" WHERE (DTMFAccessID LIKE "), QStringLiteral("3*")),
         {QStringLiteral("customerfeedback")}},
        {distributionListSearch(QStringLiteral(" WHERE (DisplayName LIKE "), QStringLiteral("s*")),
         {QStringLiteral("supportteam")}},
        {distributionListSearch(QStringLiteral(" WHERE (DisplayName LIKE "), QStringLiteral("*team")),
         {QStringLiteral("allemployees"), QStringLiteral("supportteam")}},
        {distributionListSearch(QStringLiteral(" WHERE (DTMFAccessID LIKE "), QStringLiteral("500")),
         {QStringLiteral("allemployees")}},
        {directoryHandlerPick(QStringLiteral(" WHERE (TextName LIKE "), QStringLiteral("company*")),
         {QStringLiteral("companydirectory")}},
        {directoryHandlerPick(QStringLiteral(" WHERE (DTMFAccessID LIKE "), QStringLiteral("9*")), {}},
    };
    for (const Case& c : cases) {
        QStringList aliases = columnTexts(rows(c.query), 0);
        aliases.sort();
        EXPECT_EQ(aliases, c.aliases) << c.query.sql.toStdString();
    }
}

TEST_F(ServerQueries, TemplateAndCopyQueriesReadTheHandlersRows)
{
    const Rows templates =
        rows(QStringLiteral("select CallHandlerObjectID, IsPrimary, TextName from vw_CallHandler WHERE IsPrimary='0'"));
    EXPECT_EQ(templates.size(), 5u);
    EXPECT_EQ(rows(QStringLiteral("SELECT * FROM CallHandler")).size(), 15u);

    const QString id = handlerId(QStringLiteral("openinggreetingch"));
    const struct {
        const char* head;
        size_t rows;
    } copies[] = {
        {"Select * from ContactRule where ParentObjectID=?1", 3},
        {"Select * from contactrule where ParentObjectID=?1", 3},
        {"Select * from MenuEntry where ParentObjectID=?1", 12},
        {"Select * from MessagingRule where ParentObjectID=?1", 6},
    };
    for (const auto& copy : copies) {
        EXPECT_EQ(rows({QString::fromLatin1(copy.head), {id}}).size(), copy.rows) << copy.head;
        EXPECT_EQ(rows({QString::fromLatin1(copy.head), {id.toLower()}}).size(), copy.rows) << copy.head;
    }
}

TEST_F(ServerQueries, ScheduleEditorReadsTwelveBytesPerDay)
{
    const Rows schedules = rows(QStringLiteral("Select * from Schedule"));
    ASSERT_EQ(schedules.size(), 3u);
    Statement st(*db, QStringLiteral("Select * from Schedule"));
    ASSERT_TRUE(st.step());
    QStringList names;
    for (int c = 0; c < st.columnCount(); ++c)
        names << st.columnName(c);
    const int monday = int(names.indexOf(QStringLiteral("Monday")));
    ASSERT_GE(monday, 0);
    EXPECT_EQ(st.column(names.indexOf(QStringLiteral("DisplayName"))), Variant("Weekdays"));
    EXPECT_EQ(st.column(monday).toBytes().toHex(' '), QByteArray("00 00 00 00 ff ff ff ff f0 00 00 00"));
    EXPECT_EQ(st.column(monday + 5).toBytes(), QByteArray(12, '\0')); // Saturday
}

TEST_F(ServerQueries, TransferStringFinderNamesSubscribersAndHandlers)
{
    // The operator's standard rule rings Alice's phone; Alice's own rules too.
    const Rows exact = rows(transferStrings(QStringLiteral("2001"), true));
    QStringList found;
    for (const auto& row : exact)
        found << QStringLiteral("%1/%2/%3")
                     .arg(row[0].isNull() ? QStringLiteral("-") : row[0].toText(), row[2].toText(), row[5].toText());
    found.sort();
    EXPECT_EQ(found, (QStringList{QStringLiteral("-/Standard/operatorch"), QStringLiteral("amoreno/Alternate/amoreno_ch"),
                                  QStringLiteral("amoreno/Off Hours/amoreno_ch"), QStringLiteral("amoreno/Standard/amoreno_ch")}));
    EXPECT_EQ(rows(transferStrings(QStringLiteral("201"), false)).size(), 3u); // 2010's three rules
}

} // namespace
