#include "actions/ActionsFixture.h"

#include <QLineEdit>

namespace {

using namespace TreeNodeType;

class LinkCommandsTest : public ::testing::Test, public ActionsFixture {};

TEST_F(LinkCommandsTest, FixedActionsFromTheTreeStoreLogAndMakeTheKeyALeaf)
{
    const QString operatorId = handlerId("operatorch");
    struct Case {
        const char* item;
        QString stored; // action|conversation|destination|type|locked
        QString text;
        QString action;
        QString conversation;
    };
    const Case cases[] = {
        {"LinkTakeMessage", "4|<null>|<null>|3|0", "0: Take Message", " 4", "(NULL)"},
        {"LinkHangUp", "1|<null>|<null>|3|0", "0: Hang Up", " 1", "(NULL)"},
        {"LinkSignIn", "2|SubSignIn|<null>|3|0", "0: Route to Subscriber Sign In", " 2", "SubSignIn"},
        {"LinkGreetingsAdministrator", "2|GreetingsAdministrator|<null>|3|0", "0: Route to Greetings Administrator", " 2",
         "GreetingsAdministrator"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item);
        storeKey("openinggreetingch", "0", 2, "PHTransfer", operatorId, 3);
        rebuild();
        const int key = row({"0"});
        select(key);
        const int linesBefore = updateLines().size();
        f.control<QAction>(c.item)->trigger();
        EXPECT_EQ(keyRow("openinggreetingch", "0"), c.stored);
        EXPECT_EQ(updateLines().mid(linesBefore),
                  QStringList({keyLine("0", "openinggreetingch", "Action", c.action),
                               keyLine("0", "openinggreetingch", "ConversationName", c.conversation),
                               keyLine("0", "openinggreetingch", "DestinationObjectIDType", " 3"),
                               keyLine("0", "openinggreetingch", "DestinationObjectID", "(NULL)")}));
        EXPECT_EQ(text(key), c.text);
        EXPECT_EQ(type(key), Leaf);
        EXPECT_TRUE(objectId(key).isEmpty());
        EXPECT_FALSE(holdsPlaceholder(key));
        EXPECT_EQ(grid().row(), key);
        EXPECT_EQ(checkedItems(), QStringList{c.item});
    }
    EXPECT_TRUE(messages().isEmpty()) << messages().join('|').toStdString();
}

TEST_F(LinkCommandsTest, RingingOrGreetingKeepsTheDestinationAndMovesTheMark)
{
    const QString salesId = handlerId("salesch");
    const int key = row({"1"});
    select(key);
    EXPECT_EQ(checkedItems(), QStringList({"LinkCallHandler", "LinkSendToGreeting"}));
    menu().LinkAttemptTransfer->trigger();
    EXPECT_EQ(keyRow("openinggreetingch", "1"), "2|PHTransfer|" + salesId + "|3|0");
    EXPECT_EQ(updateLines(), QStringList({keyLine("1", "openinggreetingch", "Action", " 2"),
                                          keyLine("1", "openinggreetingch", "ConversationName", "PHTransfer"),
                                          keyLine("1", "openinggreetingch", "DestinationObjectIDType", " 3"),
                                          keyLine("1", "openinggreetingch", "DestinationObjectID", salesId)}));
    EXPECT_EQ(text(key), "1: Sales - Ext:120 - (Ring Phone)");
    EXPECT_EQ(type(key), CallHandler);
    EXPECT_EQ(objectId(key), salesId);
    EXPECT_TRUE(holdsPlaceholder(key));
    EXPECT_EQ(checkedItems(), QStringList({"LinkCallHandler", "LinkAttemptTransfer"}));

    menu().LinkSendToGreeting->trigger();
    EXPECT_EQ(keyRow("openinggreetingch", "1"), "2|PHGreeting|" + salesId + "|3|0");
    EXPECT_EQ(text(key), "1: Sales - Ext:120 - (Greeting)");
    EXPECT_EQ(checkedItems(), QStringList({"LinkCallHandler", "LinkSendToGreeting"}));
    EXPECT_EQ(updateLines().size(), 8);
    EXPECT_TRUE(messages().isEmpty()) << messages().join('|').toStdString();
}

TEST_F(LinkCommandsTest, EveryRowThatShowsTheLinkIsRedrawn)
{
    // Sales is reached from the root and again through Support's key 9.
    const int sales = open({"1"});
    open({"2"});
    const int salesAgain = open({"2", "9"});
    ASSERT_EQ(objectId(sales), objectId(salesAgain));
    const int first = row({"1", "0"});
    const int second = row({"2", "9", "0"});
    ASSERT_GE(second, 0);
    select(first);
    menu().LinkTakeMessage->trigger();
    for (int r : {row({"1", "0"}), row({"2", "9", "0"})}) {
        EXPECT_EQ(text(r), "0: Take Message");
        EXPECT_EQ(type(r), Leaf);
    }
    // Another handler's key of the same alias is left alone.
    EXPECT_EQ(text(row({"0"})), "0: Operator - Ext:110 - (Ring Phone)");

    select(row({"2", "9", "0"}));
    menu().LinkIgnoreKey->trigger();
    for (int r : {row({"1", "0"}), row({"2", "9", "0"})}) {
        EXPECT_EQ(text(r), "0: Ignore Key");
        EXPECT_EQ(type(r), Leaf);
    }
    EXPECT_EQ(keyRow("salesch", "0"), "0|<null>|<null>|<null>|0");
    EXPECT_TRUE(messages().isEmpty()) << messages().join('|').toStdString();
}

TEST_F(LinkCommandsTest, IgnoreAndSkipClearTheLinkAndDropTheBranch)
{
    struct Case {
        const char* item;
        const char* action;
        const char* stored;
        const char* text;
    };
    const Case cases[] = {
        {"LinkIgnoreKey", "0", "0|<null>|<null>|<null>|0", "1: Ignore Key"},
        {"LinkSkipGreeting", "5", "5|<null>|<null>|<null>|0", "1: Skip Greeting"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item);
        storeKey("openinggreetingch", "1", 2, "PHGreeting", handlerId("salesch"), 3);
        rebuild();
        const int key = open({"1"});
        ASSERT_GT(grid().childCount(key), 0);
        select(key);
        const int before = updateLines().size();
        f.control<QAction>(c.item)->trigger();
        EXPECT_EQ(keyRow("openinggreetingch", "1"), c.stored);
        EXPECT_EQ(updateLines().mid(before), QStringList({keyLine("1", "openinggreetingch", "Action", c.action),
                                                          keyLine("1", "openinggreetingch", "ConversationName", "(NULL)"),
                                                          keyLine("1", "openinggreetingch", "DestinationObjectIDType", "(NULL)"),
                                                          keyLine("1", "openinggreetingch", "DestinationObjectID", "(NULL)")}));
        EXPECT_EQ(text(key), c.text);
        EXPECT_EQ(type(key), Leaf);
        EXPECT_EQ(grid().childCount(key), 0);
        EXPECT_EQ(checkedItems(), QStringList{c.item});
    }
    EXPECT_TRUE(messages().isEmpty()) << messages().join('|').toStdString();
}

TEST_F(LinkCommandsTest, LockKeyFollowsTheStoredFlagNotAStaleMark)
{
    const int key = row({"0"});
    select(key);
    ASSERT_FALSE(menu().LinkLockKey->isChecked());
    // A mark left from another row says locked; the key is not.
    menu().LinkLockKey->setChecked(true);
    keys().LinkLockKey_Click();
    EXPECT_EQ(keyRow("openinggreetingch", "0").section('|', 4), "1");
    EXPECT_TRUE(menu().LinkLockKey->isChecked());
    keys().LinkLockKey_Click();
    EXPECT_EQ(keyRow("openinggreetingch", "0").section('|', 4), "0");
    EXPECT_FALSE(menu().LinkLockKey->isChecked());
    EXPECT_EQ(updateLines(),
              QStringList({keyLine("0", "openinggreetingch", "Locked", " 1"), keyLine("0", "openinggreetingch", "Locked", " 0")}));
    EXPECT_EQ(grid().row(), key);
    EXPECT_TRUE(messages().isEmpty()) << messages().join('|').toStdString();
}

TEST_F(LinkCommandsTest, LockAndUnlockAllWriteEveryKeyAndOneLine)
{
    const int key = row({"#"});
    select(key);
    const QString text0 = text(key);
    menu().linkLockAllKeys->trigger();
    const QString opening = handlerId("openinggreetingch");
    EXPECT_EQ(f.site.scalar("SELECT count(*) FROM MenuEntry WHERE ParentObjectID = ? AND Locked = 1", {opening}).toInt32(), 12);
    EXPECT_EQ(state().cache.rsMenuentry.field("Alias").toText(), "#");
    EXPECT_TRUE(menu().LinkLockKey->isChecked());
    menu().linkUnlockAllKeys->trigger();
    EXPECT_EQ(f.site.scalar("SELECT count(*) FROM MenuEntry WHERE ParentObjectID = ? AND Locked = 0", {opening}).toInt32(), 12);
    EXPECT_FALSE(menu().LinkLockKey->isChecked());
    EXPECT_EQ(
        updateLines(),
        QStringList(
            {ChangeLogLine(f.clock.now(), "UPDATE", "MenuEntry", "All", "CallHandler", "openinggreetingch", "Locked", "TRUE"),
             ChangeLogLine(f.clock.now(), "UPDATE", "MenuEntry", "All", "CallHandler", "openinggreetingch", "UnLocked", "TRUE")}));
    EXPECT_EQ(text(key), text0);
    EXPECT_TRUE(messages().isEmpty()) << messages().join('|').toStdString();
}

TEST_F(LinkCommandsTest, AHandlerWithMoreThanTwelveKeysIsRefusedByEveryKeyCommand)
{
    const QString opening = handlerId("openinggreetingch");
    select(row({"0"}));
    f.site.execute("INSERT INTO MenuEntry (MenuEntryObjectID, ParentObjectID, Alias, Action, Locked) "
                   "VALUES ('{00000000-0000-0000-0000-0000000000AA}', ?, '0', 1, 0)",
                   {opening});
    state().cache.RequeryAllRecordsets();
    const QString before = f.site.tableText("MenuEntry");
    struct Case {
        const char* item;
        const char* routine;
    };
    const Case cases[] = {{"LinkIgnoreKey", "LinkIgnoreKey_Click"},
                          {"LinkSkipGreeting", "LinkSkipGreeting_Click"},
                          {"LinkLockKey", "LinkLockKey_Click"},
                          {"linkLockAllKeys", "LinkLockAllKeys_Click"},
                          {"linkUnlockAllKeys", "LinkUnLockAllKeys_Click"}};
    for (const Case& c : cases) {
        messages().clear();
        f.control<QAction>(c.item)->trigger();
        EXPECT_EQ(
            messages(),
            QStringList{QString("Error in %1 routing - rsMenuentry recordset does not have a proper filter on.").arg(c.routine)});
    }
    EXPECT_EQ(f.site.tableText("MenuEntry"), before);
    EXPECT_TRUE(updateLines().isEmpty());
}

TEST_F(LinkCommandsTest, AChangeByAnotherConnectionIsReportedOnceAndNothingIsOverwritten)
{
    const QString operatorId = handlerId("operatorch");
    const int key = row({"0"});
    select(key);
    const QString shown = text(key);
    // Another tool changes the same entry after the tree read it.
    f.site.execute("UPDATE MenuEntry SET Action = 1, ConversationName = NULL, DestinationObjectID = NULL "
                   "WHERE ParentObjectID = ? AND Alias = '0'",
                   {handlerId("openinggreetingch")});
    menu().LinkTakeMessage->trigger();
    const QString located = "Row cannot be located for updating. Some values may have been changed since it was last read.";
    ASSERT_EQ(messages().size(), 1);
    EXPECT_TRUE(messages()[0].startsWith("(error):")) << messages()[0].toStdString();
    EXPECT_TRUE(messages()[0].endsWith(" (" + located + ") in procedure linkProcessLinkInfo of Form frmMain"))
        << messages()[0].toStdString();
    EXPECT_EQ(keyRow("openinggreetingch", "0"), "1|<null>|<null>|3|0");
    EXPECT_TRUE(updateLines().isEmpty());
    // The row and the pane show what the other tool stored, not the link the refused write read.
    EXPECT_NE(text(key), shown);
    EXPECT_EQ(text(key), "0: Hang Up");
    EXPECT_EQ(f.control<QLineEdit>("txtLeafAction")->text(), "Hang Up");
    Recordset& entries = state().cache.rsMenuentry;
    entries.moveFirst();
    ASSERT_TRUE(entries.find("Alias", "0"));
    EXPECT_EQ(entries.field("Action").toInt32(), 1) << "the cached row shows what the database holds";

    // The same for a key command.
    select(row({"1"}));
    const QString keyOneShown = text(row({"1"}));
    f.site.execute("UPDATE MenuEntry SET ConversationName = 'PHTransfer' WHERE ParentObjectID = ? AND Alias = '1'",
                   {handlerId("openinggreetingch")});
    messages().clear();
    menu().LinkIgnoreKey->trigger();
    EXPECT_EQ(messages(), QStringList{"Error in LinkIgnoreKey_Click:" + located});
    EXPECT_EQ(keyRow("openinggreetingch", "1").section('|', 0, 1), "2|PHTransfer");
    EXPECT_TRUE(updateLines().isEmpty());
    EXPECT_EQ(type(row({"1"})), CallHandler);
    EXPECT_NE(keyOneShown, text(row({"1"})));
    EXPECT_EQ(text(row({"1"})), "1: Sales - Ext:120 - (Ring Phone)");
    (void)operatorId;
}

TEST_F(LinkCommandsTest, AKeyChangedElsewhereThatASearchReadIsRefusedAndItsRowAndThePaneShowWhatIsStored)
{
    const QString located = "Row cannot be located for updating. Some values may have been changed since it was last read.";
    struct Case {
        const char* key;
        QAction* command;
        QString message;
    };
    const Case cases[] = {
        {"0", menu().LinkTakeMessage, "(error):-2147217864 (" + located + ") in procedure linkProcessLinkInfo of Form frmMain"},
        {"1", menu().LinkIgnoreKey, "Error in LinkIgnoreKey_Click:" + located},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        const int key = row({c.key});
        select(key);
        // Another tool sends the key to the operator's greeting; a search reads that.
        storeKey("openinggreetingch", c.key, 2, "PHGreeting", handlerId("operatorch"), 3);
        f.searchSubscribersAndCancel();
        const QString theirs = keyRow("openinggreetingch", c.key);
        messages().clear();
        c.command->trigger();
        EXPECT_EQ(messages(), QStringList{c.message});
        EXPECT_EQ(keyRow("openinggreetingch", c.key), theirs);
        EXPECT_TRUE(updateLines().isEmpty());
        EXPECT_EQ(text(key), QString(c.key) + ": Operator - Ext:110 - (Greeting)");
        EXPECT_EQ(objectId(key), handlerId("operatorch"));
        EXPECT_EQ(f.control<QLineEdit>("txtHandlerProfileDisplayName")->text(), "Operator") << "the pane shows the destination";
    }

    // A lock another tool set, read by a search, is not undone by a click on an item still unmarked.
    select(row({"2"}));
    ASSERT_FALSE(menu().LinkLockKey->isChecked());
    f.site.execute("UPDATE MenuEntry SET Locked = 1 WHERE ParentObjectID = ? AND Alias = '2'", {handlerId("openinggreetingch")});
    f.searchSubscribersAndCancel();
    messages().clear();
    menu().LinkLockKey->trigger();
    EXPECT_EQ(messages(), QStringList{"Error in LinkLockKey_Click:" + located});
    EXPECT_EQ(
        f.site.scalar("SELECT Locked FROM MenuEntry WHERE ParentObjectID = ? AND Alias = '2'", {handlerId("openinggreetingch")})
            .toInt32(),
        1);
    EXPECT_TRUE(updateLines().isEmpty());
    EXPECT_TRUE(menu().LinkLockKey->isChecked()) << "the item shows the stored lock";
}

TEST_F(LinkCommandsTest, AKeyDeletedByAnotherToolIsReportedOnceAndNothingIsLogged)
{
    const int key = row({"0"});
    select(key);
    f.site.execute("DELETE FROM MenuEntry WHERE ParentObjectID = ? AND Alias = '0'", {handlerId("openinggreetingch")});
    menu().LinkHangUp->trigger();
    ASSERT_EQ(messages().size(), 1) << messages().join('|').toStdString();
    EXPECT_TRUE(messages()[0].startsWith("(error):")) << messages()[0].toStdString();
    EXPECT_TRUE(messages()[0].endsWith("in procedure linkProcessLinkInfo of Form frmMain")) << messages()[0].toStdString();
    EXPECT_TRUE(updateLines().isEmpty());
    EXPECT_EQ(f.site.scalar("SELECT count(*) FROM MenuEntry WHERE ParentObjectID = ?", {handlerId("openinggreetingch")}).toInt32(),
              11);

    messages().clear();
    menu().LinkLockKey->trigger();
    ASSERT_EQ(messages().size(), 1);
    EXPECT_TRUE(messages()[0].startsWith("Error in LinkLockKey_Click:")) << messages()[0].toStdString();
    EXPECT_TRUE(updateLines().isEmpty());
}

} // namespace

