#include "server/TalvoSchema.h"

#include "ServerTestSupport.h"
#include "fixtures/FixtureSite.h"
#include "runtime/RuntimeError.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sqlite3.h>

namespace {

const QRegularExpression kGuid(QStringLiteral("^\\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\\}$"));

class TalvoSchema : public ::testing::Test {
protected:
    TalvoSchema()
        : db(openServerDb(site.databasePath()))
    {
    }

    Variant scalar(const QString& sql, const std::vector<Variant>& params = {}) { return db->scalar(sql, params); }
    QString idOf(const QString& table, const QString& keyColumn, const QString& alias)
    {
        return scalar(QStringLiteral("SELECT %1 FROM %2 WHERE Alias = ?").arg(keyColumn, table), {alias}).toText();
    }
    int extensionRows(const QString& parentId)
    {
        return scalar(QStringLiteral("SELECT count(*) FROM DTMFAccessID WHERE ParentObjectID = ?"), {parentId}).toInt32();
    }

    FixtureSite site;
    std::unique_ptr<SqliteDb> db;
};

TEST(TalvoSchemaCreation, EmptyDatabaseGetsEveryViewAndPassesTheIntegrityCheck)
{
    QTemporaryDir dir;
    SqliteDb db(dir.filePath(QStringLiteral("t.sqlite3")), SqliteDb::Mode::Create);
    createTalvoSchema(db);
    EXPECT_EQ(db.scalar(QStringLiteral("PRAGMA integrity_check")), Variant("ok"));
    for (const char* view :
         {"vw_CallHandler", "vw_Callhandler_NonPrimary", "vw_MenuEntry", "vw_MessagingRule", "vw_ContactRule",
          "vw_InterviewHandler", "vw_InterviewQuestion", "vw_Subscriber", "vw_Subscriber_Global", "vw_DTMFAccessID",
          "vw_DistributionList", "vw_COS", "vw_Location", "vw_NameLookupHandler", "vw_Schedule"})
        EXPECT_EQ(db.scalar(QStringLiteral("SELECT count(*) FROM sqlite_schema WHERE type = 'view' AND name = ?"), {view}),
                  Variant(qint64(1)))
            << view;
    // A second run meets the existing objects and changes nothing.
    EXPECT_THROW(createTalvoSchema(db), RuntimeError);
}

TEST_F(TalvoSchema, IdsAndNamesCompareWithoutCaseButConversationsAndDigitsExactly)
{
    const QString opening =
        idOf(QStringLiteral("CallHandler"), QStringLiteral("CallHandlerObjectID"), QStringLiteral("openinggreetingch"));
    EXPECT_TRUE(kGuid.match(opening).hasMatch()) << opening.toStdString();
    EXPECT_EQ(scalar(QStringLiteral("SELECT Alias FROM vw_CallHandler WHERE CallHandlerObjectID = ?"), {opening.toLower()}),
              Variant("openinggreetingch"));
    EXPECT_EQ(scalar(QStringLiteral("SELECT count(*) FROM MenuEntry WHERE ParentObjectID = ?"), {opening.toLower()}),
              Variant(qint64(12)));
    EXPECT_EQ(scalar(QStringLiteral("SELECT TextName FROM CallHandler WHERE Alias = 'OpeningGreetingCH'")),
              Variant("Opening Greeting"));
    EXPECT_EQ(scalar(QStringLiteral("SELECT count(*) FROM Schedule WHERE DisplayName = 'WEEKDAYS'")), Variant(qint64(1)));

    EXPECT_EQ(scalar(QStringLiteral("SELECT count(*) FROM MenuEntry WHERE ConversationName = 'PHGreeting'")).toInt32() > 0, true);
    EXPECT_EQ(scalar(QStringLiteral("SELECT count(*) FROM MenuEntry WHERE ConversationName = 'phgreeting'")), Variant(qint64(0)));
    EXPECT_EQ(scalar(QStringLiteral("SELECT count(*) FROM vw_CallHandler WHERE DTMFAccessID = '0110'")), Variant(qint64(0)));
    EXPECT_EQ(scalar(QStringLiteral("SELECT count(*) FROM vw_CallHandler WHERE DTMFAccessID = '110'")), Variant(qint64(1)));
    EXPECT_EQ(scalar(QStringLiteral("SELECT count(*) FROM ContactRule WHERE Extension = '02001'")), Variant(qint64(0)));
}

TEST_F(TalvoSchema, NumbersWrittenAsTextOrFractionsAreStoredAsIntegers)
{
    const QString rule = scalar(QStringLiteral("SELECT ContactRuleObjectID FROM ContactRule LIMIT 1")).toText();
    db->execute(QStringLiteral("UPDATE vw_ContactRule SET TransferRings = ? WHERE ContactRuleObjectID = ?"), {4.0, rule});
    EXPECT_EQ(scalar(QStringLiteral("SELECT TransferRings FROM ContactRule WHERE ContactRuleObjectID = ?"), {rule}),
              Variant(qint64(4)));

    db->execute(QStringLiteral("UPDATE CallHandler SET MaxMsgLen = ? WHERE Alias = 'salesch'"), {"0030"});
    EXPECT_EQ(scalar(QStringLiteral("SELECT MaxMsgLen FROM CallHandler WHERE Alias = 'salesch'")), Variant(qint64(30)));

    const QString parent =
        idOf(QStringLiteral("InterviewHandler"), QStringLiteral("InterviewHandlerObjectID"), QStringLiteral("customerfeedback"));
    db->execute(
        QStringLiteral("INSERT INTO vw_InterviewQuestion (ParentObjectID, ParentObjectIDType, ParentAlias, Alias, StreamText, "
                       "MaxMsgLength, UID) VALUES (?, 5, 'customerfeedback', '4', 'Anything else?', '30', ' 42')"),
        {parent});
    const Rows added =
        queryRows(*db, QStringLiteral("SELECT Alias, MaxMsgLength, UID, InterviewQuestionObjectID FROM InterviewQuestion "
                                      "WHERE StreamText = 'Anything else?'"));
    ASSERT_EQ(added.size(), 1u);
    EXPECT_EQ(added[0][0], Variant(qint64(4)));
    EXPECT_EQ(added[0][1], Variant(qint64(30)));
    EXPECT_EQ(added[0][2], Variant(qint64(42)));
    EXPECT_TRUE(kGuid.match(added[0][3].toText()).hasMatch());
}

TEST_F(TalvoSchema, QuestionsSortByTheirPlaceAsANumber)
{
    const QString parent =
        idOf(QStringLiteral("InterviewHandler"), QStringLiteral("InterviewHandlerObjectID"), QStringLiteral("customerfeedback"));
    for (int place = 4; place <= 11; ++place)
        db->execute(QStringLiteral("INSERT INTO vw_InterviewQuestion (ParentObjectID, ParentObjectIDType, ParentAlias, Alias) "
                                   "VALUES (?, 5, 'customerfeedback', ?)"),
                    {parent, QString::number(place)});
    const QStringList order = columnTexts(queryRows(*db, QStringLiteral("Select * from vw_InterviewQuestion order by Alias")), 4);
    EXPECT_EQ(order, (QStringList{"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11"}));
    const Rows newest = queryRows(*db, QStringLiteral("SELECT UID FROM vw_InterviewQuestion ORDER BY UID DESC"));
    EXPECT_EQ(newest.front()[0], Variant(qint64(3)));
}

TEST_F(TalvoSchema, DateColumnsAreDeclaredAsDatesThroughTheViews)
{
    for (const char* sql : {"SELECT TimeExpires FROM vw_MessagingRule", "SELECT TimeExpires FROM vw_ContactRule"}) {
        Statement st(*db, QString::fromLatin1(sql));
        EXPECT_STREQ(sqlite3_column_decltype(st.handle(), 0), "DATETIME") << sql;
    }
    EXPECT_EQ(scalar(QStringLiteral("SELECT TimeExpires FROM MessagingRule WHERE TimeExpires IS NOT NULL LIMIT 1")),
              Variant("1993-01-02 00:00:00"));
}

TEST_F(TalvoSchema, ViewsFlaggedAsIntegersMatchTextComparisons)
{
    EXPECT_EQ(scalar(QStringLiteral("SELECT count(*) FROM vw_CallHandler WHERE IsPrimary='0'")), Variant(qint64(5)));
    EXPECT_EQ(scalar(QStringLiteral("SELECT count(*) FROM vw_Location WHERE UnDeletable='1'")), Variant(qint64(1)));
    EXPECT_EQ(scalar(QStringLiteral("SELECT Alias FROM vw_InterviewHandler WHERE Undeletable='1'")), Variant("interviewtemplate"));
}

TEST_F(TalvoSchema, SubscriberViewFindsTheOwnCallHandler)
{
    const Rows rows = queryRows(
        *db, QStringLiteral("SELECT s.Alias, s.CallHandlerObjectID, c.IsPrimary, c.RecipientObjectID = s.SubscriberObjectID, "
                            "c.AdministratorObjectID = s.SubscriberObjectID, c.RecipientObjectIDType, c.AdministratorObjectIDType "
                            "FROM vw_Subscriber s LEFT JOIN CallHandler c ON c.CallHandlerObjectID = s.CallHandlerObjectID"));
    ASSERT_EQ(rows.size(), 10u);
    for (const auto& row : rows) {
        const std::string alias = row[0].toText().toStdString();
        ASSERT_FALSE(row[1].isNull()) << alias;
        for (int c = 2; c <= 6; ++c)
            EXPECT_EQ(row[size_t(c)], Variant(qint64(1))) << alias << " column " << c;
    }
    // A second own handler for the same subscriber is refused, so the view never doubles a row.
    const QString alice = idOf(QStringLiteral("Subscriber"), QStringLiteral("SubscriberObjectID"), QStringLiteral("amoreno"));
    EXPECT_THROW(
        db->execute(QStringLiteral("INSERT INTO CallHandler (Alias, IsPrimary, RecipientObjectID) VALUES ('x', 1, ?)"), {alice}),
        RuntimeError);
}

TEST_F(TalvoSchema, DirectoryHandlerTemplateStaysTheFirstRow)
{
    const Variant templateId =
        scalar(QStringLiteral("SELECT NameLookupHandlerObjectID FROM NameLookupHandler WHERE Alias = 'companydirectory'"));
    // A later handler whose id and alias both sort first.
    db->execute(QStringLiteral("INSERT INTO NameLookupHandler (NameLookupHandlerObjectID, Alias, TextName) "
                               "VALUES ('{00000000-0000-0000-0000-000000000001}', 'aaa', 'A Directory')"));
    EXPECT_EQ(scalar(QStringLiteral("Select * from vw_NameLookupHandler")), templateId);
}

TEST_F(TalvoSchema, ExtensionTableKeepsOnePrimaryPerObjectAndNoEmptyDigits)
{
    const QString sales = idOf(QStringLiteral("CallHandler"), QStringLiteral("CallHandlerObjectID"), QStringLiteral("salesch"));
    const QString insert =
        QStringLiteral("INSERT INTO DTMFAccessID (DTMFAccessID, ParentObjectID, ParentObjectIDType, IsPrimaryID) "
                       "VALUES (?, ?, 3, ?)");
    EXPECT_THROW(db->execute(insert, {"121", sales.toLower(), 1}), RuntimeError);
    EXPECT_THROW(db->execute(insert, {"", sales, 0}), RuntimeError);
    EXPECT_THROW(db->execute(insert, {Variant::null(), sales, 0}), RuntimeError);
    // Further extensions, and digits another object already uses, are accepted.
    db->execute(insert, {"121", sales, 0});
    db->execute(insert, {"110", sales, 0});
    EXPECT_EQ(extensionRows(sales), 3);
    const Variant key = scalar(QStringLiteral("SELECT DTMFAccessObjectID FROM DTMFAccessID WHERE DTMFAccessID = '121'"));
    EXPECT_TRUE(kGuid.match(key.toText()).hasMatch());
}

// Each written view, one column, the base table it must reach.
TEST_F(TalvoSchema, UpdatesThroughViewsReachTheirTables)
{
    struct Case {
        const char* view;
        const char* table;
        const char* key;
        const char* column;
        Variant value;
    };
    const Case cases[] = {
        {"vw_MenuEntry", "MenuEntry", "MenuEntryObjectID", "Locked", 1},
        {"vw_MenuEntry", "MenuEntry", "MenuEntryObjectID", "ConversationName", "PHTransfer"},
        {"vw_MessagingRule", "MessagingRule", "MessagingRuleObjectID", "StreamPath", "mr_x_Standard_1.wav"},
        {"vw_MessagingRule", "MessagingRule", "MessagingRuleObjectID", "TimeExpires", Variant::null()},
        {"vw_ContactRule", "ContactRule", "ContactRuleObjectID", "Extension", "2,,3#"},
        {"vw_InterviewHandler", "InterviewHandler", "InterviewHandlerObjectID", "TextName", "Guest's Survey"},
        {"vw_InterviewQuestion", "InterviewQuestion", "InterviewQuestionObjectID", "StreamText", "Say it again."},
        {"vw_Subscriber", "Subscriber", "SubscriberObjectID", "ExitConversation", "SubSignIn"},
        {"vw_NameLookupHandler", "NameLookupHandler", "NameLookupHandlerObjectID", "ZeroObjectIDType", 3},
    };
    for (const Case& c : cases) {
        const QString key = scalar(QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid DESC LIMIT 1").arg(c.key, c.table)).toText();
        db->execute(QStringLiteral("UPDATE %1 SET %2 = ? WHERE %3 = ?").arg(c.view, c.column, c.key), {c.value, key.toLower()});
        EXPECT_EQ(scalar(QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?").arg(c.column, c.table, c.key), {key}), c.value)
            << c.view << "." << c.column;
        EXPECT_EQ(scalar(QStringLiteral("SELECT count(*) FROM %1").arg(c.table)),
                  scalar(QStringLiteral("SELECT count(*) FROM %1").arg(c.view)))
            << c.view;
    }
}

TEST_F(TalvoSchema, InterviewHandlerInsertKeepsOrMakesItsIdAndStoresOnlyRealExtensions)
{
    const QString insert = QStringLiteral(
        "INSERT INTO vw_InterviewHandler (InterviewHandlerObjectID, Alias, TextName, DTMFAccessID, AdministratorObjectID, "
        "AdministratorObjectIDType, RecipientObjectID, RecipientObjectIDType, AfterMessageAction, AfterMessageConversation, "
        "AfterMessageObjectID, AfterMessageObjectIDType, LocationObjectID) VALUES (?, ?, ?, ?, NULL, 1, '', 1, 1, NULL, NULL, "
        "NULL, NULL)");
    const QString given = QStringLiteral("{11111111-2222-3333-4444-555555555555}");
    db->execute(insert, {given, "withext", "With Extension", "350"});
    db->execute(insert, {Variant::null(), "noext", "No Extension", ""});
    db->execute(insert, {Variant::null(), "nullext", "Null Extension", Variant::null()});

    EXPECT_EQ(idOf(QStringLiteral("InterviewHandler"), QStringLiteral("InterviewHandlerObjectID"), QStringLiteral("withext")),
              given);
    const Rows ext = queryRows(*db,
                               QStringLiteral("SELECT DTMFAccessID, ParentObjectIDType, IsPrimaryID FROM DTMFAccessID "
                                              "WHERE ParentObjectID = ?"),
                               {given});
    ASSERT_EQ(ext.size(), 1u);
    EXPECT_EQ(ext[0], (std::vector<Variant>{"350", qint64(5), qint64(1)}));
    EXPECT_EQ(scalar(QStringLiteral("SELECT DTMFAccessID FROM vw_InterviewHandler WHERE Alias = 'withext'")), Variant("350"));

    for (const char* alias : {"noext", "nullext"}) {
        const QString id =
            idOf(QStringLiteral("InterviewHandler"), QStringLiteral("InterviewHandlerObjectID"), QString::fromLatin1(alias));
        EXPECT_TRUE(kGuid.match(id).hasMatch()) << alias;
        EXPECT_EQ(extensionRows(id), 0) << alias;
        const Rows defaults = queryRows(*db,
                                        QStringLiteral("SELECT Language, Undeletable, DTMFAccessID FROM vw_InterviewHandler WHERE "
                                                       "InterviewHandlerObjectID = ?"),
                                        {id});
        EXPECT_EQ(defaults[0], (std::vector<Variant>{Variant::null(), qint64(0), Variant::null()})) << alias;
    }
}

TEST_F(TalvoSchema, ExtensionWrittenThroughHandlerViewsAddsChangesAndRemovesTheRow)
{
    struct Case {
        const char* view;
        const char* key;
        const char* alias;
        int type;
    };
    for (const Case& c : {Case{"vw_InterviewHandler", "InterviewHandlerObjectID", "interviewtemplate", 5},
                          Case{"vw_NameLookupHandler", "NameLookupHandlerObjectID", "companydirectory", 6}}) {
        const QString id = scalar(QStringLiteral("SELECT %1 FROM %2 WHERE Alias = ?").arg(c.key, c.view), {c.alias}).toText();
        const auto setExtension = [&](const Variant& digits) {
            db->execute(QStringLiteral("UPDATE %1 SET DTMFAccessID = ? WHERE %2 = ?").arg(c.view, c.key), {digits, id});
        };
        const auto stored = [&] {
            return queryRows(*db,
                             QStringLiteral("SELECT DTMFAccessID, ParentObjectIDType, IsPrimaryID FROM DTMFAccessID WHERE "
                                            "ParentObjectID = ?"),
                             {id});
        };
        setExtension("0451");
        ASSERT_EQ(stored().size(), 1u) << c.view;
        EXPECT_EQ(stored()[0], (std::vector<Variant>{"0451", qint64(c.type), qint64(1)})) << c.view;
        setExtension("451");
        ASSERT_EQ(stored().size(), 1u) << c.view;
        EXPECT_EQ(stored()[0][0], Variant("451")) << c.view;
        setExtension("");
        EXPECT_TRUE(stored().empty()) << c.view;
        setExtension("452");
        setExtension(Variant::null());
        EXPECT_TRUE(stored().empty()) << c.view;
        // Writing other columns leaves the extension alone.
        setExtension("453");
        db->execute(QStringLiteral("UPDATE %1 SET TextName = 'Renamed' WHERE %2 = ?").arg(c.view, c.key), {id});
        EXPECT_EQ(stored().size(), 1u) << c.view;
    }
}

TEST_F(TalvoSchema, QuestionsAreDeletedThroughTheView)
{
    const QString parent =
        idOf(QStringLiteral("InterviewHandler"), QStringLiteral("InterviewHandlerObjectID"), QStringLiteral("customerfeedback"));
    db->execute(QStringLiteral("DELETE FROM vw_InterviewQuestion WHERE ParentObjectID = ?"), {parent.toLower()});
    EXPECT_EQ(scalar(QStringLiteral("SELECT count(*) FROM InterviewQuestion")), Variant(qint64(0)));
}

} // namespace
