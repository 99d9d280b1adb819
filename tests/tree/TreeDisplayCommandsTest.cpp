#include "tree/TreeDisplayCommands.h"

#include "app/Assembly.h"
#include "db/ChangeTracking.h"
#include "db/Sqlite.h"
#include "fakes/ScriptedDialogs.h"
#include "fixtures/RecordingSection.h"
#include "pane/PaneSection.h"
#include "pane/PropertyPane.h"
#include "tree/TreeFixture.h"
#include "widgets/BoundGrid.h"
#include "widgets/OutlineGridModel.h"
#include "widgets/OutlineGridView.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QMenu>
#include <QTabWidget>
#include <QTest>
#include <functional>

namespace {

using namespace TreeNodeType;

// Stops the walk after a number of updates, as the user's Cancel does.
class CancellingProgress : public ExpandAllProgress {
public:
    explicit CancellingProgress(int updates)
        : m_left(updates)
    {
    }
    bool update(int, int) override { return --m_left > 0; }

private:
    int m_left;
};

class TreeCommandsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        t.f.program->pane().setSection(PropertyPane::CallHandlerTab, &handlerPage);
        t.f.program->pane().setSection(PropertyPane::SubscriberTab, &subscriberPage);
        ASSERT_TRUE(t.load());
        treeOrList = t.f.control<QTabWidget>("TabTreeGrid");
        pane = t.f.control<QTabWidget>("tabInfoTab");
    }

    void trigger(const char* item) { t.f.control<QAction>(item)->trigger(); }
    QString ownHandlerId(const QString& subscriberAlias) const
    {
        return t.f.site
            .scalar("SELECT CallHandlerObjectID FROM CallHandler WHERE IsPrimary = 1 AND RecipientObjectID = "
                    "(SELECT SubscriberObjectID FROM Subscriber WHERE Alias = ?)",
                    {subscriberAlias})
            .toText();
    }

    // Every key of each handler leads to the next one, the last back to the first; after-message
    // links hang up. The flow grows twelvefold at every level until it meets itself.
    void makeChain(const QStringList& handlerAliases)
    {
        for (int i = 0; i < handlerAliases.size(); ++i) {
            const QString id = t.handlerId(handlerAliases[i]);
            const QString next = t.handlerId(handlerAliases[(i + 1) % handlerAliases.size()]);
            t.f.site.execute("UPDATE MenuEntry SET Action = 2, ConversationName = 'PHTransfer', DestinationObjectID = ? "
                             "WHERE ParentObjectID = ?",
                             {next, id});
            t.f.site.execute("UPDATE CallHandler SET AfterMessageAction = 1, AfterMessageConversation = NULL, "
                             "AfterMessageObjectID = NULL WHERE CallHandlerObjectID = ?",
                             {id});
        }
        t.rebuild();
    }

    // Each row that opens holds either its placeholder alone (closed) or all of its links and no
    // placeholder; no other row is empty.
    void expectConsistent(int linksOfAnOpenedRow)
    {
        OutlineGrid& g = t.grid();
        int placeholders = 0;
        int opened = 0;
        for (int r = 1; r < g.rowCount(); ++r) {
            if (t.text(r).isEmpty()) {
                ++placeholders;
                const int parent = g.parentRow(r);
                ASSERT_EQ(parent, r - 1) << r;
                EXPECT_EQ(g.childCount(parent), 1) << r;
                EXPECT_TRUE(g.isCollapsed(parent)) << r;
                continue;
            }
            if ((t.type(r) == CallHandler || t.type(r) == Subscriber) && !t.holdsPlaceholder(r)) {
                ++opened;
                ASSERT_EQ(g.childCount(r), linksOfAnOpenedRow) << r << " " << t.text(r).toStdString();
            }
        }
        EXPECT_GT(opened, 0);
        lastPlaceholders = placeholders;
    }

    ScriptedDialogs dialogs;
    TreeFixture t{&dialogs};
    RecordingSection handlerPage;
    RecordingSection subscriberPage;
    QTabWidget* treeOrList = nullptr;
    QTabWidget* pane = nullptr;
    int lastPlaceholders = 0;
};

