#include "data/RecordsetCache.h"

#include "db/Connection.h"
#include "fixtures/FixtureSite.h"
#include "server/ServerFunctions.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

class RecordsetCacheTest : public ::testing::Test {
protected:
    RecordsetCacheTest()
        : connections(site.rootPath(), registerServerFunctions),
          cache(connections)
    {
    }

    bool open() { return cache.OpenDatabaseRecordsets(ConnectionFactory::connectionStringFor("TESTHOST")); }

    std::vector<Recordset*> all()
    {
        return {&cache.rsCallHandler, &cache.rsMenuentry,        &cache.rsMessagingRule,
                &cache.rsContactRule, &cache.rsInterviewHandler, &cache.rsInterviewQuestion,
                &cache.rsSubscriber,  &cache.rsDistributionList, &cache.rsDTMFAccessID,
                &cache.rsCOS,         &cache.rsLocation,         &cache.rsNameLookupHandler,
                &cache.rsSchedule};
    }

    QString currentId(Recordset& rs, const char* column) { return rs.isEOF() ? QString("(EOF)") : rs.field(column).toText(); }

    FixtureSite site;
    ConnectionFactory connections;
    RecordsetCache cache;
};

TEST_F(RecordsetCacheTest, OpensAllThirteenOnOneConnectionAndFindsTheDialingDomain)
{
    ASSERT_TRUE(open());
    for (Recordset* rs : all()) {
        EXPECT_TRUE(rs->isOpen()) << rs->source().toStdString();
        EXPECT_EQ(rs->activeConnection(), cache.rsCallHandler.activeConnection());
        EXPECT_GT(rs->recordCount(), 0) << rs->source().toStdString();
    }
    EXPECT_EQ(cache.LocalDialingDomainName, DemoSite::DialingDomain);

    // The joined extension of a subscriber's own handler is the subscriber's.
    ASSERT_TRUE(cache.rsCallHandler.find("Alias", "amoreno_ch"));
    EXPECT_EQ(cache.rsCallHandler.field("DtmfAccessId").toText(), "2001");
    EXPECT_EQ(cache.rsCallHandler.field("DTMFACCESSID").toText(), "2001");
}

TEST_F(RecordsetCacheTest, ALocalLocationWithoutDomainOpensWithAnEmptyName)
{
    site.exec("UPDATE Location SET DialingDomainName = NULL WHERE UnDeletable = 1");
    ASSERT_TRUE(open());
    EXPECT_TRUE(cache.LocalDialingDomainName.isEmpty());
}

TEST_F(RecordsetCacheTest, AFailedOpenClosesEverythingAndSaysSo)
{
    struct Case {
        const char* what;
        std::function<void(FixtureSite&)> breakIt;
    };
    const Case cases[] = {
        {"missing view", [](FixtureSite& s) { s.exec("DROP VIEW vw_Schedule"); }},
        {"missing local location", [](FixtureSite& s) { s.exec("UPDATE Location SET UnDeletable = 0"); }},
        {"missing database", [](FixtureSite& s) { QFile::remove(s.databasePath()); }},
    };
    for (const Case& c : cases) {
        FixtureSite broken;
        c.breakIt(broken);
        ConnectionFactory factory(broken.rootPath(), registerServerFunctions);
        RecordsetCache failing(factory);
        EXPECT_FALSE(failing.OpenDatabaseRecordsets(ConnectionFactory::connectionStringFor("X"))) << c.what;
        EXPECT_FALSE(failing.rsCallHandler.isOpen()) << c.what;
        EXPECT_FALSE(failing.rsLocation.isOpen()) << c.what;
        failing.CloseDatabaseRecordsets(); // closing again changes nothing and shows nothing
    }
}

