#include "actions/ActionEditing.h"
#include "actions/LinkPopUpMenu.h"
#include "fakes/ScriptedDialogs.h"
#include "fixtures/PaneFixture.h"
#include "tree/ObjectListPage.h"
#include "tree/TreeRowModel.h"
#include "widgets/BoundGrid.h"
#include "widgets/OutlineGrid.h"

#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>

namespace {

// Commands started from the page of an object picked in the "Grid View" list, while the tree's
// current row shows another object: the pane goes on showing the picked object.
class ObjectListCommandsTest : public ::testing::Test, public PaneFixture {
protected:
    enum Kind { CallHandlers, Subscribers, InterviewHandlers, DirectoryHandlers };

    void SetUp() override
    {
        f.dialogs = &dialogs;
        start();
        // The creations give new questions a silent recording of their own.
        f.installEmptyWav();
        activate();
        list = control<BoundGrid>("gridObjects");
    }

    // The entry with that alias made current in the list of its kind, as a click does.
    void pick(Kind kind, const QString& alias)
    {
        control<QTabWidget>("TabTreeGrid")->setCurrentIndex(1);
        control<QComboBox>("cmbShowObjectType")->setCurrentIndex(kind);
        const int r = listRow(alias);
        ASSERT_GE(r, 0) << alias.toStdString();
        list->setCurrentDataRow(-1); // a click on the entry already current shows it again too
        list->setCurrentDataRow(r);
        QApplication::processEvents();
    }
    int listRow(const QString& alias) const
    {
        for (int r = 0; r < list->rows().rowCount(); ++r)
            if (list->rows().cell(r, 1).textOrEmpty() == alias)
                return r;
        return -1;
    }
    QString listEntry() const
    {
        const int r = list->currentDataRow();
        return r < 0 ? "(none)" : list->rows().cell(r, 1).textOrEmpty();
    }
    QString nameShown() const { return f.window->findChild<QLabel*>("lblCurrentObjectDisplayName")->text(); }
    // A button of the page pressed; the popup it opens is closed again, as the item it offers is
    // triggered by the test.
    void press(const char* button, const char* popup)
    {
        control<QPushButton>(button)->click();
        control<QMenu>(popup)->hide();
    }
    QString displayName(Kind kind, const QString& alias) const
    {
        static const char* const sql[] = {
            "SELECT TextName FROM CallHandler WHERE Alias = ?",
            "SELECT DisplayName FROM Subscriber WHERE Alias = ?",
            "SELECT TextName FROM InterviewHandler WHERE Alias = ?",
            "SELECT TextName FROM NameLookupHandler WHERE Alias = ?",
        };
        return f.site.scalar(sql[kind], {alias}).toText();
    }

    ScriptedDialogs dialogs;
    BoundGrid* list = nullptr;
};

TEST_F(ObjectListCommandsTest, EveryCommandFromAListedObjectsPageLeavesThePaneOnThatObjectWithoutAMessage)
{
    const QString salesId = handlerId("salesch");
    const QString amoreno = ownHandlerOf("amoreno");
    const QString feedback = idOf("InterviewHandler", "InterviewHandlerObjectID", "customerfeedback");
    const QString directory = idOf("NameLookupHandler", "NameLookupHandlerObjectID", "companydirectory");
    const char* linkMenu = "LinkPopUpMenu";
    struct Case {
        Kind kind;
        const char* alias;
        const char* aliasBox;
        const char* button;
        const char* popup;
        const char* command;
        std::function<void()> script;
        int lines; // change-log lines the command writes
    };
    const Case cases[] = {
        {Subscribers, "bcarter", "txtSubscriberProfileAlias", "cmdSubscriberMessagesChangeAfterMessageAction", linkMenu,
         "LinkCallHandler", [&] { dialogs.pickCallHandler(salesId); }, 4},
        {Subscribers, "bcarter", "txtSubscriberProfileAlias", "cmdSubscriberGreetingChangeAfterGreetingAction_0", linkMenu,
         "LinkSubscriber", [&] { dialogs.pickSubscriber(amoreno); }, 4},
        {Subscribers, "bcarter", "txtSubscriberProfileAlias", "cmdSubscriberConversationExitAction", linkMenu,
         "LinkDirectoryHandler", [&] { dialogs.pickDirectoryHandler(directory); }, 4},
        {CallHandlers, "salesch", "txtHandlerProfileAlias", "cmdHandlerSetAfterMessageAction", linkMenu, "LinkDirectoryHandler",
         [&] { dialogs.pickDirectoryHandler(directory); }, 4},
        {CallHandlers, "salesch", "txtHandlerProfileAlias", "cmbHandlerGreetingChangeAfterGreetingAction_1", linkMenu,
         "LinkTakeMessage", nullptr, 4},
        {CallHandlers, "salesch", "txtHandlerProfileAlias", "cmdHandlerSetAfterMessageAction", linkMenu, "LinkSubscriber",
         [&] { dialogs.pickSubscriber(amoreno); }, 4},
        {CallHandlers, "salesch", "txtHandlerProfileAlias", "cmdHandlerChangeOwner", "TabsSetOwnerHandlerPopupMenu",
         "TabsSetOwnerHandlerSubscriber", [&] { dialogs.pickSubscriber(amoreno); }, 2},
        {InterviewHandlers, "customerfeedback", "txtInterviewerAlias", "cmdInterviewerProfileChangeAfterMessageAction", linkMenu,
         "LinkCallHandler", [&] { dialogs.pickCallHandler(salesId); }, 4},
        {InterviewHandlers, "customerfeedback", "txtInterviewerAlias", "cmdInterviewerProfileSetRecipient",
         "TabsSetRecipientInterviewerPopupMenu", "TabsSetRecipientInterviewerSubscriber", [&] { dialogs.pickSubscriber(amoreno); },
         2},
        {DirectoryHandlers, "companydirectory", "txtDirectoryHandlerAlias", "cmdDirectoryHandlerSetExit", linkMenu,
         "LinkCallHandler", [&] { dialogs.pickCallHandler(salesId); }, 4},
        {DirectoryHandlers, "companydirectory", "txtDirectoryHandlerAlias", "cmdDirectoryHandlerSetZeroExit", linkMenu,
         "LinkInterviewer", [&] { dialogs.pickInterviewer(feedback); }, 4},
    };
    // The tree stands on the opening greeting, which none of the cases shows.
    ASSERT_EQ(f.treeGrid().row(), 0);
    const QString treeObject = f.treeGrid().cellText(0, TreeColumn::ObjectID);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.alias) + " " + c.button + " " + c.command);
        pick(c.kind, c.alias);
        ASSERT_EQ(nameShown(), displayName(c.kind, c.alias));
        press(c.button, c.popup);
        if (c.script)
            c.script();
        const int linesBefore = updateLines().size();
        f.control<QAction>(c.command)->trigger();
        EXPECT_EQ(updateLines().size(), linesBefore + c.lines);
        EXPECT_EQ(nameShown(), displayName(c.kind, c.alias));
        EXPECT_EQ(shown(c.aliasBox), c.alias);
        EXPECT_EQ(listEntry(), c.alias);
        EXPECT_EQ(f.treeGrid().cellText(f.treeGrid().row(), TreeColumn::ObjectID), treeObject);
        EXPECT_TRUE(f.prompts.messages.isEmpty()) << f.prompts.messages.join('|').toStdString();
        f.prompts.messages.clear();
    }
}