TEST_F(TreeCommandsTest, EachDisplayOptionRebuildsTheTreeFromItsRoot)
{
    const int sales = t.open({"1"});
    ASSERT_FALSE(t.holdsPlaceholder(sales));
    const QStringList keys{"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "*", "#"};
    const QStringList greetings{"STD", "OFF", "ALT", "INT", "BSY", "ERR"};

    struct Step {
        const char* item;
        QStringList rootChildren;
    };
    const Step steps[] = {
        // Keys 6 and 7 of the opening greeting are ignored.
        {"ShowIgnoreKey", {"0", "1", "2", "3", "4", "5", "8", "9", "*", "#", "AM"}},
        {"ShowIgnoreKey", keys + QStringList{"AM"}},
        {"ShowAfterGreetingLinks", keys + greetings + QStringList{"AM"}},
        {"ShowAfterMessageLinks", keys + greetings},
        {"ShowAfterGreetingLinks", keys},
        {"ShowAfterMessageLinks", keys + QStringList{"AM"}},
        // Only the links to call handlers and subscribers stay.
        {"ShowNoLeafs", {"0", "1", "2", "5", "9"}},
        {"ShowNoLeafs", keys + QStringList{"AM"}},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.item);
        trigger(s.item);
        EXPECT_EQ(t.childAliases(0), s.rootChildren);
        EXPECT_EQ(t.objectId(0), t.handlerId("openinggreetingch"));
        EXPECT_TRUE(t.holdsPlaceholder(t.row({"1"}))); // opened branches are closed again
        EXPECT_EQ(t.grid().row(), 0);
    }
    EXPECT_TRUE(t.messages().isEmpty()) << t.messages().join('|').toStdString();
}

TEST_F(TreeCommandsTest, RemovingLeavesGreysOutTheIgnoreKeyOptionAndKeepsItsCheckMark)
{
    QAction* ignoreKey = t.option("ShowIgnoreKey");
    trigger("ShowIgnoreKey");
    ASSERT_FALSE(ignoreKey->isChecked());
    trigger("ShowNoLeafs");
    EXPECT_FALSE(ignoreKey->isEnabled());
    EXPECT_FALSE(ignoreKey->isChecked());
    trigger("ShowNoLeafs");
    EXPECT_TRUE(ignoreKey->isEnabled());
    EXPECT_FALSE(ignoreKey->isChecked());
    EXPECT_FALSE(t.childAliases(0).contains("6")); // unticked, it is consulted again
}

TEST_F(TreeCommandsTest, ExpandAllBuildsEveryBranchAndEndsAtCyclesAndClosedRowsStayClosed)
{
    // Sales and support lead to each other.
    const int operatorRow = t.open({"0"});
    t.grid().setCollapsed(operatorRow, true);
    handlerPage.loaded.clear();
    treeOrList->setCurrentIndex(0);
    RedrawLog log(t.grid());

    trigger("ExpandAllNodes");

    for (int r = 0; r < t.grid().rowCount(); ++r)
        ASSERT_FALSE(t.text(r).isEmpty()) << "placeholder left at row " << r;
    const int salesAgain = t.row({"1", "9", "9"});
    ASSERT_GE(salesAgain, 0);
    EXPECT_EQ(t.type(salesAgain), DuplicateHandler);
    EXPECT_EQ(t.grid().childCount(salesAgain), 0);
    EXPECT_FALSE(t.grid().isCollapsed(t.row({"1"})));
    EXPECT_TRUE(t.grid().isCollapsed(t.row({"0"})));
    EXPECT_GT(t.grid().childCount(t.row({"0"})), 0);
    // The walk neither loads the pane nor leaves anything switched: row 0 is shown at its end.
    EXPECT_EQ(handlerPage.loaded, QStringList{t.handlerId("openinggreetingch")});
    EXPECT_EQ(t.grid().row(), 0);
    EXPECT_FALSE(t.tree().ExpandAllInProgress());
    EXPECT_TRUE(t.grid().redraw());
    // Drawn once, when the walk is done.
    ASSERT_EQ(log.switches.size(), 2) << log.switches.join('|').toStdString();
    EXPECT_EQ(log.switches[0], "off");
    EXPECT_EQ(pane->currentIndex(), 1);
    EXPECT_TRUE(t.messages().isEmpty()) << t.messages().join('|').toStdString();

    // Collapse all: the root and its first level, closed.
    trigger("CollapseNodes");
    for (int c = t.grid().firstChildRow(0); c >= 0; c = t.grid().nextSiblingRow(c))
        EXPECT_TRUE(t.type(c) != CallHandler && t.type(c) != Subscriber ? t.grid().childCount(c) == 0 : t.holdsPlaceholder(c))
            << t.text(c).toStdString();
    // Operator, sales, support, Farid and goodbye hold their placeholders.
    EXPECT_EQ(t.grid().rowCount(), 1 + t.grid().childCount(0) + 5);
    EXPECT_EQ(t.grid().row(), 0);
}