namespace {

TEST_F(LinkCommandsTest, FiltersLeftByOtherRoutinesMisleadNeitherThePopupNorTheCommands)
{
    RecordsetCache& cache = state().cache;
    cache.rsMenuentry.setFilter("ParentObjectID", "{00000000-0000-0000-0000-000000000000}");
    const int key = row({"0"});
    select(key);
    EXPECT_EQ(checkedItems(), QStringList({"LinkCallHandler", "LinkAttemptTransfer"}));
    EXPECT_TRUE(messages().isEmpty()) << messages().join('|').toStdString();

    // Every handler's entries under no filter: the command narrows them itself.
    cache.rsMenuentry.clearFilter();
    menu().LinkIgnoreKey->trigger();
    EXPECT_EQ(keyRow("openinggreetingch", "0"), "0|<null>|<null>|<null>|0");
    EXPECT_TRUE(messages().isEmpty()) << messages().join('|').toStdString();

    // The root item makes the row's handler the root of a new tree.
    select(row({"1"}));
    menu().PopUpSetAsTreeRoot->trigger();
    EXPECT_EQ(tree().TreeRootObjectID(), handlerId("salesch"));
    EXPECT_EQ(text(0), "Sales");
}

TEST_F(LinkCommandsTest, LockAllStopsAtAnEntryChangedElsewhereWithOneMessageAndNoLine)
{
    const QString opening = handlerId("openinggreetingch");
    select(row({"0"}));
    f.site.execute("UPDATE MenuEntry SET Locked = 1 WHERE ParentObjectID = ? AND Alias = '5'", {opening});
    menu().linkLockAllKeys->trigger();
    ASSERT_EQ(messages().size(), 1) << messages().join('|').toStdString();
    EXPECT_EQ(messages()[0], "(error):-2147217864 (Row cannot be located for updating. Some values may have been changed since "
                             "it was last read.) in procedure linkLockAllKeys_Click of Form frmMain");
    EXPECT_TRUE(updateLines().isEmpty());
    EXPECT_EQ(state().cache.rsMenuentry.field("Alias").toText(), "0");
    EXPECT_EQ(menu().LinkLockKey->isChecked(), keyRow("openinggreetingch", "0").endsWith("|1"));
}

} // namespace
