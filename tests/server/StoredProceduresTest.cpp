#include "server/StoredProcedures.h"

#include "fixtures/FixtureSite.h"
#include "server/ServerTestSupport.h"

#include <gtest/gtest.h>

namespace {

class StoredProcedures : public ::testing::Test {
protected:
    FixtureSite site;
    std::unique_ptr<SqliteDb> db = openServerDb(site.databasePath());

    QStringList aliases(const QString& table, const QString& parentId)
    {
        return columnTexts(
            queryRows(*db, QStringLiteral("SELECT Alias FROM %1 WHERE ParentObjectID = ?1 ORDER BY rowid").arg(table), {parentId}),
            0);
    }
};

TEST_F(StoredProcedures, BothCallHandlerProceduresMakeAHandlerWithItsRulesAndUnsetValuesTakeTheDefaults)
{
    CallHandlerCreateParameters create;
    create.Alias = QStringLiteral("NewOne");
    create.TextName = QStringLiteral("New One");
    create.DtmfAccessId = QStringLiteral("4711");
    create.Language = 1031;
    ImportCallHandlerParameters import;
    import.Alias = QStringLiteral("Imported");
    import.DisplayName = QStringLiteral("Imported One");

    for (const QString& id : {csp_CallHandlerCreate(*db, create), sp_ImportCallHandler(*db, import)}) {
        SCOPED_TRACE(id.toStdString());
        EXPECT_EQ(aliases(QStringLiteral("ContactRule"), id), QStringList({"Standard", "Off Hours", "Alternate"}));
        EXPECT_EQ(aliases(QStringLiteral("MenuEntry"), id),
                  QStringList({"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "*", "#"}));
        EXPECT_EQ(aliases(QStringLiteral("MessagingRule"), id),
                  QStringList({"Standard", "Off Hours", "Busy", "Alternate", "Internal", "Error"}));
        // Unset owner stays Null, never an empty id with type 0.
        const Rows row =
            queryRows(*db,
                      QStringLiteral("SELECT AdministratorObjectID, AdministratorObjectIDType, MaxMsgLen, IsPrimary, "
                                     "LocationObjectID IS NOT NULL, ContactRuleAlternate = (SELECT ContactRuleObjectID "
                                     "FROM ContactRule WHERE ParentObjectID = ?1 AND Alias = 'Alternate') "
                                     "FROM CallHandler WHERE CallHandlerObjectID = ?1"),
                      {id});
        ASSERT_EQ(row.size(), 1u);
        EXPECT_TRUE(row[0][0].isNull());
        EXPECT_TRUE(row[0][1].isNull());
        EXPECT_EQ(row[0][2].toInt32(), 300);
        EXPECT_EQ(row[0][3].toInt32(), 0);
        EXPECT_EQ(row[0][4].toInt32(), 1);
        EXPECT_EQ(row[0][5].toInt32(), 1);
    }
    EXPECT_EQ(db->scalar(QStringLiteral("SELECT DTMFAccessID FROM vw_CallHandler WHERE Alias = 'NewOne'")).toText(), "4711");
    EXPECT_EQ(db->scalar(QStringLiteral("SELECT Language FROM CallHandler WHERE Alias = 'NewOne'")).toInt32(), 1031);
    EXPECT_TRUE(db->scalar(QStringLiteral("SELECT DTMFAccessID FROM vw_CallHandler WHERE Alias = 'Imported'")).isNull());
}

TEST_F(StoredProcedures, ARefusedCallLeavesNothingBehind)
{
    const QString before = site.tableText(QStringLiteral("CallHandler")) + site.tableText(QStringLiteral("MenuEntry"))
                           + site.tableText(QStringLiteral("DTMFAccessID"));
    struct Case {
        const char* name;
        QString alias;
        std::optional<QString> extension;
    };
    const std::vector<Case> cases = {
        {"taken alias", QString::fromLatin1(DemoSite::Sales), std::nullopt},
        {"empty alias", QStringLiteral("  "), std::nullopt},
        {"letters in the extension", QStringLiteral("Fresh"), QStringLiteral("12a")},
        {"blank in the extension", QStringLiteral("Fresh"), QStringLiteral("1 2")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CallHandlerCreateParameters p;
        p.Alias = c.alias;
        p.DtmfAccessId = c.extension;
        EXPECT_THROW(csp_CallHandlerCreate(*db, p), RuntimeError);
        CreateDirectoryHandlerParameters d;
        d.Alias = c.alias == QString::fromLatin1(DemoSite::Sales) ? QString::fromLatin1(DemoSite::Directory) : c.alias;
        d.DtmfAccessId = c.extension;
        EXPECT_THROW(sp_CreateDirectoryHandler(*db, d), RuntimeError);
    }
    EXPECT_EQ(site.tableText(QStringLiteral("CallHandler")) + site.tableText(QStringLiteral("MenuEntry"))
                  + site.tableText(QStringLiteral("DTMFAccessID")),
              before);
}

TEST_F(StoredProcedures, DirectoryHandlerTakesItsLinksAndNoExtensionRowWithoutDigits)
{
    CreateDirectoryHandlerParameters p;
    p.Alias = QStringLiteral("Staff");
    p.TextName = QStringLiteral("Staff list");
    p.DtmfAccessId = QString(); // given but empty: no extension
    p.Exit = {2, QStringLiteral("PHTransfer"), QStringLiteral("{X}"), 3};
    p.Zero = {4, std::nullopt, std::nullopt, std::nullopt};
    p.MenuStyle = true;
    const QString id = sp_CreateDirectoryHandler(*db, p);
    const Rows row =
        queryRows(*db,
                  QStringLiteral("SELECT UID, ExitAction, ExitConversation, ExitObjectID, ExitObjectIDType, ZeroAction, "
                                 "ZeroObjectID, NoInputAction, MenuStyle, LocationObjectID IS NOT NULL, DTMFAccessID "
                                 "FROM vw_NameLookupHandler WHERE NameLookupHandlerObjectID = ?1"),
                  {id});
    ASSERT_EQ(row.size(), 1u);
    QStringList cells;
    for (size_t c = 0; c < row[0].size(); ++c)
        cells << columnTexts(row, c);
    EXPECT_EQ(cells.join('|'), "Staff|2|PHTransfer|{X}|3|4|(null)|1|1|1|(null)");
    EXPECT_EQ(db->scalar(QStringLiteral("SELECT count(*) FROM DTMFAccessID WHERE ParentObjectID = ?1"), {id}).toInt32(), 0);
}

} // namespace