TEST_F(TreeCommandsTest, ExpandAllStopsAtTheRowLimitWithOneMessageAndAConsistentTree)
{
    makeChain({"openinggreetingch", "salesch", "supportch", "operatorch", "goodbyech", "amoreno_ch"});

    trigger("ExpandAllNodes");

    EXPECT_EQ(t.messages(), QStringList{TreeDisplayCommands::expandAllLimitMessage()});
    EXPECT_LE(t.grid().rowCount(), OutlineGrid::MaxRows);
    EXPECT_GT(t.grid().rowCount(), OutlineGrid::MaxRows - CallFlowTree::MostRowsOfOneExpansion);
    expectConsistent(13); // twelve keys and the after-message link
    EXPECT_GT(lastPlaceholders, 0);
    EXPECT_EQ(t.grid().row(), 0);
    EXPECT_FALSE(t.tree().ExpandAllInProgress());
    EXPECT_TRUE(t.grid().redraw());

    // A second run has nothing it can open and says so again.
    t.messages().clear();
    trigger("ExpandAllNodes");
    EXPECT_EQ(t.messages(), QStringList{TreeDisplayCommands::expandAllLimitMessage()});
}

TEST_F(TreeCommandsTest, ACancelledExpandAllLeavesAConsistentTree)
{
    makeChain({"openinggreetingch", "salesch", "supportch", "operatorch", "goodbyech", "amoreno_ch"});
    t.f.program->treeCommands().setExpandAllProgress([] { return std::make_unique<CancellingProgress>(50); });

    trigger("ExpandAllNodes");

    EXPECT_TRUE(t.messages().isEmpty()) << t.messages().join('|').toStdString();
    EXPECT_LT(t.grid().rowCount(), 5000);
    expectConsistent(13);
    EXPECT_GT(lastPlaceholders, 0);
    EXPECT_EQ(t.grid().row(), 0);
    EXPECT_FALSE(t.tree().ExpandAllInProgress());
    EXPECT_TRUE(t.grid().redraw());
}

TEST_F(TreeCommandsTest, RefreshShowsWhatAnotherConnectionChanged)
{
    auto* kinds = t.f.control<QComboBox>("cmbShowObjectType");
    kinds->setCurrentIndex(0);
    t.open({"1"});
    t.f.site.exec("UPDATE CallHandler SET TextName = 'Sales and Rentals' WHERE Alias = 'salesch'");
    t.f.site.exec("UPDATE MenuEntry SET Action = 1, ConversationName = NULL, DestinationObjectID = NULL WHERE Alias = '9' AND "
                  "ParentObjectID = (SELECT CallHandlerObjectID FROM CallHandler WHERE Alias = 'openinggreetingch')");

    trigger("RefreshDatabase");

    EXPECT_TRUE(t.text(t.row({"1"})).startsWith("1: Sales and Rentals")) << t.text(t.row({"1"})).toStdString();
    EXPECT_TRUE(t.holdsPlaceholder(t.row({"1"})));
    EXPECT_EQ(t.type(t.row({"9"})), Leaf);
    EXPECT_EQ(kinds->currentIndex(), 0);
    const BoundGridModel& list = t.f.control<BoundGrid>("gridObjects")->rows();
    QStringList names;
    for (int r = 0; r < list.rowCount(); ++r)
        names << list.cell(r, 2).textOrEmpty();
    EXPECT_TRUE(names.contains("Sales and Rentals"));
    EXPECT_TRUE(t.messages().isEmpty()) << t.messages().join('|').toStdString();
}

