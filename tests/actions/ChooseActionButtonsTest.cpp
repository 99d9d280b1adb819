#include "actions/ActionsFixture.h"
#include "pane/PropertyPane.h"

#include <QLineEdit>
#include <QPushButton>

namespace {

using namespace TreeNodeType;

class ChooseActionButtonsTest : public ::testing::Test, public ActionsFixture {
protected:
    PropertyPane& pane() { return f.program->pane(); }
    void showInPane(const QString& id, qint16 nodeType)
    {
        ASSERT_TRUE(pane().ShowNodeTypeTab(nodeType));
        state().cache.RequeryAllRecordsets();
        pane().LoadTabInfo(id, nodeType);
    }
};

const QStringList kKeyItems = {"LinkIgnoreKey",   "LinkSkipGreeting",  "LinkLockKey",
                               "linkLockAllKeys", "linkUnlockAllKeys", "PopUpSpacer2"};

TEST_F(ChooseActionButtonsTest, EachButtonMarksItsStoredLinkAsItsMemberRowSays)
{
    const QString salesId = handlerId("salesch");
    const QString operatorId = handlerId("operatorch");
    const QString benHandler = ownHandlerOf("bcarter");
    const QString ben = subscriberId("bcarter");
    const QString aliceHandler = ownHandlerOf("amoreno");
    const QString feedback = idOf("InterviewHandler", "InterviewHandlerObjectID", "customerfeedback");
    const QString directory = idOf("NameLookupHandler", "NameLookupHandlerObjectID", "companydirectory");
    const QString gone = "{0BADBEEF-0000-0000-0000-000000000000}";
    const auto greeting = [&](const QString& handler, const char* alias, const Variant& action, const Variant& conversation,
                              const Variant& destination, const Variant& type) {
        return [=, this] {
            f.site.execute("UPDATE MessagingRule SET Action = ?, ConversationName = ?, DestinationObjectID = ?, "
                           "DestinationObjectIDType = ? WHERE ParentObjectID = ? AND Alias = ?",
                           {action, conversation, destination, type, handler, alias});
        };
    };
    const auto prefixed = [&](const char* table, const char* key, const QString& id, const char* prefix, const Variant& action,
                              const Variant& conversation, const Variant& destination, const Variant& type) {
        return [=, this] {
            f.site.execute(QString("UPDATE %1 SET %3Action = ?, %3Conversation = ?, %3ObjectID = ?, %3ObjectIDType = ? "
                                   "WHERE %2 = ?")
                               .arg(table, key, prefix),
                           {action, conversation, destination, type, id});
        };
    };
    const Variant null = Variant::null();
    struct Case {
        const char* button;
        QString shownId;
        qint16 nodeType;
        std::function<void()> store;
        QStringList checked;
        bool ringOrGreeting; // "Attempt to Ring Phone" and "Send to Greeting" enabled
        QStringList messages;
        bool takeMessageShown = false;
    };
    const Case cases[] = {
        {"cmbHandlerGreetingChangeAfterGreetingAction_0",
         salesId,
         CallHandler,
         greeting(salesId, "Standard", 2, "PHGreeting", operatorId, 3),
         {"LinkCallHandler", "LinkSendToGreeting"},
         true,
         {},
         true},
        {"cmbHandlerGreetingChangeAfterGreetingAction_1",
         salesId,
         CallHandler,
         greeting(salesId, "Off Hours", 2, "PHTransfer", benHandler, 1),
         {"LinkSubscriber", "LinkAttemptTransfer"},
         true,
         {},
         true},
        {"cmbHandlerGreetingChangeAfterGreetingAction_1",
         salesId,
         CallHandler,
         greeting(salesId, "Off Hours", 4, null, null, null),
         {"LinkTakeMessage"},
         false,
         {},
         true},
        {"cmdSubscriberGreetingChangeAfterGreetingAction_0",
         benHandler,
         Subscriber,
         greeting(benHandler, "Standard", 2, "PHGreeting", operatorId, 1),
         {"LinkSendToGreeting"},
         true,
         {"error in cmdSubscriberGreetingChangeAfterGreetingAction routine - invalid object type"},
         true},
        {"cmdHandlerSetAfterMessageAction",
         salesId,
         CallHandler,
         prefixed("CallHandler", "CallHandlerObjectID", salesId, "AfterMessage", 4, null, null, null),
         {},
         false,
         {"error in cmdHandlerSetAfterMessageAction routine - invalid object type"}},
        {"cmdSubscriberMessagesChangeAfterMessageAction",
         benHandler,
         Subscriber,
         prefixed("CallHandler", "CallHandlerObjectID", benHandler, "AfterMessage", 2, "subsignin", null, 3),
         {"LinkSignIn"},
         false,
         {}},
        {"cmdInterviewerProfileChangeAfterMessageAction",
         feedback,
         Interviewer,
         prefixed("InterviewHandler", "InterviewHandlerObjectID", feedback, "AfterMessage", 2, "PHTransfer", feedback, 5),
         {"LinkInterviewer"},
         false,
         {}},
        {"cmdDirectoryHandlerSetExit",
         directory,
         DirectoryHandler,
         prefixed("NameLookupHandler", "NameLookupHandlerObjectID", directory, "Exit", 1, "PHTransfer", operatorId, 3),
         {"LinkHangUp"},
         false,
         {}},
        {"cmdDirectoryHandlerSetNoInputExit",
         directory,
         DirectoryHandler,
         prefixed("NameLookupHandler", "NameLookupHandlerObjectID", directory, "NoInput", 4, null, null, null),
         {"LinkTakeMessage"},
         false,
         {}},
        {"cmdDirectoryHandlerSetNoSelectionExit",
         directory,
         DirectoryHandler,
         prefixed("NameLookupHandler", "NameLookupHandlerObjectID", directory, "NoSelection", 2, "PHTransfer", gone, 3),
         {},
         false,
         {}},
        {"cmdDirectoryHandlerSetZeroExit",
         directory,
         DirectoryHandler,
         prefixed("NameLookupHandler", "NameLookupHandlerObjectID", directory, "Zero", 2, "PHGreeting", operatorId, 1),
         {"LinkCallHandler", "LinkSendToGreeting"},
         true,
         {}},
        {"cmdDirectoryHandlerSetExit",
         directory,
         DirectoryHandler,
         prefixed("NameLookupHandler", "NameLookupHandlerObjectID", directory, "Exit", null, null, null, null),
         {},
         false,
         {"error in cmdDirectoryHandlerSetExit routine - invalid object type"}},
        {"cmdSubscriberConversationExitAction",
         benHandler,
         Subscriber,
         prefixed("Subscriber", "SubscriberObjectID", ben, "Exit", null, null, null, null),
         {},
         false,
         {}},
        {"cmdSubscriberConversationExitAction",
         benHandler,
         Subscriber,
         prefixed("Subscriber", "SubscriberObjectID", ben, "Exit", 2, "PHTransfer", aliceHandler, 3),
         {"LinkSubscriber", "LinkAttemptTransfer"},
         true,
         {}},
        {"cmdSubscriberConversationExitAction",
         benHandler,
         Subscriber,
         prefixed("Subscriber", "SubscriberObjectID", ben, "Exit", 4, "PHGreeting", operatorId, 1),
         {"LinkSendToGreeting"},
         true,
         {"error in cmdSubscriberConversationExitAction routine - invalid object type"}},
    };
    // The items shown are the button's own, whatever the tree's row offered.
    select(row({"1"}));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button);
        c.store();
        showInPane(c.shownId, c.nodeType);
        messages().clear();
        RecordsetCache& cache = state().cache;
        const QString handlerBefore = cache.rsCallHandler.field("CallHandlerObjectID").textOrEmpty();
        f.control<QPushButton>(c.button)->click();
        menu().hide();
        EXPECT_EQ(checkedItems(), c.checked);
        QStringList hidden = kKeyItems;
        if (!c.takeMessageShown)
            hidden.insert(1, "LinkTakeMessage");
        QStringList hiddenSorted = hiddenItems();
        hiddenSorted.sort();
        hidden.sort();
        EXPECT_EQ(hiddenSorted, hidden);
        EXPECT_FALSE(menu().PopUpSetAsTreeRoot->isEnabled());
        EXPECT_EQ(menu().LinkAttemptTransfer->isEnabled(), c.ringOrGreeting);
        EXPECT_EQ(menu().LinkSendToGreeting->isEnabled(), c.ringOrGreeting);
        EXPECT_EQ(messages(), c.messages);
        EXPECT_TRUE(popUpState().bLinkFromTab());
        EXPECT_EQ(cache.rsCallHandler.field("CallHandlerObjectID").textOrEmpty(), handlerBefore);
    }
    EXPECT_TRUE(updateLines().isEmpty()) << "a button writes nothing";
}

