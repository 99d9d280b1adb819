#include "data/RecordsetCache.h"

#include "db/Connection.h"
#include "db/RecordsetWriter.h"
#include "db/Sqlite.h"
#include "fixtures/FixtureSite.h"
#include "server/ServerFunctions.h"

#include <QFile>
#include <gtest/gtest.h>
#include <optional>
#include <sqlite3.h>
#include <stdexcept>

namespace {

// What the database layer writes to its log while one of these lives.
class DatabaseLog {
public:
    DatabaseLog()
    {
        s_lines = &m_lines;
        m_previous = qInstallMessageHandler(&DatabaseLog::handle);
    }
    ~DatabaseLog()
    {
        qInstallMessageHandler(m_previous);
        s_lines = nullptr;
    }
    QString text() const { return m_lines.join('\n'); }

private:
    static void handle(QtMsgType, const QMessageLogContext& context, const QString& message)
    {
        if (s_lines && context.category && QByteArray(context.category) == "treewright.db")
            s_lines->append(message);
    }
    static inline QStringList* s_lines = nullptr;
    QStringList m_lines;
    QtMessageHandler m_previous = nullptr;
};

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

// A fault of the program itself is no database failure: it is neither logged as one nor turned
// into False, but goes on up to the slot guard, which ends the program.
TEST_F(RecordsetCacheTest, AProgrammingErrorWhileOpeningIsNotTakenForADatabaseFailure)
{
    ConnectionFactory faulty(site.rootPath(), [](sqlite3*) { throw std::logic_error("a fault of the program"); });
    RecordsetCache failing(faulty);
    DatabaseLog log;
    EXPECT_THROW(failing.OpenDatabaseRecordsets(ConnectionFactory::connectionStringFor("X")), std::logic_error);
    EXPECT_TRUE(log.text().isEmpty()) << log.text().toStdString();
}

// The start-up shows the same boxes whatever went wrong with the database; the log must say what
// it was, with SQLite's own words, its code and the file.
TEST_F(RecordsetCacheTest, AFailedOpenWritesTheCauseToTheDatabaseLog)
{
    auto rewrite = [](FixtureSite& s, qint64 offset, const QByteArray& bytes, bool truncate) {
        QFile file(s.databasePath());
        ASSERT_TRUE(file.open(truncate ? QIODevice::WriteOnly | QIODevice::Truncate : QIODevice::ReadWrite));
        file.seek(offset);
        file.write(bytes);
    };
    struct Case {
        const char* what;
        std::function<void(FixtureSite&, std::optional<SqliteDb>&)> breakIt;
        QStringList expected;
    };
    const Case cases[] = {
        {"missing database",
         [](FixtureSite& s, auto&) { QFile::remove(s.databasePath()); },
         {"Cannot open database \"TalvoDb\" requested by the login. The login failed.", "SQLite code 14"}},
        {"empty file", [&](FixtureSite& s, auto&) { rewrite(s, 0, {}, true); }, {"no such table: Callhandler", "SQLite code 1:"}},
        {"not a database",
         [&](FixtureSite& s, auto&) { rewrite(s, 0, QByteArray(8192, 'x'), true); },
         {"file is not a database", "SQLite code 26"}},
        {"damaged page",
         [&](FixtureSite& s, auto&) {
             const qint64 pageSize = s.scalar("PRAGMA page_size").toInt64();
             const qint64 root = s.scalar("SELECT rootpage FROM sqlite_schema WHERE name = 'CallHandler'").toInt64();
             rewrite(s, (root - 1) * pageSize, QByteArray(int(pageSize), 'Z'), false);
         },
         {"database disk image is malformed", "SQLite code 11"}},
        {"dropped view", [](FixtureSite& s, auto&) { s.exec("DROP VIEW vw_Schedule"); }, {"no such table: vw_Schedule"}},
        {"dropped table", [](FixtureSite& s, auto&) { s.exec("DROP TABLE Schedule"); }, {"no such table: main.Schedule"}},
        {"lock held past the timeout",
         [](FixtureSite& s, std::optional<SqliteDb>& holder) {
             holder.emplace(s.databasePath(), SqliteDb::Mode::ReadWrite);
             holder->exec("BEGIN EXCLUSIVE");
         },
         {"database is locked", "SQLite code 5"}},
    };
    for (const Case& c : cases) {
        FixtureSite broken;
        std::optional<SqliteDb> holder;
        c.breakIt(broken, holder);
        ConnectionFactory factory(broken.rootPath(), [](sqlite3* db) {
            registerServerFunctions(db);
            sqlite3_busy_timeout(db, 50);
        });
        RecordsetCache failing(factory);
        DatabaseLog log;
        EXPECT_FALSE(failing.OpenDatabaseRecordsets(ConnectionFactory::connectionStringFor("X"))) << c.what;
        EXPECT_TRUE(log.text().startsWith("The recordsets could not be opened")) << c.what << ": " << log.text().toStdString();
        EXPECT_TRUE(log.text().contains(broken.databasePath())) << c.what << ": " << log.text().toStdString();
        for (const QString& part : c.expected)
            EXPECT_TRUE(log.text().contains(part)) << c.what << ": " << log.text().toStdString();
    }
}

TEST_F(RecordsetCacheTest, ARequeryThatFailsKeepsTheRowsAndLogsTheCause)
{
    ASSERT_TRUE(open());
    const int schedules = cache.rsSchedule.recordCount();
    cache.rsCallHandler.find("Alias", "goodbyech");
    site.exec("DROP VIEW vw_Schedule");
    DatabaseLog log;
    cache.RequeryAllRecordsets();
    EXPECT_TRUE(cache.rsSchedule.isOpen());
    EXPECT_EQ(cache.rsSchedule.recordCount(), schedules);
    EXPECT_EQ(cache.rsCallHandler.field("Alias").toText(), "goodbyech"); // the others went on
    EXPECT_TRUE(log.text().contains("Select * from vw_Schedule - no such table: vw_Schedule (SQLite code 1"))
        << log.text().toStdString();
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

// A row whose ordering column another program changed moves to its place at the next requery,
// rather than being read again where it stood.
TEST_F(RecordsetCacheTest, ARowWhoseOrderingColumnChangedElsewhereMovesToItsPlace)
{
    ASSERT_TRUE(open());
    const struct {
        Recordset* rs;
        const char* table;
        const char* key;
        const char* ordering;
    } cases[] = {
        {&cache.rsMenuentry, "MenuEntry", "MenuEntryObjectID", "ParentObjectID"},
        {&cache.rsMessagingRule, "MessagingRule", "MessagingRuleObjectID", "ParentObjectID"},
        {&cache.rsContactRule, "ContactRule", "ContactRuleObjectID", "ParentObjectID"},
        {&cache.rsInterviewQuestion, "InterviewQuestion", "InterviewQuestionObjectID", "Alias"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.table);
        c.rs->moveFirst();
        const QString first = c.rs->field(c.key).toText();
        site.execute(QString("UPDATE %1 SET %2 = '~last' WHERE %3 = ?").arg(c.table, c.ordering, c.key), {first});
        cache.RequeryAllRecordsets();
        c.rs->moveLast();
        EXPECT_EQ(c.rs->field(c.key).toText(), first);
    }
}

TEST_F(RecordsetCacheTest, CloseTwiceChangesNothing)
{
    ASSERT_TRUE(open());
    cache.CloseDatabaseRecordsets();
    for (Recordset* rs : all())
        EXPECT_FALSE(rs->isOpen());
    cache.CloseDatabaseRecordsets();
}

// A shown page marks its object's rows by their keys, wherever lookups left the shared rows: a
// change another program made since is refused though a requery read it. A column no page marks
// is checked against the value read, and the database log says so unless the writer expects it.
TEST_F(RecordsetCacheTest, APageMarksWhatItShowsByKeyAndAnUnmarkedCheckIsLogged)
{
    ASSERT_TRUE(open());
    const QString ben = site.scalar("SELECT SubscriberObjectID FROM Subscriber WHERE Alias = 'bcarter'").toText();
    const QString benHandler = site.scalar("SELECT CallHandlerObjectID FROM CallHandler WHERE Alias = 'bcarter_ch'").toText();
    Recordset& subscribers = cache.rsSubscriber;
    Recordset& handlers = cache.rsCallHandler;
    ASSERT_TRUE(subscribers.find("Alias", "amoreno"));
    ASSERT_TRUE(handlers.find("Alias", "salesch"));
    cache.markPageShown(RecordsetCache::ShownPage::Subscriber, benHandler);
    EXPECT_EQ(subscribers.field("Alias").toText(), "amoreno");
    EXPECT_EQ(handlers.field("Alias").toText(), "salesch");

    site.execute("UPDATE Subscriber SET ExitAction = 1, FirstName = 'Benjamin' WHERE SubscriberObjectID = ?", {ben});
    site.execute("UPDATE CallHandler SET MaxMsgLen = 99 WHERE CallHandlerObjectID = ?", {benHandler});
    cache.RequeryAllRecordsets();
    const struct {
        Recordset* rs;
        const char* key;
        QString id;
        const char* column;
        Variant value;
    } refused[] = {
        {&subscribers, "SubscriberObjectID", ben, "ExitAction", 4},
        {&handlers, "CallHandlerObjectID", benHandler, "MaxMsgLen", 30},
    };
    for (const auto& c : refused) {
        SCOPED_TRACE(c.column);
        c.rs->moveFirst();
        ASSERT_TRUE(c.rs->find(c.key, c.id));
        c.rs->setField(c.column, c.value);
        try {
            c.rs->update();
            ADD_FAILURE() << "written over a change the page did not show";
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.number(), ErrorNumber::RowCannotBeLocated);
            c.rs->cancelUpdate();
        }
    }

    DatabaseLog log;
    subscribers.moveFirst();
    ASSERT_TRUE(subscribers.find("SubscriberObjectID", ben));
    subscribers.setField("FirstName", "Ben");
    subscribers.update();
    EXPECT_EQ(log.text(), QString(kUnmarkedCheck) + "vw_Subscriber.FirstName");
    subscribers.setField("LastName", "Carter-Jones");
    subscribers.update(Recordset::Unmarked::Expected);
    EXPECT_EQ(log.text(), QString(kUnmarkedCheck) + "vw_Subscriber.FirstName");
}

} // namespace