// Another program that rebuilds the call handlers' table the usual way, or drops one of its
// triggers, leaves its change counter standing still; every later rename still shows on Refresh.
TEST_F(TreeCommandsTest, RefreshShowsChangesToATableWhoseCountingAnotherProgramTookAway)
{
    const QString create = t.f.site.scalar("SELECT sql FROM sqlite_master WHERE name = 'CallHandler'").toText();
    ASSERT_TRUE(create.startsWith("CREATE TABLE CallHandler ")) << create.toStdString();
    const struct {
        const char* what;
        QString sql;
    } cases[] = {
        {"a rebuilt table", "PRAGMA legacy_alter_table = ON;" + QString(create).replace(13, 11, "CallHandler_new")
                                + ";INSERT INTO CallHandler_new SELECT * FROM CallHandler; DROP TABLE CallHandler;"
                                  "ALTER TABLE CallHandler_new RENAME TO CallHandler;"},
        {"a dropped trigger", "DROP TRIGGER CallHandler_CountedUPDATE"},
    };
    t.open({"1"});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        {
            SqliteDb db(t.f.site.databasePath(), SqliteDb::Mode::ReadWrite);
            ChangeTracking::install(db);
        }
        t.f.site.exec(c.sql);
        trigger("RefreshDatabase");
        for (const char* name : {"Sales and Rentals", "Sales Floor"}) {
            t.f.site.execute("UPDATE CallHandler SET TextName = ? WHERE Alias = 'salesch'", {Variant(name)});
            trigger("RefreshDatabase");
            EXPECT_TRUE(t.text(t.row({"1"})).startsWith(QStringLiteral("1: ") + name)) << t.text(t.row({"1"})).toStdString();
        }
    }
    EXPECT_TRUE(t.messages().isEmpty()) << t.messages().join('|').toStdString();
}

TEST_F(TreeCommandsTest, SetAsNewTreeRootTakesCallHandlersAndSubscribersOnly)
{
    struct Case {
        QStringList path;
        QString root; // empty: refused
        qint16 rootType;
    };
    const Case cases[] = {
        {{"1"}, t.handlerId("salesch"), CallHandler},
        {{"5"}, ownHandlerId("fhaddad"), Subscriber},
        {{"1", "9", "9"}, t.handlerId("salesch"), CallHandler}, // a duplicate row becomes a normal root
        {{"3"}, QString(), 0},                                  // interview handler
        {{"4"}, QString(), 0},                                  // directory handler
        {{"8"}, QString(), 0},                                  // greetings administrator
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.join('/').toStdString());
        t.messages().clear();
        t.tree().setTreeRoot(t.handlerId("openinggreetingch"), CallHandler);
        t.rebuild();
        for (int depth = 1; depth < c.path.size(); ++depth)
            t.open(c.path.mid(0, depth));
        const int row = t.row(c.path);
        ASSERT_GE(row, 0);
        t.grid().setRow(row);
        const int rowsBefore = t.grid().rowCount();

        t.f.program->treeCommands().PopUpSetAsTreeRoot_Click();

        if (c.root.isEmpty()) {
            EXPECT_EQ(t.messages(), QStringList{"Error! That object cannot be used as the tree root."});
            EXPECT_EQ(t.grid().rowCount(), rowsBefore);
            continue;
        }
        EXPECT_TRUE(t.messages().isEmpty()) << t.messages().join('|').toStdString();
        EXPECT_EQ(t.objectId(0), c.root);
        EXPECT_EQ(t.type(0), c.rootType);
        EXPECT_EQ(t.tree().TreeRootObjectID(), c.root);
        EXPECT_EQ(t.tree().TreeRootNodeType(), c.rootType);
        EXPECT_TRUE(t.holdsPlaceholder(t.row({"0"})));
    }
}