TEST_F(ChooseActionButtonsTest, TheSelectorRecordedNamesTheButtonsLink)
{
    const QString salesId = handlerId("salesch");
    showInPane(salesId, CallHandler);
    const std::pair<const char*, const char*> buttons[] = {
        {"cmbHandlerGreetingChangeAfterGreetingAction_5", "AG"},
        {"cmdHandlerSetAfterMessageAction", "AM"},
    };
    for (const auto& [button, selector] : buttons) {
        f.control<QPushButton>(button)->click();
        menu().hide();
        EXPECT_EQ(popUpState().strTabChildAlias(), selector) << button;
    }
    // Index 5 is the Error greeting: a command from the popup writes that one.
    f.control<QPushButton>("cmbHandlerGreetingChangeAfterGreetingAction_5")->click();
    menu().hide();
    menu().LinkHangUp->trigger();
    EXPECT_EQ(f.site.scalar("SELECT Action FROM MessagingRule WHERE ParentObjectID = ? AND Alias = 'Error'", {salesId}).toInt32(),
              1);
    ASSERT_EQ(updateLines().size(), 4);
    EXPECT_EQ(updateLines()[0],
              ChangeLogLine(f.clock.now(), "UPDATE", "MessagingRule", "Error", "CallHandler", "salesch", "Action", " 1"));
}

