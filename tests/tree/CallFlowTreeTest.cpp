#include "data/ChangeLog.h"
#include "server/SiteWriter.h"
#include "tree/TreeFixture.h"

#include <optional>

namespace {

using namespace TreeNodeType;

struct ExpectedRow {
    const char* alias;
    const char* text;
    qint16 type;
    const char* picture;
    bool placeholder;
};

TEST(CallFlowTree, StartUpShowsTheOpeningGreetingWithItsFirstLevelClosedOverPlaceholders)
{
    TreeFixture t;
    ASSERT_TRUE(t.load());
    EXPECT_TRUE(t.messages().isEmpty()) << t.messages().join('|').toStdString();
    OutlineGrid& g = t.grid();
    const QString opening = t.handlerId("openinggreetingch");

    EXPECT_EQ(t.text(0), "Opening Greeting");
    EXPECT_EQ(t.type(0), CallHandler);
    EXPECT_EQ(t.picture(0), "Handler");
    EXPECT_EQ(t.objectId(0), opening);
    EXPECT_EQ(g.outlineLevel(0), 0);
    EXPECT_FALSE(g.isCollapsed(0));
    EXPECT_EQ(g.rowHeight(0), 270);
    EXPECT_TRUE(g.cellText(0, TreeColumn::ChildAlias).isEmpty());
    EXPECT_TRUE(g.cellData(0, TreeColumn::Action).isEmpty());
    EXPECT_EQ(t.tree().TreeRootObjectID(), opening);
    EXPECT_EQ(t.tree().TreeRootNodeType(), CallHandler);

    const ExpectedRow rows[] = {
        {"0", "0: Operator - Ext:110 - (Ring Phone)", CallHandler, "Handler", true},
        {"1", "1: Sales - Ext:120 - (Greeting)", CallHandler, "Handler", true},
        {"2", "2: Support - Ext:130 - (Greeting)", CallHandler, "Handler", true},
        {"3", "3: Customer Feedback - Ext:300", Interviewer, "Interviewer", false},
        {"4", "4: Company Directory - Ext:400", DirectoryHandler, "AlphaDirectory", false},
        {"5", "5: Farid Haddad - Ext:2006 - (Ring Phone)", Subscriber, "Subscriber", true},
        {"6", "6: Ignore Key", Leaf, "Leaf", false},
        {"7", "7: Ignore Key", Leaf, "Leaf", false},
        {"8", "8: Route to Greetings Administrator", Leaf, "Leaf", false},
        {"9", "9: Goodbye - Ext:190 - (Greeting)", CallHandler, "Handler", true},
        {"*", "*: Route to Subscriber Sign In", Leaf, "Leaf", false},
        {"#", "#: Skip Greeting", Leaf, "Leaf", false},
        {"AM", "AM: Hang Up", Leaf, "Leaf", false},
    };
    int r = 1;
    for (const ExpectedRow& e : rows) {
        SCOPED_TRACE(e.alias);
        ASSERT_LT(r, g.rowCount());
        EXPECT_EQ(g.cellText(r, TreeColumn::ChildAlias), e.alias);
        EXPECT_EQ(t.text(r), e.text);
        EXPECT_EQ(t.type(r), e.type);
        EXPECT_EQ(t.picture(r), e.picture);
        EXPECT_EQ(g.outlineLevel(r), 1);
        EXPECT_EQ(g.rowHeight(r), 270);
        EXPECT_TRUE(g.isNode(r));
        EXPECT_TRUE(g.isCollapsed(r));
        EXPECT_EQ(t.holdsPlaceholder(r), e.placeholder);
        if (e.placeholder) {
            EXPECT_EQ(g.outlineLevel(r + 1), 2);
            EXPECT_TRUE(g.isNode(r + 1));
            for (int c = 0; c < g.colCount(); ++c)
                EXPECT_TRUE(g.cellText(r + 1, c).isEmpty() && g.cellData(r + 1, c).isEmpty() && g.cellPicture(r + 1, c).isEmpty());
            EXPECT_EQ(g.childCount(r), 1);
        } else {
            EXPECT_EQ(g.childCount(r), 0);
        }
        r = g.subtreeEnd(r);
    }
    EXPECT_EQ(r, g.rowCount());
    EXPECT_EQ(g.row(), 0);
    EXPECT_TRUE(g.redraw());
    EXPECT_EQ(t.state().cache.rsCallHandler.field("CallHandlerObjectID").toText(), opening);

    // The grid's columns, found by key, all but the first hidden.
    const std::pair<const char*, int> columns[] = {{"Main", 1365},     {"Conversation", 960}, {"Action", 960},
                                                   {"ObjectID", 1605}, {"NodeType", 960},     {"ChildAlias", 960}};
    ASSERT_EQ(g.colCount(), 6);
    for (int c = 0; c < 6; ++c) {
        EXPECT_EQ(g.colKey(c), columns[c].first);
        EXPECT_EQ(g.colWidth(c), columns[c].second);
        EXPECT_EQ(g.colHidden(c), c != 0);
    }
}

// One key of the root pointed at each kind of destination: what its row shows.
TEST(CallFlowTree, EachKindOfLinkGetsItsRowTypePictureAndCells)
{
    TreeFixture t;
    t.f.site.exec("DELETE FROM Subscriber WHERE Alias = 'jpetrov'");
    ASSERT_TRUE(t.load());
    const Variant null = Variant::null();
    const QString missing = "{0BADBEEF-0000-0000-0000-000000000000}";
    const QString directory =
        t.f.site.scalar("SELECT NameLookupHandlerObjectID FROM NameLookupHandler WHERE Alias = 'companydirectory'").toText();
    const QString interview =
        t.f.site.scalar("SELECT InterviewHandlerObjectID FROM InterviewHandler WHERE Alias = 'customerfeedback'").toText();
    const QString sales = t.handlerId("salesch"), opening = t.handlerId("openinggreetingch");
    const QString alice = t.handlerId("amoreno_ch"), jonas = t.handlerId("jpetrov_ch");
    const QString badConversation = "Error ExpandRow - Bad destionation conversation name";

    struct Case {
        Variant action, conversation;
        QString destination;
        QString text;
        qint16 type;
        QString picture;
        int actionCell;
        QString objectId, conversationCell;
        QString message;
    };
    const Case cases[] = {
        {0, null, {}, "6: Ignore Key", Leaf, "Leaf", 0, {}, {}, {}},
        {1, null, {}, "6: Hang Up", Leaf, "Leaf", 1, {}, {}, {}},
        {4, null, {}, "6: Take Message", Leaf, "Leaf", 4, {}, {}, {}},
        {5, null, {}, "6: Skip Greeting", Leaf, "Leaf", 5, {}, {}, {}},
        {2, "SubSignIn", {}, "6: Route to Subscriber Sign In", Leaf, "Leaf", 2, {}, "SubSignIn", {}},
        {2, "GreetingsAdministrator", {}, "6: Route to Greetings Administrator", Leaf, "Leaf", 2, {}, "GreetingsAdministrator", {}},
        {2, "AD", directory, "6: Company Directory - Ext:400", DirectoryHandler, "AlphaDirectory", 2, directory, "AD", {}},
        {2, "AD", missing, "6: Invalid Link!", InvalidLink, "InvalidLink", 99, {}, {}, {}},
        {2,
         "CHInterview",
         interview.toLower(),
         "6: Customer Feedback - Ext:300",
         Interviewer,
         "Interviewer",
         2,
         interview.toLower(),
         "CHInterview",
         {}},
        {2, "CHInterview", missing, "6: Invalid Link!", InvalidLink, "InvalidLink", 99, {}, {}, {}},
        {2, "PHGreeting", sales, "6: Sales - Ext:120 - (Greeting)", CallHandler, "Handler", 2, sales, "PHGreeting", {}},
        {2, "PHTransfer", sales, "6: Sales - Ext:120 - (Ring Phone)", CallHandler, "Handler", 2, sales, "PHTransfer", {}},
        {2, "PHTransfer", alice, "6: Alice Moreno - Ext:2001 - (Ring Phone)", Subscriber, "Subscriber", 2, alice, "PHTransfer", {}},
        {2, "PHGreeting", missing, "6: Invalid Link!", InvalidLink, "InvalidLink", 99, {}, {}, {}},
        {2, "PHGreeting", null.textOrEmpty(), "6: Invalid Link!", InvalidLink, "InvalidLink", 99, {}, {}, {}},
        // a subscriber's own handler whose subscriber is gone
        {2, "PHTransfer", jonas, "6: Invalid Link!", InvalidLink, "InvalidLink", 99, {}, {}, {}},
        // the root itself: already on the path, so a duplicate that never opens
        {2,
         "PHGreeting",
         opening,
         "6: Opening Greeting - Ext:(empty) - (Greeting)",
         DuplicateHandler,
         "Duplicate",
         2,
         opening,
         "PHGreeting",
         {}},
        {2, "Bogus", sales, "6: ", Leaf, "Leaf", 2, {}, "Bogus", badConversation},
        {2, "phgreeting", sales, "6: ", Leaf, "Leaf", 2, {}, "phgreeting", badConversation},
        {2, null, sales, "6: ", Leaf, "Leaf", 2, {}, {}, badConversation},
        // a link without an action is marked, not guessed
        {null, "PHGreeting", sales, "6: Invalid Link!", InvalidLink, "InvalidLink", 99, {}, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.toStdString() + " / " + c.conversation.textOrEmpty().toStdString());
        t.setKey("openinggreetingch", "6", c.action, c.conversation, c.destination.isEmpty() ? null : Variant(c.destination));
        t.messages().clear();
        t.rebuild();
        const int r = t.row({"6"});
        ASSERT_GT(r, 0);
        EXPECT_EQ(t.text(r), c.text);
        EXPECT_EQ(t.type(r), c.type);
        EXPECT_EQ(t.picture(r), c.picture);
        EXPECT_EQ(t.grid().cellData(r, TreeColumn::Action).toInt16(), c.actionCell);
        EXPECT_EQ(t.objectId(r), c.objectId);
        EXPECT_EQ(t.grid().cellText(r, TreeColumn::Conversation), c.conversationCell);
        EXPECT_EQ(t.holdsPlaceholder(r), c.type == CallHandler || c.type == Subscriber);
        EXPECT_EQ(t.messages(), c.message.isEmpty() ? QStringList() : QStringList{c.message});
        EXPECT_EQ(t.childAliases(0).size(), 13) << "the other links keep their rows";
    }
}

TEST(CallFlowTree, AnActionOutsideTheKnownCodesEndsTheHandlersRowsThere)
{
    for (const int action : {3, -1, 6, 70000}) {
        SCOPED_TRACE(action);
        TreeFixture t;
        t.setKey("openinggreetingch", "6", action, Variant::null(), Variant::null());
        ASSERT_TRUE(t.load());
        EXPECT_EQ(t.messages(), QStringList{"Error in ExpandRow function - bad action value passed in"});
        EXPECT_EQ(t.childAliases(0), QStringList({"0", "1", "2", "3", "4", "5"}));
        EXPECT_TRUE(t.grid().redraw());
        EXPECT_EQ(t.grid().row(), 0);
        // the rows that are there still open
        const int sales = t.open({"1"});
        EXPECT_EQ(t.childAliases(sales).size(), 13);
    }
}

TEST(CallFlowTree, DisplayOptionsDecideWhichLinksGetRows)
{
    struct Case {
        bool ignoreKey, noLeafs, afterMessage, afterGreeting;
        QStringList aliases;
    };
    // Keys 0-2 and 9 lead to handlers, 5 to a subscriber, 3 and 4 to an interview and a directory
    // handler; 6 is ignored, 7 an invalid directory link, 8 an invalid handler link.
    const QStringList keys = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "*", "#"};
    const QStringList greetings = {"STD", "OFF", "ALT", "INT", "BSY", "ERR"};
    const Case cases[] = {
        {true, false, true, false, keys + QStringList{"AM"}},
        {false, false, true, false, {"0", "1", "2", "3", "4", "5", "7", "8", "9", "*", "#", "AM"}},
        {true, false, false, false, keys},
        {true, false, true, true, keys + greetings + QStringList{"AM"}},
        {true, true, true, false, {"0", "1", "2", "5", "8", "9"}},
        {false, true, false, true, {"0", "1", "2", "5", "8", "9", "STD", "ERR"}},
    };
    TreeFixture t;
    t.setKey("openinggreetingch", "7", 2, "AD", "{0BADBEEF-0000-0000-0000-000000000000}");
    t.setKey("openinggreetingch", "8", 2, "PHTransfer", "{0BADBEEF-0000-0000-0000-000000000001}");
    ASSERT_TRUE(t.load());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.aliases.join(' ').toStdString());
        t.option("ShowIgnoreKey")->setChecked(c.ignoreKey);
        t.option("ShowNoLeafs")->setChecked(c.noLeafs);
        t.option("ShowAfterMessageLinks")->setChecked(c.afterMessage);
        t.option("ShowAfterGreetingLinks")->setChecked(c.afterGreeting);
        t.rebuild();
        EXPECT_EQ(t.childAliases(0), c.aliases);
        EXPECT_EQ(t.type(t.row({"8"})), InvalidLink);
        if (c.afterGreeting) {
            // greetings come in their fixed order, not in the database's (Standard, Off Hours, Busy, ...)
            EXPECT_EQ(t.text(t.row({"STD"})), "STD: Operator - Ext:110 - (Ring Phone)");
            EXPECT_EQ(t.text(t.row({"ERR"})), "ERR: Operator - Ext:110 - (Ring Phone)");
            if (!c.noLeafs) {
                EXPECT_EQ(t.text(t.row({"ALT"})), "ALT: Hang Up");
            }
        }
        // the options hold for every row built later, not only the root's
        const int sales = t.open({"1"});
        EXPECT_EQ(t.childAliases(sales).contains("STD"), c.afterGreeting && !c.noLeafs); // sales' greetings take messages
        EXPECT_EQ(t.childAliases(sales).contains("AM"), c.afterMessage);
        EXPECT_EQ(t.childAliases(sales).contains("4"), c.ignoreKey && !c.noLeafs);
    }
    EXPECT_TRUE(t.messages().isEmpty()) << t.messages().join('|').toStdString();
}