TEST_F(TreeCommandsTest, SetAsNewTreeRootOfAHandlerDeletedMeanwhileLeavesTheTree)
{
    const int row = t.row({"2"});
    t.grid().setRow(row);
    const QString supportId = t.handlerId("supportch");
    t.f.site.exec("DELETE FROM CallHandler WHERE Alias = 'supportch'");
    const int rowsBefore = t.grid().rowCount();
    t.f.program->treeCommands().PopUpSetAsTreeRoot_Click();
    EXPECT_EQ(t.messages(), QStringList{"Error!  Could not find object in database:" + supportId});
    EXPECT_EQ(t.grid().rowCount(), rowsBefore);
    EXPECT_EQ(t.objectId(0), t.handlerId("openinggreetingch"));
}

TEST_F(TreeCommandsTest, LoadNewTreeStartsAtThePickedSubscriberOrCallHandler)
{
    struct Case {
        const char* item;
        QString id;
        qint16 type;
        int paneTab;
        QStringList* page;
    };
    const Case cases[] = {
        {"SearchForSubscriber", ownHandlerId("gwhitfield"), Subscriber, 0, &subscriberPage.loaded},
        {"CreateNewCallHandler", t.handlerId("goodbyech"), CallHandler, 1, &handlerPage.loaded},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item);
        if (c.type == Subscriber)
            dialogs.pickSubscriber(c.id, "Grace Whitfield");
        else
            dialogs.pickCallHandler(c.id, "Goodbye");
        handlerPage.loaded.clear();
        subscriberPage.loaded.clear();
        treeOrList->setCurrentIndex(1);

        trigger(c.item);

        EXPECT_EQ(t.objectId(0), c.id);
        EXPECT_EQ(t.type(0), c.type);
        EXPECT_EQ(t.tree().TreeRootObjectID(), c.id);
        EXPECT_EQ(t.grid().row(), 0);
        EXPECT_EQ(treeOrList->currentIndex(), 0);
        EXPECT_EQ(pane->currentIndex(), c.paneTab);
        EXPECT_EQ(c.page->value(0), c.id);
    }
    EXPECT_EQ(dialogs.shown, QStringList({"frmSubscriberSearch", "frmMakeNewCallHandler"}));
    EXPECT_EQ(dialogs.tabs, std::vector{DialogOperations::GetCallHandlerTab::AsTheDialogHasIt});
    EXPECT_TRUE(t.messages().isEmpty()) << t.messages().join('|').toStdString();
}

TEST_F(TreeCommandsTest, LoadNewTreeCancelledOrWithAnUnknownIdLeavesTheTree)
{
    const QString unknown = "{00000000-0000-0000-0000-00000000BEEF}";
    struct Case {
        const char* item;
        bool cancel;
        QStringList messages;
    };
    const Case cases[] = {
        {"SearchForSubscriber", true, {}},
        {"CreateNewCallHandler", true, {}},
        {"SearchForSubscriber", false, {"Error, could not find subscirber handler:" + unknown}},
        {"CreateNewCallHandler",
         false,
         {"Error in CreateNewCallHandler_Click: Unable to find call handler by object ID=" + unknown}},
    };
    const int rowsBefore = t.grid().rowCount();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item);
        t.messages().clear();
        const bool search = QLatin1String(c.item) == QLatin1String("SearchForSubscriber");
        if (c.cancel)
            search ? dialogs.cancelSubscriberSearch() : dialogs.cancelCallHandler();
        else
            search ? dialogs.pickSubscriber(unknown) : dialogs.pickCallHandler(unknown);
        trigger(c.item);
        EXPECT_EQ(t.messages(), c.messages);
        EXPECT_EQ(t.grid().rowCount(), rowsBefore);
        EXPECT_EQ(t.objectId(0), t.handlerId("openinggreetingch"));
        EXPECT_EQ(t.tree().TreeRootObjectID(), t.handlerId("openinggreetingch"));
    }
}

TEST_F(TreeCommandsTest, ACallHandlerCreatedInTheDialogBecomesTheRootAndIsListed)
{
    auto* kinds = t.f.control<QComboBox>("cmbShowObjectType");
    kinds->setCurrentIndex(0);
    const QString newId = "{0000AAAA-1111-2222-3333-444455556666}";
    dialogs.whileShown = [&] {
        t.f.site.execute("INSERT INTO CallHandler (CallHandlerObjectID, Alias, TextName, IsPrimary) VALUES (?, 'aaa_new', "
                         "'A New Handler', 0)",
                         {newId});
    };
    dialogs.pickCallHandler(newId, "A New Handler");
    trigger("CreateNewCallHandler");
    EXPECT_EQ(t.objectId(0), newId);
    EXPECT_EQ(t.text(0), "A New Handler");
    EXPECT_EQ(t.f.control<BoundGrid>("gridObjects")->rows().cell(0, 1).toText(), "aaa_new");
}