TEST_F(ObjectListCommandsTest, TheListKeepsItsEntryThroughAReloadAndASortWithoutShowingItAgain)
{
    pick(Subscribers, "bcarter");
    const QString benHandler = ownHandlerOf("bcarter");
    ASSERT_EQ(pane->ShownCallHandlerID(EditorPage::Subscriber), benHandler);
    // What the pane shows is not loaded again: a box changed since stays as it is.
    control<QLineEdit>("txtSubscriberProfileSwitch")->setText("marked");

    f.program->objectList().LoadGridView();
    EXPECT_EQ(listEntry(), "bcarter");
    list->horizontalHeader()->sectionClicked(2); // by display name
    EXPECT_EQ(listEntry(), "bcarter");
    EXPECT_EQ(shown("txtSubscriberProfileSwitch"), "marked");

    // A fixed action then reloads the pane with the entry the list keeps.
    press("cmdSubscriberMessagesChangeAfterMessageAction", "LinkPopUpMenu");
    f.control<QAction>("LinkHangUp")->trigger();
    EXPECT_EQ(shown("txtSubscriberMessagesAfterMessageAction"), "Hang Up");
    EXPECT_EQ(nameShown(), displayName(Subscribers, "bcarter"));
    EXPECT_TRUE(f.prompts.messages.isEmpty()) << f.prompts.messages.join('|').toStdString();

    // Another kind starts with no entry; an entry gone from the database leaves none either.
    control<QComboBox>("cmbShowObjectType")->setCurrentIndex(CallHandlers);
    EXPECT_EQ(listEntry(), "(none)");
    pick(CallHandlers, "goodbyech");
    f.site.exec("DELETE FROM CallHandler WHERE Alias = 'goodbyech'");
    f.program->objectList().LoadGridView();
    EXPECT_EQ(listEntry(), "(none)");
    EXPECT_TRUE(f.prompts.messages.isEmpty()) << f.prompts.messages.join('|').toStdString();
}

TEST_F(ObjectListCommandsTest, AnEditThatReloadsTheListLeavesTheNextCommandOnTheSameObject)
{
    pick(CallHandlers, "salesch");
    control<QTabWidget>("tabHandlerInfo")->setCurrentIndex(0); // Profile
    QApplication::processEvents();
    auto* name = control<QLineEdit>("txtHandlerProfileDisplayName");
    name->setText("Sales East");
    leave(name, control("txtHandlerProfileAlias"));
    ASSERT_EQ(f.site.scalar("SELECT TextName FROM CallHandler WHERE Alias = 'salesch'").toText(), "Sales East");
    EXPECT_EQ(listEntry(), "salesch");

    press("cmdHandlerSetAfterMessageAction", "LinkPopUpMenu");
    f.control<QAction>("LinkHangUp")->trigger();
    EXPECT_EQ(f.site.scalar("SELECT AfterMessageAction FROM CallHandler WHERE Alias = 'salesch'").toInt32(), 1);
    EXPECT_EQ(shown("txtHandlerMessagesAfterMessageAction"), "Hang Up");
    EXPECT_EQ(nameShown(), "Sales East");
    EXPECT_EQ(shown("txtHandlerProfileAlias"), "salesch");
    EXPECT_TRUE(f.prompts.messages.isEmpty()) << f.prompts.messages.join('|').toStdString();
}

} // namespace
