#include "tree/TreeFixture.h"
#include "widgets/OutlineGridView.h"

#include <QApplication>

namespace {

using namespace TreeNodeType;

const QString kMissing = "{0BADBEEF-0000-0000-0000-000000000000}";

// A key row's link set by the caller, the way the call-flow editors set it, then worded.
TEST(CallFlowTreeRowText, PopulateRowInfoWordsTheLinkItIsGiven)
{
    TreeFixture t;
    t.f.site.exec(
        "DELETE FROM DTMFAccessID WHERE ParentObjectID = (SELECT CallHandlerObjectID FROM CallHandler WHERE Alias = 'salesch')");
    ASSERT_TRUE(t.load());
    const QString sales = t.handlerId("salesch"), alice = t.handlerId("amoreno_ch");
    struct Case {
        qint16 type;
        QString objectId;
        qint16 action;
        QString conversation;
        QString text;
        QString picture;
        QString message;
    };
    const Case cases[] = {
        {Leaf, {}, 4, {}, "6: Take Message", "Leaf", {}},
        {Leaf, {}, 5, {}, "6: Skip Greeting", "Leaf", {}},
        {Leaf, {}, 0, "PHGreeting", "6: Ignore Key", "Leaf", {}},
        {Leaf, {}, 1, {}, "6: Hang Up", "Leaf", {}},
        {InvalidLink, {}, 99, {}, "6: Invalid Link!", "InvalidLink", {}},
        {Leaf, {}, 3, {}, "6: ", "Leaf", {}},
        {Leaf, {}, 2, "Elsewhere", "6: ", "Leaf", {}},
        {CallHandler, sales, 2, "PHTransfer", "6: Sales - Ext:(empty) - (Ring Phone)", "Handler", {}},
        {Subscriber, alice, 2, "PHGreeting", "6: Alice Moreno - Ext:2001 - (Greeting)", "Subscriber", {}},
        {DirectoryHandler, kMissing, 2, "AD", "6: ", "AlphaDirectory",
         "Error!  Could not find directory handler by ObjectID=" + kMissing},
        {Interviewer, kMissing, 2, "CHInterview", "6: ", "Interviewer",
         "Error! Could not find interviewer reference in database:" + kMissing},
        {CallHandler, kMissing, 2, "PHTransfer", "6:  - (Ring Phone)", "Handler",
         "Error in RefreshRow: could not find handler in database:" + kMissing},
        // a node type without a picture leaves the picture as it was
        {42, {}, 4, {}, "6: Take Message", "Leaf", {}},
    };
    RecordsetCache& cache = t.state().cache;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        const int r = t.row({"6"});
        t.grid().setCellText(r, TreeColumn::ObjectID, c.objectId);
        t.grid().setCellData(r, TreeColumn::NodeType, Variant(int(c.type)));
        t.messages().clear();
        cache.rsCallHandler.moveFirst();
        cache.rsCallHandler.find("Alias", "goodbyech");
        t.tree().PopulateRowInfo(static_cast<qint16>(r), c.action, c.conversation);
        EXPECT_EQ(t.text(r), c.text);
        EXPECT_EQ(t.type(r), c.type);
        EXPECT_EQ(t.picture(r), c.picture);
        EXPECT_EQ(t.grid().cellData(r, TreeColumn::Action).toInt16(), c.action);
        EXPECT_EQ(t.grid().cellText(r, TreeColumn::Conversation), c.conversation);
        EXPECT_EQ(t.messages(), c.message.isEmpty() ? QStringList() : QStringList{c.message});
        const bool opens = c.type == CallHandler || c.type == Subscriber;
        EXPECT_EQ(t.holdsPlaceholder(r), opens);
        EXPECT_EQ(t.grid().isCollapsed(r), true);
        EXPECT_EQ(cache.rsCallHandler.field("Alias").toText(), "goodbyech") << "rsCallHandler is put back";
        if (opens) {
            // back to a leaf: the placeholder goes
            t.grid().setCellData(r, TreeColumn::NodeType, Variant(0));
            t.tree().PopulateRowInfo(static_cast<qint16>(r), 4, QString());
            EXPECT_EQ(t.grid().childCount(r), 0);
        }
    }
}