// Every command that builds the tree anew leaves its root row current and selected, as start-up
// does, wherever the focus was when it ran: the row shows the selection bar and a screen reader
// hears it selected, not only focused. The commands of the object list hand the focus from the
// list to the tree as they bring the tree to the front.
TEST_F(TreeCommandsTest, EveryRebuildLeavesTheRootRowCurrentAndSelected)
{
    t.f.window->show();
    t.f.window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(t.f.window));
    auto* view = t.f.control<OutlineGridView>("ATTree");
    auto* kinds = t.f.control<QComboBox>("cmbShowObjectType");
    auto* list = t.f.control<BoundGrid>("gridObjects");
    auto* references = t.f.control<BoundGrid>("gridCallHandlerReferences");
    // Queued work (the view following the grid's row) runs, and what it queues in turn.
    const auto settle = [] {
        QApplication::processEvents();
        QApplication::processEvents();
    };
    const auto centreOfEntry = [&](BoundGrid* grid, int row) { return grid->visualRect(grid->rows().index(row, 1)).center(); };
    const auto listEntry = [&](int kind, const QString& alias) {
        treeOrList->setCurrentIndex(1);
        kinds->setCurrentIndex(kind);
        settle();
        const BoundGridModel& rows = list->rows();
        for (int r = 0; r < rows.rowCount(); ++r)
            if (rows.cell(r, 1).textOrEmpty() == alias) {
                QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, centreOfEntry(list, r));
                return r;
            }
        ADD_FAILURE() << "not listed: " << alias.toStdString();
        return 0;
    };
    const auto choose = [&](const char* item) {
        settle();
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QAction* action = t.f.control<QAction>(item);
        ASSERT_TRUE(menu && menu->actions().contains(action)) << item;
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
    };
    const auto treeRowInFront = [&](const QStringList& path) {
        treeOrList->setCurrentIndex(0);
        settle();
        view->setFocus(Qt::MouseFocusReason);
        t.grid().setRow(t.row(path));
        settle();
    };
    const auto doubleClickInList = [&](int kind, const QString& alias) {
        const int r = listEntry(kind, alias);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, centreOfEntry(list, r));
    };
    const auto setAsRootFromList = [&](int kind, const QString& alias, const char* item) {
        const int r = listEntry(kind, alias);
        QTest::mouseClick(list->viewport(), Qt::RightButton, {}, centreOfEntry(list, r));
        choose(item);
    };
    const QString support = t.handlerId("supportch");
    const QString whitfield = ownHandlerId("gwhitfield");
    const QString sales = t.handlerId("salesch");
    const QString opening = t.handlerId("openinggreetingch");
    QString referring; // the handler whose reference is double-clicked

    struct Case {
        const char* command;
        std::function<void()> run;
        const QString& root;
    };
    const Case cases[] = {
        {"double click in Call Handlers", [&] { doubleClickInList(0, "supportch"); }, support},
        {"double click in Subscribers", [&] { doubleClickInList(1, "gwhitfield"); }, whitfield},
        {"the handler list's Set as New Tree Root", [&] { setAsRootFromList(0, "supportch", "gridHandlerSetAsNewTreeRoot"); },
         support},
        {"the subscriber list's Set as New Tree Root",
         [&] { setAsRootFromList(1, "gwhitfield", "gridSubscriberSetAsNewTreeRoot"); }, whitfield},
        {"Expand all after a re-root from the list",
         [&] {
             doubleClickInList(0, "supportch");
             settle();
             trigger("ExpandAllNodes");
         },
         support},
        {"Collapse all after a re-root from the list",
         [&] {
             doubleClickInList(1, "gwhitfield");
             settle();
             trigger("CollapseNodes");
         },
         whitfield},
        {"the tree's Set As New Tree Root",
         [&] {
             treeRowInFront({"0"});
             const QRect row = view->gridRowRect(t.row({"1"}));
             QTest::mouseClick(view->viewport(), Qt::RightButton, {}, row.center());
             choose("PopUpSetAsTreeRoot");
         },
         sales},
        {"a double click on a reference",
         [&] {
             treeRowInFront({"0"});
             ASSERT_GT(references->rows().rowCount(), 0);
             QTest::mouseClick(references->viewport(), Qt::LeftButton, {}, centreOfEntry(references, 0));
             referring = references->currentValue("CallHandlerObjectID").textOrEmpty();
             QTest::mouseDClick(references->viewport(), Qt::LeftButton, {}, centreOfEntry(references, 0));
         },
         referring},
        {"a display option, switched off and on again",
         [&] {
             treeRowInFront({"1"});
             trigger("ShowIgnoreKey");
             trigger("ShowIgnoreKey");
         },
         opening},
        {"Refresh database",
         [&] {
             treeRowInFront({"2"});
             trigger("RefreshDatabase");
         },
         opening},
        {"Load new tree by the subscriber search from the list",
         [&] {
             listEntry(0, "goodbyech");
             dialogs.pickSubscriber(whitfield, "Grace Whitfield");
             trigger("SearchForSubscriber");
         },
         whitfield},
        {"Load new tree with a call handler from the list",
         [&] {
             listEntry(1, "fhaddad");
             dialogs.pickCallHandler(support, "Support");
             trigger("CreateNewCallHandler");
         },
         support},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        // From the opening greeting's tree with another row current.
        t.tree().setTreeRoot(opening, CallHandler);
        t.rebuild();
        treeRowInFront({"3"});

        c.run();
        settle();

        EXPECT_EQ(t.objectId(0), c.root);
        EXPECT_EQ(treeOrList->currentIndex(), 0);
        EXPECT_EQ(t.grid().row(), 0);
        const QModelIndex root = view->gridModel().indexForRow(0);
        EXPECT_EQ(view->currentIndex().siblingAtColumn(0), root);
        EXPECT_TRUE(view->selectionModel()->isRowSelected(0, QModelIndex()));
        EXPECT_EQ(view->selectionModel()->selectedRows().size(), 1);
        QAccessibleInterface* tree = QAccessible::queryAccessibleInterface(view);
        ASSERT_TRUE(tree && tree->tableInterface());
        EXPECT_EQ(tree->tableInterface()->selectedRows(), QList<int>{0});
        QAccessibleInterface* cell = tree->tableInterface()->cellAt(0, 0);
        ASSERT_TRUE(cell);
        EXPECT_TRUE(cell->state().selected);
    }
    EXPECT_TRUE(t.messages().isEmpty()) << t.messages().join('|').toStdString();
}