TEST(CallFlowTree, OpeningARowBuildsItsLinksRightBelowItAndPutsTheCacheBack)
{
    TreeFixture t;
    ASSERT_TRUE(t.load());
    OutlineGrid& g = t.grid();
    RecordsetCache& cache = t.state().cache;
    const QString sales = t.handlerId("salesch");
    // The cache stands on another handler than the one opened, as after selecting a row.
    cache.rsCallHandler.moveFirst();
    cache.rsCallHandler.find("Alias", "goodbyech");
    g.setRow(t.row({"9"}));

    const int before = g.rowCount();
    const int salesRow = t.open({"1"});
    const QStringList aliases = t.childAliases(salesRow);
    EXPECT_EQ(aliases, QStringList({"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "*", "#", "AM"}));
    const std::pair<const char*, const char*> texts[] = {
        {"0", "0: Operator - Ext:110 - (Ring Phone)"},
        {"1", "1: Ben Carter - Ext:2002 - (Ring Phone)"},
        {"2", "2: Chloe Novak - Ext:2003 - (Ring Phone)"},
        {"3", "3: Isabel Ferreira - Ext:2009 - (Greeting)"},
        {"7", "7: Invalid Link!"},
        {"9", "9: Support - Ext:130 - (Greeting)"},
        {"AM", "AM: Goodbye - Ext:190 - (Greeting)"},
    };
    for (const auto& [alias, text] : texts)
        EXPECT_EQ(t.text(t.row({"1", alias})), text);
    // Each new row one level down, closed; handlers and subscribers over their placeholder.
    for (int r = salesRow + 1; r < g.subtreeEnd(salesRow); ++r) {
        EXPECT_TRUE(g.isCollapsed(r)) << r;
        EXPECT_EQ(g.outlineLevel(r), t.text(r).isEmpty() ? 3 : 2) << r;
    }
    EXPECT_EQ(g.rowCount(), before - 1 + 13 + 6); // the placeholder went; 13 links, 6 of them with placeholders
    EXPECT_EQ(t.text(g.subtreeEnd(salesRow)), "2: Support - Ext:130 - (Greeting)") << "the next sibling follows the new rows";
    EXPECT_EQ(g.row(), salesRow);
    EXPECT_TRUE(g.redraw());
    EXPECT_EQ(cache.rsCallHandler.field("Alias").toText(), "goodbyech");
    EXPECT_EQ(cache.rsMenuentry.recordCount(), 12);
    EXPECT_EQ(cache.rsMenuentry.field("ParentObjectID").toText(), sales);
    EXPECT_TRUE(t.messages().isEmpty()) << t.messages().join('|').toStdString();

    // A row opened once has no placeholder left: closing and opening it again builds nothing.
    EXPECT_FALSE(t.holdsPlaceholder(salesRow));
    // Opening a row that is not a call handler or subscriber is refused and changes nothing.
    const int rows = g.rowCount();
    t.tree().ExpandRow(static_cast<qint16>(t.row({"3"})));
    EXPECT_EQ(t.messages(), QStringList{"error!  Unknown node type passed to node builder routine:"});
    EXPECT_EQ(g.rowCount(), rows);
    EXPECT_TRUE(g.redraw());
}

// Making the opened row current runs the row change, which rereads the cache; when the site changed
// meanwhile the rows move, and the cache must still go back to its handler, not to whatever row
// now stands where it stood.
TEST(CallFlowTree, TheCacheGoesBackToItsHandlerAfterTheRowChangeRereadIt)
{
    TreeFixture t;
    ASSERT_TRUE(t.load());
    RecordsetCache& cache = t.state().cache;
    cache.rsCallHandler.moveFirst();
    cache.rsCallHandler.find("Alias", "operatorch");
    const auto bookmark = cache.rsCallHandler.bookmark();
    bool reread = false;
    QObject::connect(&t.grid(), &OutlineGrid::afterRowColChange, [&] {
        if (reread)
            return;
        reread = true;
        t.f.site.exec("DELETE FROM CallHandler WHERE Alias = 'amoreno_ch'");
        cache.RequeryAllRecordsets();
    });
    t.open({"1"});
    ASSERT_TRUE(reread);
    EXPECT_NE(cache.rsCallHandler.bookmark(), bookmark) << "the rows moved";
    EXPECT_EQ(cache.rsCallHandler.field("Alias").toText(), "operatorch");
    EXPECT_TRUE(t.messages().isEmpty()) << t.messages().join('|').toStdString();
}

TEST(CallFlowTree, CyclesEndInDuplicatesThatNeverOpen)
{
    TreeFixture t;
    // Sales and support lead to each other; support leads back to the root as well.
    t.setKey("supportch", "8", 2, "PHGreeting", t.handlerId("openinggreetingch"));
    // Farid's own handler rings Farid: a subscriber reached again below itself.
    t.setKey("fhaddad_ch", "1", 2, "PHTransfer", t.handlerId("fhaddad_ch"));
    // Links to a handler carry its object type, as the action popup reads it.
    t.f.site.exec("UPDATE MenuEntry SET DestinationObjectIDType = 3 WHERE ConversationName IN ('PHGreeting', 'PHTransfer')");
    ASSERT_TRUE(t.load());

    t.open({"1"});
    t.open({"1", "9"});
    const int salesAgain = t.row({"1", "9", "9"});
    EXPECT_EQ(t.text(salesAgain), "9: Sales - Ext:120 - (Greeting)");
    EXPECT_EQ(t.type(salesAgain), DuplicateHandler);
    EXPECT_EQ(t.picture(salesAgain), "Duplicate");
    EXPECT_FALSE(t.holdsPlaceholder(salesAgain));
    const int rootAgain = t.row({"1", "9", "8"});
    EXPECT_EQ(t.type(rootAgain), DuplicateHandler);
    EXPECT_EQ(t.objectId(rootAgain), t.handlerId("openinggreetingch"));
    // Opening support directly below the root is no duplicate: the test follows the path only.
    EXPECT_EQ(t.type(t.row({"2"})), CallHandler);

    t.open({"5"});
    const int faridAgain = t.row({"5", "1"});
    EXPECT_EQ(t.text(faridAgain), "1: Farid Haddad - Ext:2006 - (Ring Phone)");
    EXPECT_EQ(t.type(faridAgain), DuplicateSubscriber);
    EXPECT_EQ(t.picture(faridAgain), "Duplicate");
    EXPECT_FALSE(t.holdsPlaceholder(faridAgain));

    // Duplicates refuse to open.
    t.messages().clear();
    const int rows = t.grid().rowCount();
    t.tree().ExpandRow(static_cast<qint16>(faridAgain));
    EXPECT_EQ(t.messages(), QStringList{"error!  Unknown node type passed to node builder routine:"});
    EXPECT_EQ(t.grid().rowCount(), rows);
}

TEST(CallFlowTree, ASubscribersOwnHandlerIsTheSubscriberWhereverItIsReached)
{
    TreeFixture t;
    const QString farid = t.handlerId("fhaddad_ch");
    // Farid's handler rings the operator, whose key 3 leads to Farid's handler again.
    t.setKey("operatorch", "3", 2, "PHGreeting", farid);
    ASSERT_TRUE(t.load());
    t.open({"5"});
    t.open({"5", "0"});
    const int back = t.row({"5", "0", "3"});
    EXPECT_EQ(t.text(back), "3: Farid Haddad - Ext:2006 - (Greeting)");
    EXPECT_EQ(t.type(back), DuplicateSubscriber);

    // Started at Farid's own handler, the root is the subscriber whatever type the caller passes,
    // and the handler reached below it is that subscriber again.
    for (const qint16 passed : {CallHandler, DuplicateHandler, DuplicateSubscriber}) {
        t.grid().setRowCount(0);
        t.tree().AddNewNode(farid.toLower(), passed);
        EXPECT_EQ(t.text(0), "Farid Haddad");
        EXPECT_EQ(t.type(0), Subscriber);
        EXPECT_EQ(t.picture(0), "Subscriber");
        EXPECT_EQ(t.tree().TreeRootNodeType(), Subscriber);
        EXPECT_EQ(t.tree().TreeRootObjectID(), farid.toLower());
        EXPECT_EQ(t.text(t.row({"AM"})), "AM: Goodbye - Ext:190 - (Greeting)");
        t.open({"0"});
        EXPECT_EQ(t.type(t.row({"0", "3"})), DuplicateSubscriber);
    }
    EXPECT_TRUE(t.messages().isEmpty()) << t.messages().join('|').toStdString();
}

// Opens every row that holds its placeholder, depth first, as "Expand all nodes" walks the tree.
int expandEverything(TreeFixture& t, int limit = 100000)
{
    int opened = 0;
    for (int r = 1; r < t.grid().rowCount() - 1 && opened < limit; ++r) {
        if (t.holdsPlaceholder(r)) {
            t.open(r);
            ++opened;
        }
    }
    return opened;
}

TEST(CallFlowTree, OpeningEverythingEndsOnTheDemoSite)
{
    TreeFixture t;
    ASSERT_TRUE(t.load());
    t.option("ShowAfterGreetingLinks")->setChecked(true);
    t.rebuild();
    t.tree().setExpandAllInProgress(true);
    const int opened = expandEverything(t);
    t.tree().setExpandAllInProgress(false);
    EXPECT_GT(opened, 20);
    EXPECT_LT(t.grid().rowCount(), 5000);
    for (int r = 1; r < t.grid().rowCount(); ++r)
        ASSERT_FALSE(t.text(r).isEmpty()) << "a placeholder is left at row " << r;
    // The dangling links of the demo site show as invalid, its cycle as duplicates.
    int invalid = 0, duplicates = 0;
    for (int r = 1; r < t.grid().rowCount(); ++r) {
        invalid += t.type(r) == InvalidLink;
        duplicates += t.type(r) == DuplicateHandler || t.type(r) == DuplicateSubscriber;
    }
    EXPECT_GT(invalid, 0);
    EXPECT_GT(duplicates, 0);
    EXPECT_TRUE(t.messages().isEmpty()) << t.messages().join('|').toStdString();
}

TEST(CallFlowTree, AMissingMenuEntryIsLoggedAndSkipped)
{
    TreeFixture t;
    t.f.site.exec("DELETE FROM MenuEntry WHERE Alias IN ('7', '#') AND ParentObjectID = (SELECT CallHandlerObjectID FROM "
                  "CallHandler WHERE Alias = 'openinggreetingch')");
    ASSERT_TRUE(t.load());
    EXPECT_EQ(t.childAliases(0), QStringList({"0", "1", "2", "3", "4", "5", "6", "8", "9", "*", "AM"}));
    EXPECT_TRUE(t.messages().isEmpty());
    const QDateTime now = t.f.clock.now();
    const QString skipping = "     Skipping this menu entry and moving to the next.  Please contact Pellworth Labs support";
    const QString missing = "(error) Could not find menu entry referenced in database.  Missing menu#: ";
    const QString expected = ChangeLogLine(now, missing + "7") + "\r\n" + ChangeLogLine(now, skipping) + "\r\n"
                             + ChangeLogLine(now, missing + "11") + "\r\n" + ChangeLogLine(now, skipping) + "\r\n";
    EXPECT_TRUE(t.changeLog().contains(expected)) << t.changeLog().toStdString();
}

TEST(CallFlowTree, AHandlerWithoutGreetingsSaysSoOncePerGreeting)
{
    TreeFixture t;
    t.f.site.exec("DELETE FROM MessagingRule WHERE ParentObjectID = (SELECT CallHandlerObjectID FROM CallHandler WHERE Alias = "
                  "'openinggreetingch')");
    t.f.site.exec("DELETE FROM MessagingRule WHERE Alias = 'Busy' AND ParentObjectID = (SELECT CallHandlerObjectID FROM "
                  "CallHandler WHERE Alias = 'salesch')");
    ASSERT_TRUE(t.load());
    t.option("ShowAfterGreetingLinks")->setChecked(true);
    t.rebuild();
    const QString noRules = "Could not find any messaging rules for the selected call handler!  Contact QSD for help.";
    // The pane, showing the root each time it is selected, misses each greeting as well.
    const QStringList paneMisses(6, "Error in LoadTabInfo, could not find messaging rule");
    EXPECT_EQ(t.messages(), paneMisses + QStringList(6, noRules) + paneMisses);
    EXPECT_EQ(t.childAliases(0).size(), 13);
    EXPECT_FALSE(t.childAliases(0).contains("STD"));
    // A single missing greeting just has no row.
    t.messages().clear();
    const int sales = t.open({"1"});
    EXPECT_EQ(t.childAliases(sales).mid(12), QStringList({"STD", "OFF", "ALT", "INT", "ERR", "AM"}));
    EXPECT_EQ(t.messages(), paneMisses.mid(0, 1)) << "only the pane, showing the handler, misses it";
}

TEST(CallFlowTree, NullLinkColumnsNeverStopTheTree)
{
    TreeFixture t;
    const Variant null = Variant::null();
    t.setKey("openinggreetingch", "6", null, null, null);
    t.setKey("openinggreetingch", "7", 2, "PHTransfer", null);
    t.setKey("openinggreetingch", "8", 2, "AD", null);
    t.f.site.exec("UPDATE CallHandler SET AfterMessageAction = NULL, AfterMessageConversation = NULL, AfterMessageObjectID = NULL "
                  "WHERE Alias = 'openinggreetingch'");
    t.f.site.exec("UPDATE CallHandler SET TextName = NULL WHERE Alias = 'salesch'");
    t.f.site.exec("UPDATE InterviewHandler SET TextName = NULL WHERE Alias = 'customerfeedback'");
    t.f.site.exec("UPDATE CallHandler SET RecipientObjectID = NULL WHERE Alias = 'fhaddad_ch'");
    t.f.site.exec("UPDATE CallHandler SET AfterMessageAction = 2, AfterMessageConversation = 'PHGreeting', "
                  "AfterMessageObjectID = NULL WHERE Alias = 'supportch'");
    t.f.site.exec(
        "DELETE FROM DTMFAccessID WHERE ParentObjectID = (SELECT CallHandlerObjectID FROM CallHandler WHERE Alias = 'operatorch')");
    t.f.site.exec("UPDATE MessagingRule SET Action = NULL WHERE Alias = 'Standard' AND ParentObjectID = "
                  "(SELECT CallHandlerObjectID FROM CallHandler WHERE Alias = 'openinggreetingch')");
    ASSERT_TRUE(t.load());
    t.option("ShowAfterGreetingLinks")->setChecked(true);
    t.rebuild();
    EXPECT_TRUE(t.messages().isEmpty()) << t.messages().join('|').toStdString();
    EXPECT_EQ(t.text(t.row({"0"})), "0: Operator - Ext:(empty) - (Ring Phone)");
    EXPECT_EQ(t.text(t.row({"1"})), "1:  - (Greeting)") << "a Null name leaves the name out";
    EXPECT_EQ(t.type(t.row({"1"})), CallHandler);
    EXPECT_EQ(t.text(t.row({"3"})), "3: ");
    EXPECT_EQ(t.type(t.row({"3"})), Interviewer);
    for (const char* alias : {"5", "6", "7", "8", "STD", "AM"}) {
        EXPECT_EQ(t.type(t.row({alias})), InvalidLink) << alias;
        EXPECT_EQ(t.text(t.row({alias})), QString(alias) + ": Invalid Link!");
    }
    t.open({"1"});
    EXPECT_EQ(t.text(t.row({"1", "AM"})), "AM: Goodbye - Ext:190 - (Greeting)");
    t.open({"2"});
    EXPECT_EQ(t.type(t.row({"2", "AM"})), InvalidLink);
    EXPECT_TRUE(t.messages().isEmpty()) << t.messages().join('|').toStdString();
}

TEST(CallFlowTree, ARowWhoseObjectIsGoneOpensToAMessage)
{
    TreeFixture t;
    ASSERT_TRUE(t.load());
    const QString sales = t.handlerId("salesch");
    t.f.site.exec("DELETE FROM CallHandler WHERE Alias = 'salesch'");
    t.state().cache.RequeryAllRecordsets();
    const int rows = t.grid().rowCount();
    const int salesRow = t.open({"1"});
    EXPECT_EQ(t.messages(), QStringList({"Error, could not find handler in database:" + sales,
                                         "Error in LoadTabInfo. could not find handler reference:" + sales}));
    EXPECT_EQ(t.grid().rowCount(), rows - 1);
    EXPECT_EQ(t.grid().row(), salesRow);
    EXPECT_TRUE(t.grid().redraw());
}

// The root's expansion runs inside the root's own build: the view is drawn once, with the first
// level shown and row 0 current, and the closing of new rows never reads as the user's.
TEST(CallFlowTree, ARebuildDrawsOnceWhenTheTreeIsComplete)
{
    TreeFixture t;
    ASSERT_TRUE(t.load());
    RedrawLog log(t.grid());
    t.rebuild();
    EXPECT_EQ(log.switches, QStringList({"off", "on at row 0"}));
    EXPECT_EQ(t.childAliases(0).size(), 13);
    EXPECT_TRUE(t.holdsPlaceholder(t.row({"1"})));
}

TEST(CallFlowTree, ARootThatCannotBeFoundAddsNothing)
{
    const QString missing = "{0BADBEEF-0000-0000-0000-000000000000}";
    struct Case {
        const char* sql;
        const char* handler; // null: an id that is nowhere
        QString message;
    };
    const Case cases[] = {
        {"SELECT 1", nullptr, "Could not find CallHandlerObjectID:" + missing},
        {"DELETE FROM Subscriber WHERE Alias = 'jpetrov'", "jpetrov_ch", "Could not find subsriber in database!"},
    };
    for (const Case& c : cases) {
        TreeFixture t;
        t.f.site.exec(c.sql);
        ASSERT_TRUE(t.load());
        t.grid().setRowCount(0);
        const QString rootBefore = t.tree().TreeRootObjectID();
        t.tree().AddNewNode(c.handler ? t.handlerId(c.handler) : missing, Subscriber);
        EXPECT_EQ(t.messages(), QStringList{c.message});
        EXPECT_EQ(t.grid().rowCount(), 0);
        EXPECT_TRUE(t.grid().redraw());
        EXPECT_EQ(t.tree().TreeRootObjectID(), rootBefore);
    }
}

TEST(CallFlowTree, ARootWithoutANameIsReportedAndStillBuilt)
{
    TreeFixture t;
    t.f.site.exec("UPDATE CallHandler SET TextName = NULL WHERE Alias = 'openinggreetingch'");
    ASSERT_TRUE(t.load());
    EXPECT_EQ(t.messages(), QStringList{"Error in AddNewNode:Invalid use of Null"});
    EXPECT_EQ(t.text(0), "");
    EXPECT_EQ(t.type(0), CallHandler);
    EXPECT_EQ(t.childAliases(0).size(), 13);
    EXPECT_TRUE(t.grid().redraw());
}

TEST(CallFlowTree, AnotherRootIsAppendedAfterTheRowsThatAreThere)
{
    TreeFixture t;
    ASSERT_TRUE(t.load());
    const int rows = t.grid().rowCount();
    t.tree().AddNewNode(t.handlerId("goodbyech"), CallHandler);
    EXPECT_EQ(t.text(rows), "Goodbye");
    EXPECT_EQ(t.grid().outlineLevel(rows), 0);
    EXPECT_EQ(t.tree().TreeRootObjectID(), t.handlerId("openinggreetingch"));
    EXPECT_EQ(t.grid().row(), 0);
}

// A site whose menus nest deep enough to pass the row limit when everything is opened.
TEST(CallFlowTreeLargeTest, TheRowLimitStopsAnExpansionAndIsToldOncePerOpeningOrWalk)
{
    TreeFixture t;
    LargeSiteSizes sizes;
    sizes.subscribers = 500;
    sizes.callHandlers = 2500;
    sizes.interviewHandlers = 5;
    sizes.directoryHandlers = 2;
    sizes.distributionLists = 0;
    QDir(t.f.site.rootPath()).removeRecursively();
    writeLargeSite(t.f.site.rootPath(), sizes);
    ASSERT_TRUE(t.load());
    OutlineGrid& g = t.grid();
    const QString full = CallFlowTree::rowLimitMessage();
    const QStringList links = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "*", "#", "AM"};

    // The user opens row after row until one expansion stops at the limit: the rows that fit are
    // there, in order.
    int stopped = -1;
    for (int r = 1; r < g.rowCount() - 1 && t.messages().isEmpty(); ++r) {
        if (t.holdsPlaceholder(r)) {
            t.open(r);
            stopped = r;
        }
    }
    ASSERT_EQ(t.messages(), QStringList{full});
    EXPECT_LE(g.rowCount(), OutlineGrid::MaxRows);
    EXPECT_GE(g.rowCount(), OutlineGrid::MaxRows - 1);
    const QStringList built = t.childAliases(stopped);
    EXPECT_EQ(built, links.mid(0, built.size()));
    EXPECT_LT(built.size(), links.size());
    EXPECT_EQ(g.row(), stopped);
    EXPECT_TRUE(g.redraw());

    // Each further opening by the user says so again.
    int next = stopped + 1;
    while (!t.holdsPlaceholder(next))
        ++next;
    t.open(next);
    EXPECT_EQ(t.messages(), QStringList(2, full));

    // A walk over the whole tree ("Expand all nodes") says it once.
    t.tree().setExpandAllInProgress(true);
    int opened = 0;
    for (int r = 1; r < g.rowCount() - 1; ++r) {
        if (t.holdsPlaceholder(r)) {
            t.open(r);
            ++opened;
        }
    }
    t.tree().setExpandAllInProgress(false);
    EXPECT_GT(opened, 10);
    EXPECT_EQ(t.messages(), QStringList(3, full));
    EXPECT_LE(g.rowCount(), OutlineGrid::MaxRows);
    // Every row is whole: no provisional text left, levels step down one at a time.
    for (int r = 1; r < g.rowCount(); ++r) {
        ASSERT_LE(g.outlineLevel(r), g.outlineLevel(r - 1) + 1) << r;
        ASSERT_NE(t.text(r), "temp") << r;
    }
}

} // namespace