TEST(CallFlowTreeRowText, PopulateRowInfoKeepsTheChildrenOfAnOpenedHandlerAndDropsThoseOfALeaf)
{
    TreeFixture t;
    ASSERT_TRUE(t.load());
    const int sales = t.open({"1"});
    const int rows = t.grid().rowCount();
    t.tree().PopulateRowInfo(static_cast<qint16>(sales), 2, "PHTransfer");
    EXPECT_EQ(t.text(sales), "1: Sales - Ext:120 - (Ring Phone)");
    EXPECT_EQ(t.grid().rowCount(), rows);
    EXPECT_EQ(t.childAliases(sales).size(), 13);

    t.grid().setCellData(sales, TreeColumn::NodeType, Variant(0));
    t.tree().PopulateRowInfo(static_cast<qint16>(sales), 4, QString());
    EXPECT_EQ(t.text(sales), "1: Take Message");
    EXPECT_EQ(t.picture(sales), "Leaf");
    EXPECT_EQ(t.grid().childCount(sales), 0);
    EXPECT_EQ(t.text(sales + 1), "2: Support - Ext:130 - (Greeting)");
    EXPECT_TRUE(t.messages().isEmpty());
}

TEST(CallFlowTreeRowText, RowsFollowANameOrExtensionChangedInTheDatabase)
{
    TreeFixture t;
    ASSERT_TRUE(t.load());
    OutlineGrid& g = t.grid();
    const QString sales = t.handlerId("salesch");
    t.open({"2"});      // support, whose key 9 leads to sales
    t.open({"1"});      // sales, whose key 9 leads to support
    t.open({"1", "9"}); // and back to sales, a duplicate
    t.f.site.exec("UPDATE CallHandler SET TextName = 'Sales & Service' WHERE Alias = 'salesch'");
    t.f.site.exec("UPDATE DTMFAccessID SET DTMFAccessID = '121' WHERE DTMFAccessID = '120'");
    t.f.site.exec("UPDATE CallHandler SET TextName = 'Main Menu' WHERE Alias = 'openinggreetingch'");
    t.state().cache.RequeryAllRecordsets();

    QStringList before;
    for (int r = 0; r < g.rowCount(); ++r)
        before << t.text(r);
    t.tree().UpdateAllInstancesOfOBjectInTree(sales.toLower());
    int changed = 0;
    for (int r = 0; r < g.rowCount(); ++r) {
        if (t.text(r) != before[r]) {
            ++changed;
            EXPECT_EQ(t.objectId(r), sales);
        }
    }
    EXPECT_EQ(changed, 3);
    EXPECT_EQ(t.text(t.row({"1"})), "1: Sales & Service - Ext:121 - (Greeting)");
    EXPECT_EQ(t.text(t.row({"2", "9"})), "9: Sales & Service - Ext:121 - (Greeting)");
    EXPECT_EQ(t.text(t.row({"1", "9", "9"})), "9: Sales & Service - Ext:121 - (Greeting)") << "duplicates too";
    EXPECT_EQ(t.text(0), "Opening Greeting") << "only the rows of that object";

    // An empty id names no object: leaves and placeholders carry none.
    t.tree().UpdateAllInstancesOfOBjectInTree(QString());
    EXPECT_EQ(t.text(t.row({"6"})), "6: Ignore Key");

    const int placeholders = [&] {
        int n = 0;
        for (int r = 1; r < g.rowCount(); ++r)
            n += t.text(r).isEmpty();
        return n;
    }();
    t.tree().RefreshAllRowText();
    EXPECT_EQ(t.text(0), "Main Menu") << "the root shows the bare name";
    int stillEmpty = 0;
    for (int r = 1; r < g.rowCount(); ++r)
        stillEmpty += t.text(r).isEmpty();
    EXPECT_EQ(stillEmpty, placeholders);
    t.open({"0"}); // rows closed over their placeholder still open
    EXPECT_EQ(t.childAliases(t.row({"0"})).size(), 13);
    EXPECT_TRUE(t.messages().isEmpty()) << t.messages().join('|').toStdString();
}

TEST(CallFlowTreeRowText, RedrawOfRowsWhoseObjectsAreGone)
{
    TreeFixture t;
    ASSERT_TRUE(t.load());
    const QString opening = t.handlerId("openinggreetingch"), farid = t.handlerId("fhaddad_ch");
    const QString faridSubscriber = t.subscriberId("fhaddad");
    RecordsetCache& cache = t.state().cache;

    // The subscriber row of Farid once his subscriber record is gone: named by the handler's owner, no box.
    t.f.site.exec("DELETE FROM Subscriber WHERE Alias = 'fhaddad'");
    cache.RequeryAllRecordsets();
    cache.rsCallHandler.moveFirst();
    cache.rsCallHandler.find("Alias", "salesch");
    t.tree().UpdateAllInstancesOfOBjectInTree(farid);
    EXPECT_EQ(t.text(t.row({"5"})),
              "5: Error in RefreshRow! can't find subscriber reference:" + faridSubscriber + " - (Ring Phone)");
    EXPECT_TRUE(t.messages().isEmpty());
    EXPECT_EQ(cache.rsCallHandler.field("Alias").toText(), "salesch");

    // The root's handler gone: the box, and an empty root.
    t.f.site.exec("DELETE FROM CallHandler WHERE Alias = 'openinggreetingch'");
    cache.RequeryAllRecordsets();
    t.tree().UpdateRowText(0);
    EXPECT_EQ(t.messages(), QStringList{"Error in RefreshRow: could not find handler in database:" + opening});
    EXPECT_EQ(t.text(0), "");
    EXPECT_EQ(cache.rsCallHandler.field("Alias").toText(), "salesch");
}