TEST(TreeCommandsWithoutDialogs, LoadNewTreeDoesNothing)
{
    TreeFixture t;
    ASSERT_TRUE(t.load());
    const int rows = t.grid().rowCount();
    t.f.control<QAction>("SearchForSubscriber")->trigger();
    t.f.control<QAction>("CreateNewCallHandler")->trigger();
    EXPECT_EQ(t.grid().rowCount(), rows);
    EXPECT_TRUE(t.messages().isEmpty());
}

TEST(TreeCommandsMenus, TheItemsAreWhereTheAdministratorLooksForThem)
{
    TreeFixture t;
    auto* options = t.f.control<QMenu>("Options");
    QStringList captions;
    for (QAction* a : options->actions())
        captions << (a->isSeparator() ? QStringLiteral("-") : a->text());
    EXPECT_EQ(captions.mid(5), QStringList({"-", "Expand all nodes", "Collapse all nodes"}));
    EXPECT_EQ(t.f.control<QAction>("RefreshDatabase")->shortcut(), QKeySequence(Qt::Key_F2));
    auto* startWith = t.f.control<QMenu>("StartTreeWith");
    EXPECT_EQ(startWith->title(), "&Load new tree starting with...");
    EXPECT_EQ(startWith->actions(),
              QList<QAction*>({t.f.control<QAction>("SearchForSubscriber"), t.f.control<QAction>("CreateNewCallHandler")}));
}

} // namespace
