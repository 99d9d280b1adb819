#include "actions/ActionsFixture.h"
#include "widgets/OutlineGridView.h"

#include <QCheckBox>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

namespace {

using namespace TreeNodeType;

class LinkPopUpStateTest : public ::testing::Test, public ActionsFixture {};

const QString kNull = "<null>";

TEST_F(LinkPopUpStateTest, AKeysStoredLinkSetsTheItemsMarksInTheTestsOrder)
{
    const QString operatorId = handlerId("operatorch");
    const QString farid = ownHandlerOf("fhaddad");
    const QString feedback = idOf("InterviewHandler", "InterviewHandlerObjectID", "customerfeedback");
    const QString directory = idOf("NameLookupHandler", "NameLookupHandlerObjectID", "companydirectory");
    ASSERT_FALSE(farid.isEmpty());
    ASSERT_FALSE(feedback.isEmpty());
    ASSERT_FALSE(directory.isEmpty());
    struct Case {
        const char* name;
        Variant action, conversation, destination, type;
        int locked;
        QStringList checked;
        bool passOnEnabled; // "Attempt to Ring Phone" and "Send to Greeting"
        bool rootEnabled;
        QStringList messages;
    };
    const Variant null = Variant::null();
    const Case cases[] = {
        {"ring a handler", 2, "PHTransfer", operatorId, 3, 0, {"LinkCallHandler", "LinkAttemptTransfer"}, true, true, {}},
        {"a handler's greeting", 2, "PHGreeting", operatorId, 3, 0, {"LinkCallHandler", "LinkSendToGreeting"}, true, true, {}},
        {"a subscriber", 2, "PHTransfer", farid, 3, 0, {"LinkSubscriber", "LinkAttemptTransfer"}, true, true, {}},
        {"locked, take message", 4, null, null, 3, 1, {"LinkTakeMessage", "LinkLockKey"}, false, false, {}},
        {"hang up keeps an old type", 1, null, null, 3, 0, {"LinkHangUp"}, false, false, {}},
        {"ignore", 0, null, null, null, 0, {"LinkIgnoreKey"}, false, false, {}},
        {"skip", 5, null, null, null, 0, {"LinkSkipGreeting"}, false, false, {}},
        {"sign in", 2, "SubSignIn", null, null, 0, {"LinkSignIn"}, false, false, {}},
        {"greetings administrator", 2, "greetingsadministrator", null, null, 0, {"LinkGreetingsAdministrator"}, false, false, {}},
        {"directory", 2, "AD", directory, 6, 0, {"LinkDirectoryHandler"}, false, false, {}},
        {"interviewer", 2, "CHInterview", feedback, 5, 0, {"LinkInterviewer"}, false, false, {}},
        {"nothing known",
         2,
         "PHTransfer",
         operatorId,
         null,
         0,
         {},
         false,
         true,
         {"error in AdjustMenuSettings routine - invalid object type"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        storeKey("openinggreetingch", "0", c.action, c.conversation, c.destination, c.type, c.locked);
        rebuild();
        messages().clear();
        select(row({"0"}));
        EXPECT_EQ(checkedItems(), c.checked);
        EXPECT_EQ(hiddenItems(), QStringList());
        EXPECT_EQ(menu().LinkAttemptTransfer->isEnabled(), c.passOnEnabled);
        EXPECT_EQ(menu().LinkSendToGreeting->isEnabled(), c.passOnEnabled);
        EXPECT_EQ(menu().PopUpSetAsTreeRoot->isEnabled(), c.rootEnabled);
        EXPECT_EQ(messages(), c.messages);
    }
}

TEST_F(LinkPopUpStateTest, GreetingAndAfterMessageRowsOfferOnlyTheRootItemAndTheRootRowChangesNoState)
{
    option("ShowAfterGreetingLinks")->trigger();
    ASSERT_TRUE(option("ShowAfterGreetingLinks")->isChecked());
    rebuild();
    select(row({"0"}));
    const QStringList keyMarks = checkedItems();
    ASSERT_FALSE(keyMarks.isEmpty());

    QStringList allButRoot;
    for (QAction* a : menu().items())
        if (a != menu().PopUpSetAsTreeRoot)
            allButRoot << a->objectName();
    // The opening greeting's Standard greeting rings the operator; its after-message link hangs up.
    for (const char* code : {"STD", "AM"}) {
        SCOPED_TRACE(code);
        select(row({code}));
        EXPECT_EQ(hiddenItems(), allButRoot);
        EXPECT_EQ(menu().PopUpSetAsTreeRoot->isEnabled(), type(row({code})) == CallHandler);
    }
    select(row({"STD"}));
    EXPECT_TRUE(menu().PopUpSetAsTreeRoot->isEnabled());
    EXPECT_TRUE(messages().isEmpty()) << messages().join('|').toStdString();

    // The root row shows every item and keeps the marks the last row set.
    select(row({"0"}));
    menu().LinkAttemptTransfer->setEnabled(false);
    select(0);
    EXPECT_EQ(hiddenItems(), QStringList());
    EXPECT_EQ(checkedItems(), keyMarks);
    EXPECT_FALSE(menu().LinkAttemptTransfer->isEnabled());

    // Without a current row nothing is read and nothing is said.
    grid().setRow(-1);
    actions().AdjustMenuSettings();
    EXPECT_EQ(hiddenItems(), QStringList());
    EXPECT_TRUE(checkedItems().isEmpty());
    EXPECT_FALSE(actions().popUpState().treeRowLink().has_value());
    EXPECT_TRUE(messages().isEmpty()) << messages().join('|').toStdString();
}

TEST_F(LinkPopUpStateTest, MissingOwnerEntriesAndGreetingsAreReportedUnderTheRoutinesOwnFilter)
{
    const int sales = open({"1"});
    ASSERT_GE(sales, 0);
    const QString salesId = handlerId("salesch");

    // Another handler's entries left under the filter prove nothing: the owner's are counted.
    state().cache.rsMenuentry.setFilter("ParentObjectID", handlerId("operatorch"));
    f.site.execute("DELETE FROM MenuEntry WHERE ParentObjectID = ? AND Alias = '2'", {salesId});
    messages().clear();
    select(row({"1", "2"}));
    EXPECT_EQ(messages(), QStringList{"Error in AdjustMenuSettings routine - could not find child alias:2"});
    EXPECT_EQ(checkedItems(), QStringList());

    f.site.execute("DELETE FROM MenuEntry WHERE ParentObjectID = ? AND Alias <> '0'", {salesId});
    messages().clear();
    select(row({"1", "0"}));
    EXPECT_EQ(messages(), QStringList{"error in AdjustMenuSettings routine - no menu entries found for parent of selected node."});

    // A greeting row of a handler with five greetings.
    option("ShowAfterGreetingLinks")->trigger();
    rebuild();
    f.site.execute("DELETE FROM MessagingRule WHERE ParentObjectID = ? AND Alias = 'Busy'", {handlerId("openinggreetingch")});
    messages().clear();
    select(row({"STD"}));
    EXPECT_EQ(messages(),
              QStringList{"Error in AdjustMenuSettings routine - filter for messaging rules has not been applied properly"});

    // The owner deleted by another tool.
    const int support = open({"2"});
    ASSERT_GE(support, 0);
    f.site.execute("DELETE FROM CallHandler WHERE Alias = 'supportch'");
    menu().LinkHangUp->setChecked(true);
    messages().clear();
    select(row({"2", "0"}));
    EXPECT_EQ(messages(), QStringList{"error in AdjustMenuSettings routine - no handler found for parent of node."});
    EXPECT_EQ(checkedItems(), QStringList());
    EXPECT_EQ(hiddenItems(), QStringList());
}

TEST_F(LinkPopUpStateTest, TheWindowsActionMenuHoldsItsNineteenItemsInOrder)
{
    auto* popup = f.control<QMenu>("LinkPopUpMenu");
    ASSERT_EQ(popup, &menu());
    EXPECT_EQ(popup->title(), "Action");
    QStringList items;
    for (QAction* a : popup->actions())
        items << (a->isSeparator() ? a->objectName() + " -"
                                   : a->objectName() + " " + a->text() + (a->isCheckable() ? "" : " (plain)"));
    EXPECT_EQ(items,
              QStringList({"PopUpSetAsTreeRoot Set As New Tree Root", "PopUpSpacer0 -", "LinkIgnoreKey Ignore Key",
                           "LinkTakeMessage Take Message", "LinkHangUp Hang Up", "LinkSkipGreeting Skip Greeting",
                           "LinkSignIn Sign In", "LinkGreetingsAdministrator Greetings Administrator",
                           "LinkDirectoryHandler Send To Directory Handler", "LinkCallHandler Send To Call Handler",
                           "LinkSubscriber Send To Subscriber", "LinkInterviewer Send To Interviewer", "PopUpSpacer1 -",
                           "LinkLockKey Lock Key", "linkLockAllKeys Lock All Keys", "linkUnlockAllKeys UnLock All Keys",
                           "PopUpSpacer2 -", "LinkAttemptTransfer Attempt to Ring Phone", "LinkSendToGreeting Send to Greeting"}));
    EXPECT_FALSE(f.window->menuBar()->actions().contains(popup->menuAction()));
}

// The popup opened with the mouse, as the administrator opens it.
class LinkPopUpMouseTest : public LinkPopUpStateTest {
protected:
    void rightClick(int r)
    {
        auto* view = f.control<OutlineGridView>("ATTree");
        f.window->show();
        QApplication::processEvents();
        view->scrollTo(view->model()->index(0, 0));
        QApplication::processEvents();
        const QRect rect = view->gridRowRect(r);
        ASSERT_FALSE(rect.isEmpty()) << "row " << r << " is not on screen";
        QTest::mouseClick(view->viewport(), Qt::RightButton, {}, rect.center());
        QApplication::processEvents();
    }
    void dismiss()
    {
        menu().hide();
        QApplication::processEvents();
    }
};

TEST_F(LinkPopUpMouseTest, ARightClickOnTheCurrentRowSetsTheItemsAgain)
{
    const int key = row({"0"});
    select(key);
    // What a pane button or an earlier row left behind.
    menu().LinkIgnoreKey->setVisible(false);
    menu().LinkHangUp->setChecked(true);
    menu().LinkCallHandler->setChecked(false);
    rightClick(key);
    EXPECT_TRUE(menu().isVisible());
    EXPECT_EQ(hiddenItems(), QStringList());
    EXPECT_EQ(checkedItems(), QStringList({"LinkCallHandler", "LinkAttemptTransfer"}));
    dismiss();
}

TEST_F(LinkPopUpMouseTest, APopupDismissedLeavesThePanesObjectCurrentForItsEditors)
{
    // The key "0" of Sales rings the operator: the row shows the operator, its link is Sales's.
    grid().setCollapsed(open({"1"}), false);
    const QString salesId = handlerId("salesch");
    const QString operatorId = handlerId("operatorch");
    const QString salesBefore = f.site.tableText("MessagingRule");
    rightClick(row({"1", "0"}));
    ASSERT_TRUE(menu().isVisible());
    dismiss();
    EXPECT_EQ(state().cache.rsCallHandler.field("CallHandlerObjectID").toText(), operatorId);

    auto* allowInput = f.control<QCheckBox>("chkHandlerGreetingAllowUserInput_0");
    ASSERT_TRUE(allowInput->isEnabled());
    allowInput->click();
    QApplication::processEvents();
    const auto ignoreDigits = [&](const QString& handler) {
        return f.site.scalar("SELECT IgnoreDigits FROM MessagingRule WHERE Alias = 'Standard' AND ParentObjectID = ?", {handler})
            .textOrEmpty();
    };
    EXPECT_EQ(ignoreDigits(operatorId), allowInput->isChecked() ? "0" : "1");
    EXPECT_EQ(f.site.scalar("SELECT count(*) FROM MessagingRule WHERE ParentObjectID = ?", {salesId}).toInt32(), 6);
    QString salesNow = f.site.tableText("MessagingRule");
    // Only the operator's Standard greeting changed.
    QStringList before = salesBefore.split('\n'), now = salesNow.split('\n');
    ASSERT_EQ(before.size(), now.size());
    int changed = 0;
    for (int i = 0; i < before.size(); ++i) {
        if (before[i] != now[i]) {
            ++changed;
            EXPECT_TRUE(now[i].contains(operatorId)) << now[i].toStdString();
            EXPECT_FALSE(now[i].contains(salesId)) << now[i].toStdString();
        }
    }
    EXPECT_EQ(changed, 1);
}

} // namespace
