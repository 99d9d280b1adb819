#include "data/LinkDisplay.h"

#include "data/RecordsetCache.h"
#include "db/Connection.h"
#include "fakes/ScriptedPrompts.h"
#include "fixtures/FixtureSite.h"
#include "server/ServerFunctions.h"

#include <gtest/gtest.h>

namespace {

const QString kMissing = "{0BADBEEF-0000-0000-0000-000000000000}";

class LinkDisplayTest : public ::testing::Test {
protected:
    LinkDisplayTest()
        : connections(site.rootPath(), registerServerFunctions),
          cache(connections)
    {
    }

    void open() { ASSERT_TRUE(cache.OpenDatabaseRecordsets(ConnectionFactory::connectionStringFor("TESTHOST"))); }

    QString id(const char* sql, const QString& alias) const { return site.scalar(sql, {alias}).toText(); }
    QString handler(const QString& alias) const { return id("SELECT CallHandlerObjectID FROM CallHandler WHERE Alias = ?", alias); }

    static QString at(Recordset& rs, const char* key) { return rs.isEOF() ? QString("(EOF)") : rs.field(key).toText(); }

    QString text(const QString& conversation, qint16 action, const QString& destination)
    {
        return ConstructActionString(cache, prompts, conversation, action, destination);
    }

    FixtureSite site;
    ConnectionFactory connections;
    RecordsetCache cache;
    ScriptedPrompts prompts;
};

TEST_F(LinkDisplayTest, EveryKindOfLinkIsWordedAndTheLookupsGoBackWhereTheyStood)
{
    site.execute("UPDATE CallHandler SET AdministratorObjectID = ? WHERE Alias = 'bcarter_ch'", {kMissing});
    site.exec("UPDATE CallHandler SET TextName = NULL WHERE Alias = 'supportch'");
    open();
    const QString sales = handler("salesch"), alice = handler("amoreno_ch"), ben = handler("bcarter_ch"),
                  support = handler("supportch");
    const QString feedback = id("SELECT InterviewHandlerObjectID FROM InterviewHandler WHERE Alias = ?", "customerfeedback");
    const struct {
        QString conversation;
        qint16 action;
        QString destination;
        QString text;
        QString message;
    } cases[] = {
        {"PHGreeting", 0, sales, "Ignore Key", {}},
        {{}, 1, {}, "Hang Up", {}},
        {"Anything", 4, kMissing, "Take Message", {}},
        {{}, 5, {}, "Skip Greeting", {}},
        {"SubSignIn", 2, {}, "Route to Subscriber Sign In", {}},
        {"GreetingsAdministrator", 2, {}, "Route to Greetings Administrator", {}},
        {"AD", 2, kMissing, "Route to Alpha Directory", {}},
        {"PHTransfer", 2, sales, "Ring phone for: Sales", {}},
        {"PHGreeting", 2, alice, "Send to greeting for: Alice Moreno", {}},
        {"PHGreeting", 2, kMissing, "Invalid Link!", {}},
        {"PHGreeting", 2, ben, "Error in ConstructActionString.  Can't find subscriber reference:" + kMissing, {}},
        {"PHTransfer", 2, ben, "Invalid Link!", {}},
        {"PHGreeting", 2, support, "(Error)", {}}, // a Null name
        {"CHInterview", 2, feedback, "Send to interviewer: Customer Feedback", {}},
        {"CHInterview", 2, kMissing, "Invalid Link!", {}},
        {"phgreeting", 2, sales, "(Error)", "Error in ConstructActionSTring function.  Illegal conversation name:phgreeting"},
        {{}, 3, {}, "(Error)", "Error in ConstructActionString function.  Illegal action type:3"},
    };
    Recordset& ch = cache.rsCallHandler;
    Recordset& sub = cache.rsSubscriber;
    Recordset& ih = cache.rsInterviewHandler;
    ASSERT_TRUE(ch.find("Alias", "goodbyech"));
    ASSERT_TRUE(sub.find("Alias", "jpetrov"));
    ASSERT_TRUE(ih.find("Alias", DemoSite::TemplateInterview));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        prompts.messages.clear();
        EXPECT_EQ(text(c.conversation, c.action, c.destination), c.text);
        EXPECT_EQ(prompts.messages, c.message.isEmpty() ? QStringList() : QStringList{c.message});
        EXPECT_EQ(at(ch, "Alias"), "goodbyech");
        EXPECT_EQ(at(sub, "Alias"), "jpetrov");
        EXPECT_EQ(at(ih, "Alias"), DemoSite::TemplateInterview);
    }
}

TEST_F(LinkDisplayTest, ARecordsetPastItsEndComesBackOnItsFirstRowAndAnEmptyOneStaysEmpty)
{
    open();
    Recordset& ch = cache.rsCallHandler;
    ch.moveLast();
    ch.moveNext();
    cache.rsSubscriber.setFilter("Alias", "nobody"); // no rows at all
    EXPECT_EQ(text("PHTransfer", 2, handler("salesch")), "Ring phone for: Sales");
    ch.moveFirst();
    const QString first = at(ch, "Alias");
    ch.moveLast();
    ch.moveNext();
    const QString owner = site.scalar("SELECT AdministratorObjectID FROM CallHandler WHERE Alias = 'amoreno_ch'").toText();
    EXPECT_EQ(text("PHGreeting", 2, handler("amoreno_ch")),
              "Error in ConstructActionString.  Can't find subscriber reference:" + owner)
        << "the search sees only the filter's rows";
    EXPECT_EQ(at(ch, "Alias"), first);
    EXPECT_TRUE(cache.rsSubscriber.isEOF());
    EXPECT_EQ(cache.rsSubscriber.recordCount(), 0);
}

TEST_F(LinkDisplayTest, OwnerTypeNamesSubscribersAndListsAndLeavesTheirRowsCurrent)
{
    open();
    const QString alice = id("SELECT SubscriberObjectID FROM Subscriber WHERE Alias = ?", "amoreno");
    const QString team = id("SELECT SystemDListObjectID FROM DistributionList WHERE Alias = ?", "supportteam");

    EXPECT_EQ(GetOwnerObjectType(cache, alice), OwnerObjectType::Subscriber);
    EXPECT_EQ(at(cache.rsSubscriber, "DisplayName"), "Alice Moreno");

    EXPECT_EQ(GetOwnerObjectType(cache, team), OwnerObjectType::DistributionList);
    EXPECT_TRUE(cache.rsSubscriber.isEOF());
    EXPECT_EQ(at(cache.rsDistributionList, "DisplayName"), "Support Team");

    EXPECT_EQ(GetOwnerObjectType(cache, kMissing), OwnerObjectType::Neither);
    EXPECT_TRUE(cache.rsSubscriber.isEOF());
    EXPECT_TRUE(cache.rsDistributionList.isEOF());

    cache.CloseDatabaseRecordsets();
    EXPECT_EQ(GetOwnerObjectType(cache, alice), OwnerObjectType::Neither) << "a failing lookup finds nothing";
    EXPECT_TRUE(prompts.messages.isEmpty());
}

} // namespace