TEST_F(ChooseActionButtonsTest, ALinkChangedElsewhereThatASearchReadIsRefusedFromEveryButtonAndShownAsStored)
{
    const QString openingId = handlerId("openinggreetingch");
    const QString supportId = handlerId("supportch");
    const QString benHandler = ownHandlerOf("bcarter");
    const QString feedback = idOf("InterviewHandler", "InterviewHandlerObjectID", "customerfeedback");
    const QString directory = idOf("NameLookupHandler", "NameLookupHandlerObjectID", "companydirectory");
    const QString located = "Row cannot be located for updating. Some values may have been changed since it was last read.";
    // Where a button's link is stored: table, column prefix, key column, key, conversation and
    // destination columns.
    using Place = std::tuple<QString, QString, QString, QString, QString, QString>;
    const auto greeting = [&](const QString& handler) {
        return Place("MessagingRule", "", "MessagingRuleObjectID",
                     f.site
                         .scalar("SELECT MessagingRuleObjectID FROM MessagingRule WHERE ParentObjectID = ? AND Alias = 'Standard'",
                                 {handler})
                         .toText(),
                     "ConversationName", "DestinationObjectID");
    };
    const auto own = [&](const char* table, const char* prefix, const char* key, const QString& id) {
        return Place(table, prefix, key, id, "Conversation", "ObjectID");
    };
    struct Case {
        const char* button;
        const char* box;
        QStringList path; // the tree row that shows the object in the pane
        Place link;
        QString rootRow = {}; // the tree's row of the link, when the root's handler owns it
    };
    const Case cases[] = {
        {"cmbHandlerGreetingChangeAfterGreetingAction_0",
         "txtHandlerGreetingsAfterGreetingAction_0",
         {},
         greeting(openingId),
         "STD"},
        {"cmdSubscriberGreetingChangeAfterGreetingAction_0",
         "txtSubscriberGreetingAfterGreetingAction_0",
         {"1", "1"},
         greeting(benHandler)},
        {"cmdHandlerSetAfterMessageAction",
         "txtHandlerMessagesAfterMessageAction",
         {},
         own("CallHandler", "AfterMessage", "CallHandlerObjectID", openingId),
         "AM"},
        // A handler the tree has not opened: only the pane shows its link.
        {"cmdHandlerSetAfterMessageAction",
         "txtHandlerMessagesAfterMessageAction",
         {"2"},
         own("CallHandler", "AfterMessage", "CallHandlerObjectID", supportId)},
        {"cmdSubscriberMessagesChangeAfterMessageAction",
         "txtSubscriberMessagesAfterMessageAction",
         {"1", "1"},
         own("CallHandler", "AfterMessage", "CallHandlerObjectID", benHandler)},
        {"cmdInterviewerProfileChangeAfterMessageAction",
         "txtInterviewerAfterMessageAction",
         {"3"},
         own("InterviewHandler", "AfterMessage", "InterviewHandlerObjectID", feedback)},
        {"cmdSubscriberConversationExitAction",
         "txtSubscriberConversationExitAction",
         {"1", "1"},
         own("Subscriber", "Exit", "SubscriberObjectID", subscriberId("bcarter"))},
        {"cmdDirectoryHandlerSetExit",
         "txtDirectoryHandlerExitAction",
         {"4"},
         own("NameLookupHandler", "Exit", "NameLookupHandlerObjectID", directory)},
        {"cmdDirectoryHandlerSetNoInputExit",
         "txtDirectoryHandlerNoInputExitAction",
         {"4"},
         own("NameLookupHandler", "NoInput", "NameLookupHandlerObjectID", directory)},
        {"cmdDirectoryHandlerSetNoSelectionExit",
         "txtDirectoryHandlerNoSelectionExitAction",
         {"4"},
         own("NameLookupHandler", "NoSelection", "NameLookupHandlerObjectID", directory)},
        {"cmdDirectoryHandlerSetZeroExit",
         "txtDirectoryHandlerZeroExitAction",
         {"4"},
         own("NameLookupHandler", "Zero", "NameLookupHandlerObjectID", directory)},
    };
    option("ShowAfterGreetingLinks")->trigger();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button + (" on " + c.path.join('/')).toStdString());
        const auto& [table, prefix, keyColumn, id, conversation, destination] = c.link;
        auto stored = [&] { return linkColumns(table, prefix, keyColumn, id, conversation, destination); };
        auto sendTo = [&](const char* how, const QString& handler) {
            f.site.execute(QString("UPDATE %1 SET %2Action = 2, %2%3 = ?, %2%4 = ?, %2%4Type = 3 WHERE %5 = ?")
                               .arg(table, prefix, conversation, destination, keyColumn),
                           {how, handler, id});
        };
        auto linkRows = [&] { return c.rootRow.isEmpty() ? QStringList() : QStringList{text(row({c.rootRow}))}; };
        sendTo("PHTransfer", handlerId("salesch"));
        rebuild();
        open({"1"});
        select(row(c.path));
        const QStringList rowsBefore = linkRows();
        // Another program sends the link to the operator's greeting; a search reads that.
        sendTo("PHGreeting", handlerId("operatorch"));
        const QString theirs = stored();
        f.searchSubscribersAndCancel();
        messages().clear();
        const int lines = updateLines().size();
        f.control<QPushButton>(c.button)->click();
        menu().hide();
        menu().LinkHangUp->trigger();
        EXPECT_EQ(messages(),
                  QStringList{"(error):-2147217864 (" + located + ") in procedure linkProcessLinkInfo of Form frmMain"});
        EXPECT_EQ(stored(), theirs);
        EXPECT_EQ(updateLines().mid(lines), QStringList());
        // The box and the link's tree rows show the stored link, as the next load and a new tree do.
        const QString box = f.control<QLineEdit>(c.box)->text();
        const QStringList rows = linkRows();
        EXPECT_EQ(rows == rowsBefore, c.rootRow.isEmpty());
        rebuild();
        open({"1"});
        select(row(c.path));
        EXPECT_EQ(box, f.control<QLineEdit>(c.box)->text());
        EXPECT_EQ(rows, linkRows());
    }
}

} // namespace
