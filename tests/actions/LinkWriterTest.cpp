#include "actions/ActionsFixture.h"
#include "pane/PropertyPane.h"
#include "widgets/BoundGrid.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>

namespace {

using namespace TreeNodeType;

class LinkWriterTest : public ::testing::Test, public ActionsFixture {
protected:
    LinkWriter& writer() { return actions().writer(); }
};

TEST_F(LinkWriterTest, EveryPlaceStoresItsFourColumnsAndLogsThemInOrder)
{
    // The writer alone, without a page or a row that shows the links it writes.
    f.unmarkedChecks.allow();
    const QString salesId = handlerId("salesch");
    const QString operatorId = handlerId("operatorch");
    const QString feedback = idOf("InterviewHandler", "InterviewHandlerObjectID", "customerfeedback");
    const QString directory = idOf("NameLookupHandler", "NameLookupHandlerObjectID", "companydirectory");
    const QString ben = subscriberId("bcarter");
    ASSERT_FALSE(ben.isEmpty());
    const QString benHandler = ownHandlerOf("bcarter");
    f.site.execute("UPDATE Subscriber SET ExitAction = 2, ExitConversation = 'PHTransfer', ExitObjectID = ?, ExitObjectIDType = 3 "
                   "WHERE SubscriberObjectID = ?",
                   {operatorId, ben});
    f.site.execute("UPDATE NameLookupHandler SET NoInputAction = 2, NoInputConversation = 'PHTransfer', NoInputObjectID = ?, "
                   "NoInputObjectIDType = 3 WHERE NameLookupHandlerObjectID = ?",
                   {operatorId, directory});
    f.site.execute("UPDATE InterviewHandler SET AfterMessageObjectIDType = 3 WHERE InterviewHandlerObjectID = ?", {feedback});
    state().cache.RequeryAllRecordsets();

    struct Case {
        ChosenLink link;
        QString objectId, conversation;
        qint16 action, type;
        std::function<QString()> stored;
        QString expected;
        QStringList lines;
    };
    const auto greeting = [&](const QString& alias) {
        return linkColumns(
            "MessagingRule", "", "MessagingRuleObjectID",
            f.site
                .scalar("SELECT MessagingRuleObjectID FROM MessagingRule WHERE ParentObjectID = ? AND Alias = ?", {salesId, alias})
                .toText(),
            "ConversationName", "DestinationObjectID");
    };
    const auto greetingLine = [&](const QString& alias, const QString& column, const QString& value) {
        return ChangeLogLine(f.clock.now(), "UPDATE", "MessagingRule", alias, "CallHandler", "salesch", column, value);
    };
    const Case cases[] = {
        {{"AM", salesId, salesId},
         "",
         "",
         4,
         -1,
         [&] { return linkColumns("CallHandler", "AfterMessage", "CallHandlerObjectID", salesId); },
         "4|<null>|<null>|3",
         {line("CallHandler", "salesch", "AfterMessageAction", " 4"),
          line("CallHandler", "salesch", "AfterMessageConversation", "(NULL)"),
          line("CallHandler", "salesch", "AfterMessageObjectIDType", " 3"),
          line("CallHandler", "salesch", "AfterMessageObjectID", "(NULL)")}},
        {{"OFF", salesId, ""},
         "",
         "",
         1,
         -1,
         [&] { return greeting("Off Hours"); },
         "1|<null>|<null>|<null>",
         {greetingLine("Off Hours", "Action", " 1"), greetingLine("Off Hours", "ConversationName", "(NULL)"),
          greetingLine("Off Hours", "DestinationObjectIDType", "(NULL)"),
          greetingLine("Off Hours", "DestinationObjectID", "(NULL)")}},
        {{"IntAM", feedback, feedback},
         "",
         "SubSignIn",
         2,
         -1,
         [&] { return linkColumns("InterviewHandler", "AfterMessage", "InterviewHandlerObjectID", feedback); },
         "2|SubSignIn|<null>|3",
         {line("Interviewer", "customerfeedback", "AfterMessageAction", " 2"),
          line("Interviewer", "customerfeedback", "AfterMessageConversation", "SubSignIn"),
          line("Interviewer", "customerfeedback", "AfterMessageObjectIDType", " 3"),
          line("Interviewer", "customerfeedback", "AfterMessageObjectID", "(NULL)")}},
        {{"SubExit", benHandler, ben},
         "SKIP",
         "PHGreeting",
         2,
         -1,
         [&] { return linkColumns("Subscriber", "Exit", "SubscriberObjectID", ben); },
         "2|PHGreeting|" + operatorId + "|3",
         {line("Subscriber", "bcarter", "ExitAction", " 2"), line("Subscriber", "bcarter", "ExitConversation", "PHGreeting"),
          line("Subscriber", "bcarter", "ExitObjectIDType", " 3"), line("Subscriber", "bcarter", "ExitObjectID", operatorId)}},
        // A directory exit that hangs up or signs in leads to no object, whatever the type passed.
        {{"DirNoInputExit", directory, directory},
         "",
         "",
         1,
         -1,
         [&] { return linkColumns("NameLookupHandler", "NoInput", "NameLookupHandlerObjectID", directory); },
         "1|<null>|<null>|<null>",
         {line("DirectoryHandler", "companydirectory", "NoInputAction", " 1"),
          line("DirectoryHandler", "companydirectory", "NoInputConversation", "(NULL)"),
          line("DirectoryHandler", "companydirectory", "NoInputObjectIDType", "(NULL)"),
          line("DirectoryHandler", "companydirectory", "NoInputObjectID", "(NULL)")}},
        {{"DirZeroExit", directory, directory},
         salesId,
         "SubSignIn",
         2,
         3,
         [&] { return linkColumns("NameLookupHandler", "Zero", "NameLookupHandlerObjectID", directory); },
         "2|SubSignIn|<null>|<null>",
         {line("DirectoryHandler", "companydirectory", "ZeroAction", " 2"),
          line("DirectoryHandler", "companydirectory", "ZeroConversation", "SubSignIn"),
          line("DirectoryHandler", "companydirectory", "ZeroObjectIDType", "(NULL)"),
          line("DirectoryHandler", "companydirectory", "ZeroObjectID", "(NULL)")}},
        {{"DirExit", directory, directory},
         salesId,
         "PHTransfer",
         2,
         3,
         [&] { return linkColumns("NameLookupHandler", "Exit", "NameLookupHandlerObjectID", directory); },
         "2|PHTransfer|" + salesId + "|3",
         {line("DirectoryHandler", "companydirectory", "ExitAction", " 2"),
          line("DirectoryHandler", "companydirectory", "ExitConversation", "PHTransfer"),
          line("DirectoryHandler", "companydirectory", "ExitObjectIDType", " 3"),
          line("DirectoryHandler", "companydirectory", "ExitObjectID", salesId)}},
        // An empty destination with a type stores Null and the type.
        {{"5", salesId, ""},
         "",
         "PHTransfer",
         2,
         3,
         [&] { return keyRow("salesch", "5").section('|', 0, 3); },
         "2|PHTransfer|<null>|3",
         {keyLine("5", "salesch", "Action", " 2"), keyLine("5", "salesch", "ConversationName", "PHTransfer"),
          keyLine("5", "salesch", "DestinationObjectIDType", " 3"), keyLine("5", "salesch", "DestinationObjectID", "(NULL)")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.link.selector.toStdString());
        const int before = updateLines().size();
        writer().linkProcessLinkInfo(c.link, c.objectId, c.conversation, c.action, c.type);
        EXPECT_EQ(c.stored(), c.expected);
        EXPECT_EQ(updateLines().mid(before), c.lines);
    }
    EXPECT_TRUE(messages().isEmpty()) << messages().join('|').toStdString();
}

TEST_F(LinkWriterTest, AGreetingCodeWritesItsOwnGreetingWhateverRowIsCurrent)
{
    const QString opening = handlerId("openinggreetingch");
    const QString salesId = handlerId("salesch");
    // The shared greetings stand on another handler's greeting.
    Recordset& rules = state().cache.rsMessagingRule;
    rules.setFilter("ParentObjectID", salesId);
    rules.moveFirst();
    ASSERT_TRUE(rules.find("Alias", "Busy"));
    const QString salesRules =
        f.site.scalar("SELECT group_concat(coalesce(Action, '-')) FROM MessagingRule WHERE ParentObjectID = ?", {salesId}).toText();
    grid().setRow(-1); // no row to show again afterwards
    writer().linkProcessLinkInfo({"ERR", opening, ""}, "", "", 4, -1);
    EXPECT_EQ(f.site.scalar("SELECT Action FROM MessagingRule WHERE ParentObjectID = ? AND Alias = 'Error'", {opening}).toInt32(),
              4);
    EXPECT_EQ(
        f.site.scalar("SELECT group_concat(coalesce(Action, '-')) FROM MessagingRule WHERE ParentObjectID = ?", {salesId}).toText(),
        salesRules);
    EXPECT_EQ(rules.field("Alias").toText(), "Busy") << "the pane's greeting stays current";
    EXPECT_EQ(rules.field("ParentObjectID").toText(), salesId);
    EXPECT_EQ(updateLines().first(),
              ChangeLogLine(f.clock.now(), "UPDATE", "MessagingRule", "Error", "CallHandler", "openinggreetingch", "Action", " 4"));
}

TEST_F(LinkWriterTest, AKeyIsFoundByItsOwnerAndAliasAndAnUnknownSelectorIsAMissingKey)
{
    // The writer alone, without a row that shows the key it writes.
    f.unmarkedChecks.allow();
    const QString salesId = handlerId("salesch");
    // The entries stand past the key: a search from the current row would miss it.
    Recordset& entries = state().cache.rsMenuentry;
    entries.setFilter("ParentObjectID", salesId);
    entries.moveLast();
    writer().linkProcessLinkInfo({"2", salesId, ""}, "", "", 1, -1);
    EXPECT_EQ(keyRow("salesch", "2").section('|', 0, 2), "1|<null>|<null>");
    EXPECT_TRUE(messages().isEmpty()) << messages().join('|').toStdString();

    const QString before = f.site.tableText("MenuEntry");
    const int lines = updateLines().size();
    writer().linkProcessLinkInfo({"am", salesId, ""}, "", "", 4, -1);
    ASSERT_EQ(messages().size(), 1) << messages().join('|').toStdString();
    EXPECT_TRUE(messages()[0].startsWith("(error):3021 (")) << messages()[0].toStdString();
    EXPECT_TRUE(messages()[0].endsWith(") in procedure linkProcessLinkInfo of Form frmMain"));
    EXPECT_EQ(f.site.tableText("MenuEntry"), before);
    EXPECT_EQ(updateLines().size(), lines);
}

TEST_F(LinkWriterTest, TheTreeSideRefreshRedrawsTheRowsAndShowsTheCurrentRowAgain)
{
    const QString salesId = handlerId("salesch");
    const QString operatorId = handlerId("operatorch");
    const int key = row({"3"}); // the interview handler
    select(key);
    // A destination command's values: the row follows its new object and type.
    writer().linkProcessLinkInfo({"3", handlerId("openinggreetingch"), ""}, salesId, "PHTransfer", 2, 3);
    EXPECT_EQ(objectId(key), salesId);
    EXPECT_EQ(type(key), CallHandler);
    EXPECT_EQ(text(key), "3: Sales - Ext:120 - (Ring Phone)");
    EXPECT_TRUE(holdsPlaceholder(key));
    EXPECT_EQ(f.control<QLabel>("lblCurrentObjectDisplayName")->text().contains("Sales"), true);
    EXPECT_EQ(checkedItems(), QStringList({"LinkCallHandler", "LinkAttemptTransfer"}));

    writer().linkProcessLinkInfo({"3", handlerId("openinggreetingch"), ""}, ownHandlerOf("bcarter"), "PHTransfer", 2, 3, true);
    EXPECT_EQ(type(key), Subscriber);
    EXPECT_EQ(checkedItems(), QStringList({"LinkSubscriber", "LinkAttemptTransfer"}));
    (void)operatorId;
    EXPECT_TRUE(messages().isEmpty()) << messages().join('|').toStdString();
}

TEST_F(LinkWriterTest, ThePaneSideRefreshReloadsThePaneAndRebuildsOnlyWhatTheTreeShows)
{
    const QString salesId = handlerId("salesch");
    const int sales = row({"1"});
    select(sales);
    const auto afterGreetingText = [&] { return f.control<QLineEdit>("txtHandlerGreetingsAfterGreetingAction_0")->text(); };
    // A mark on a row survives unless the tree is built again.
    grid().setCellText(row({"0"}), TreeColumn::Conversation, "marked");
    popUpState().setLinkFromTab("AG");
    Recordset& rules = state().cache.rsMessagingRule;
    rules.moveFirst();
    ASSERT_TRUE(rules.find("Alias", "Standard"));
    fixed().LinkHangUp_Click();
    EXPECT_EQ(
        f.site.scalar("SELECT Action FROM MessagingRule WHERE ParentObjectID = ? AND Alias = 'Standard'", {salesId}).toInt32(), 1);
    EXPECT_EQ(afterGreetingText(), "Hang Up");
    EXPECT_EQ(grid().cellText(row({"0"}), TreeColumn::Conversation), "marked");
    EXPECT_EQ(grid().row(), sales);
    EXPECT_TRUE(popUpState().bLinkFromTab());

    // With the greeting rows shown the tree is built again from its root.
    option("ShowAfterGreetingLinks")->trigger();
    ASSERT_TRUE(option("ShowAfterGreetingLinks")->isChecked());
    select(sales);
    grid().setCellText(row({"0"}), TreeColumn::Conversation, "marked");
    popUpState().setLinkFromTab("AG");
    rules.moveFirst();
    ASSERT_TRUE(rules.find("Alias", "Standard"));
    fixed().LinkTakeMessage_Click();
    EXPECT_EQ(
        f.site.scalar("SELECT Action FROM MessagingRule WHERE ParentObjectID = ? AND Alias = 'Standard'", {salesId}).toInt32(), 4);
    EXPECT_NE(grid().cellText(row({"0"}), TreeColumn::Conversation), "marked");
    EXPECT_TRUE(messages().isEmpty()) << messages().join('|').toStdString();
}

TEST_F(LinkWriterTest, ASubscribersExitIsWrittenForTheSubscriberThePaneStandsOnAndTheTreeIsLeftAlone)
{
    const QString ben = subscriberId("bcarter");
    const QString benHandler = ownHandlerOf("bcarter");
    select(row({"0"}));
    const QString rowText = text(row({"0"}));
    f.program->pane().LoadTabInfo(benHandler, Subscriber);
    popUpState().setLinkFromTab("SubExit");
    fixed().LinkSignIn_Click();
    EXPECT_EQ(linkColumns("Subscriber", "Exit", "SubscriberObjectID", ben), "2|SubSignIn|<null>|3");
    EXPECT_EQ(updateLines().size(), 4);
    EXPECT_EQ(text(row({"0"})), rowText);
    EXPECT_EQ(grid().row(), row({"0"}));
    EXPECT_TRUE(messages().isEmpty()) << messages().join('|').toStdString();
}

TEST_F(LinkWriterTest, APaneSideChangeWithTheObjectListInFrontReloadsTheListsObject)
{
    f.window->show();
    QApplication::processEvents();
    f.control<QTabWidget>("TabTreeGrid")->setCurrentIndex(1);
    f.control<QComboBox>("cmbShowObjectType")->setCurrentIndex(0);
    auto* list = f.control<BoundGrid>("gridObjects");
    int goodbye = -1;
    for (int r = 0; r < list->rows().rowCount(); ++r)
        if (list->rows().cell(r, 1).textOrEmpty() == "goodbyech")
            goodbye = r;
    ASSERT_GE(goodbye, 0);
    list->setCurrentDataRow(goodbye);
    QApplication::processEvents();
    const int treeRow = grid().row();
    const QString goodbyeId = handlerId("goodbyech");
    Recordset& rules = state().cache.rsMessagingRule;
    rules.moveFirst();
    ASSERT_TRUE(rules.find("Alias", "Standard"));
    ASSERT_EQ(rules.field("ParentObjectID").toText(), goodbyeId);
    popUpState().setLinkFromTab("AG");
    fixed().LinkTakeMessage_Click();
    EXPECT_EQ(
        f.site.scalar("SELECT Action FROM MessagingRule WHERE ParentObjectID = ? AND Alias = 'Standard'", {goodbyeId}).toInt32(),
        4);
    EXPECT_EQ(f.control<QLineEdit>("txtHandlerGreetingsAfterGreetingAction_0")->text(), "Take Message");
    EXPECT_EQ(grid().row(), treeRow);
    EXPECT_TRUE(messages().isEmpty()) << messages().join('|').toStdString();
}

} // namespace