TEST_F(RecordsetCacheTest, RequeryKeepsSevenOnTheirRowsAndPutsSixOnTheirFirst)
{
    ASSERT_TRUE(open());
    auto moveToSecond = [](Recordset& rs) {
        rs.moveFirst();
        rs.moveNext();
    };
    struct Kept {
        Recordset* rs;
        const char* key;
    };
    const Kept kept[] = {{&cache.rsCallHandler, "CallHandlerObjectID"},
                         {&cache.rsMessagingRule, "MessagingRuleObjectID"},
                         {&cache.rsNameLookupHandler, "NameLookupHandlerObjectID"},
                         {&cache.rsContactRule, "ContactRuleObjectID"},
                         {&cache.rsInterviewHandler, "InterviewHandlerObjectID"},
                         {&cache.rsMenuentry, "MenuEntryObjectID"}};
    QStringList before;
    for (const Kept& k : kept) {
        moveToSecond(*k.rs);
        before << currentId(*k.rs, k.key);
    }
    cache.rsSubscriber.moveLast();
    cache.rsSubscriber.moveNext(); // at its end: stays there
    const std::vector<Recordset*> firstRow = {&cache.rsInterviewQuestion, &cache.rsCOS,      &cache.rsDistributionList,
                                              &cache.rsLocation,          &cache.rsSchedule, &cache.rsDTMFAccessID};
    for (Recordset* rs : firstRow)
        rs->moveLast();
    cache.rsMenuentry.setFilter("ParentObjectID", cache.rsCallHandler.field("CallHandlerObjectID"));
    cache.rsMenuentry.moveLast();
    before[5] = currentId(cache.rsMenuentry, "MenuEntryObjectID");

    site.exec("UPDATE CallHandler SET TextName = 'changed elsewhere' WHERE Alias = 'goodbyech'");
    cache.RequeryAllRecordsets();

    for (size_t i = 0; i < std::size(kept); ++i)
        EXPECT_EQ(currentId(*kept[i].rs, kept[i].key), before[int(i)]) << kept[i].key;
    EXPECT_TRUE(cache.rsSubscriber.isEOF());
    for (Recordset* rs : firstRow) {
        const auto mark = rs->bookmark();
        rs->moveFirst();
        EXPECT_EQ(rs->bookmark(), mark) << rs->source().toStdString();
    }
    EXPECT_EQ(cache.rsMenuentry.recordCount(), 12); // the filter is neither set nor cleared
    EXPECT_EQ(cache.rsMenuentry.filter().size(), 1u);
    cache.rsCallHandler.moveFirst();
    ASSERT_TRUE(cache.rsCallHandler.find("Alias", "goodbyech"));
    EXPECT_EQ(cache.rsCallHandler.field("TextName").toText(), "changed elsewhere");
}

TEST_F(RecordsetCacheTest, RequeryOnAHandlerDeletedElsewhereLeavesTheEnd)
{
    ASSERT_TRUE(open());
    ASSERT_TRUE(cache.rsCallHandler.find("Alias", "goodbyech"));
    site.exec("DELETE FROM CallHandler WHERE Alias = 'goodbyech'");
    cache.RequeryAllRecordsets();
    EXPECT_TRUE(cache.rsCallHandler.isEOF());
}

TEST_F(RecordsetCacheTest, TheJoinedExtensionOfASubscribersHandlerReachesTheSubscribersRow)
{
    ASSERT_TRUE(open());
    ASSERT_TRUE(cache.rsCallHandler.find("Alias", "amoreno_ch"));
    const QString subscriber = cache.rsCallHandler.field("RecipientObjectID").toText();
    cache.rsCallHandler.setField("DTMFAccessID", "2991");
    cache.rsCallHandler.update();
    EXPECT_EQ(
        site.scalar("SELECT DTMFAccessID FROM DTMFAccessID WHERE ParentObjectID = ? AND IsPrimaryID = 1 AND ParentObjectIDType = 1",
                    {subscriber})
            .toText(),
        "2991");
    EXPECT_EQ(cache.rsCallHandler.field("DtmfAccessId").toText(), "2991");

    site.exec("DELETE FROM DTMFAccessID WHERE DTMFAccessID = '2991'");
    cache.RequeryAllRecordsets();
    ASSERT_TRUE(cache.rsCallHandler.field("DtmfAccessId").isNull());
    cache.rsCallHandler.setField("DTMFAccessID", "2992"); // a subscriber without a row gets one
    cache.rsCallHandler.update();
    EXPECT_EQ(
        site.scalar("SELECT count(*) FROM DTMFAccessID WHERE ParentObjectID = ? AND DTMFAccessID = '2992'", {subscriber}).toInt32(),
        1);
}

TEST_F(RecordsetCacheTest, CloseTwiceChangesNothing)
{
    ASSERT_TRUE(open());
    cache.CloseDatabaseRecordsets();
    for (Recordset* rs : all())
        EXPECT_FALSE(rs->isOpen());
    cache.CloseDatabaseRecordsets();
}

} // namespace