TEST(CallFlowTreeRowText, ASubscriberRootShowsTheDisplayName)
{
    TreeFixture t;
    ASSERT_TRUE(t.load());
    t.grid().setRowCount(0);
    t.tree().AddNewNode(t.handlerId("fhaddad_ch"), Subscriber);
    t.f.site.exec("UPDATE Subscriber SET DisplayName = 'Farid Haddad-Lee' WHERE Alias = 'fhaddad'");
    t.state().cache.RequeryAllRecordsets();
    t.tree().UpdateRowText(0);
    EXPECT_EQ(t.text(0), "Farid Haddad-Lee");
    EXPECT_EQ(t.grid().cellText(0, TreeColumn::Conversation), "") << "only the text changes";
    EXPECT_TRUE(t.messages().isEmpty());
}

TEST(CallFlowTreeRowText, AncestorTestFollowsThePathToTheRoot)
{
    TreeFixture t;
    ASSERT_TRUE(t.load());
    const QString opening = t.handlerId("openinggreetingch"), sales = t.handlerId("salesch");
    const QString support = t.handlerId("supportch");
    t.open({"1"});
    const int deep = t.row({"1", "9"}); // support below sales below the root
    const int sibling = t.row({"2"});
    struct Case {
        QString id;
        int row;
        bool expected;
    };
    const Case cases[] = {
        {opening, 0, true},
        {opening.toLower(), deep, true},
        {sales.toLower(), deep, true},
        {support, deep, true},
        {support, t.row({"1"}), false},
        {sales, sibling, false},
        {sales, t.grid().rowCount(), false},
        {sales, 32767, false},
        {opening, -1, false},
        {kMissing, deep, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(t.tree().bIsAncestor(c.id, static_cast<qint16>(c.row)), c.expected) << c.row << " " << c.id.toStdString();
    }
    EXPECT_TRUE(t.messages().isEmpty()) << "a row that does not exist is no error";
}

TEST(CallFlowTreeRowText, RemoveChildrenTakesWholeBranches)
{
    TreeFixture t;
    ASSERT_TRUE(t.load());
    OutlineGrid& g = t.grid();
    t.open({"1"});
    t.open({"1", "9"});
    const int leaf = t.row({"6"});
    const int rows = g.rowCount();
    t.tree().RemoveChildren(static_cast<qint16>(leaf));
    EXPECT_EQ(g.rowCount(), rows);

    const int sales = t.row({"1"});
    t.tree().RemoveChildren(static_cast<qint16>(sales));
    EXPECT_EQ(g.childCount(sales), 0);
    EXPECT_EQ(t.text(sales + 1), "2: Support - Ext:130 - (Greeting)");
    EXPECT_TRUE(t.messages().isEmpty());

    t.tree().RemoveChildren(0);
    EXPECT_EQ(g.rowCount(), 1);

    t.tree().RemoveChildren(5);
    EXPECT_EQ(t.messages(), QStringList{"Error in RemoveTreeBranch:Invalid property array index"});
}

TEST(CallFlowTreeRowText, OpenedRowsShowTheirChildrenOnScreen)
{
    TreeFixture t;
    ASSERT_TRUE(t.load());
    frmMain& w = *t.f.window;
    t.option("ShowAfterGreetingLinks")->setChecked(false);
    for (const char* key : {"5", "1"}) {
        const int r = t.open({key});
        t.grid().setCollapsed(r, false);
    }
    t.grid().setRow(0);
    w.show();
    w.Form_Resize();
    QApplication::processEvents();
    auto* view = t.f.control<OutlineGridView>("ATTree");
    // The second level is on screen: an opened row's first child has a place in the view, and
    // something is painted there.
    const QRect child = view->gridRowRect(t.row({"1", "0"}));
    ASSERT_FALSE(child.isEmpty());
    const QImage painted = view->viewport()->grab(child).toImage();
    bool drawn = false;
    for (int x = 0; x < painted.width() && !drawn; ++x)
        for (int y = 0; y < painted.height() && !drawn; ++y)
            drawn = painted.pixel(x, y) != painted.pixel(0, 0);
    EXPECT_TRUE(drawn) << "the row's text and picture are painted";
    EXPECT_TRUE(view->gridRowRect(t.row({"0"}) + 1).isEmpty()) << "a closed row's placeholder stays hidden";
    EXPECT_TRUE(t.messages().isEmpty());
}

} // namespace
