#include "widgets/OutlineGrid.h"

#include "runtime/RuntimeError.h"

#include <functional>
#include <gtest/gtest.h>
#include <random>
#include <utility>
#include <vector>

namespace {

// The columns of the call-flow tree.
QList<OutlineGrid::Column> treeColumns()
{
    return {{"Main", 1365, false},    {"Conversation", 960, true}, {"Action", 960, true},
            {"ObjectID", 1605, true}, {"NodeType", 960, true},     {"ChildAlias", 960, true}};
}

// Appends node rows given as (text, level).
void appendRows(OutlineGrid& grid, const std::vector<std::pair<QString, int>>& rows)
{
    for (const auto& [text, level] : rows) {
        const int r = grid.rowCount();
        ASSERT_TRUE(grid.insertRow(r, text));
        grid.setOutlineLevel(r, level);
        grid.setIsNode(r, true);
    }
}

QStringList texts(const OutlineGrid& grid)
{
    QStringList list;
    for (int r = 0; r < grid.rowCount(); ++r)
        list << grid.cellText(r, 0);
    return list;
}

int errorNumberOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const RuntimeError& e) {
        return e.number();
    }
    return 0;
}

class OutlineGridTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        grid.setColumns(treeColumns());
        // 0 root
        // 1   a
        // 2     a1
        // 3     a2
        // 4       a2x
        // 5   b
        // 6   c
        // 7     c1
        appendRows(grid, {{"root", 0}, {"a", 1}, {"a1", 2}, {"a2", 2}, {"a2x", 3}, {"b", 1}, {"c", 1}, {"c1", 2}});
    }

    OutlineGrid grid;
};

} // namespace

TEST_F(OutlineGridTest, ColumnKeysIgnoreLetterCase)
{
    EXPECT_EQ(grid.colIndex("ChildAlias"), 5);
    EXPECT_EQ(grid.colIndex("Childalias"), 5);
    EXPECT_EQ(grid.colIndex("OBJECTID"), 3);
    EXPECT_EQ(grid.colIndex("main"), 0);
    EXPECT_EQ(grid.colIndex("Alias"), -1);

    grid.setCellText(2, "childalias", "*");
    EXPECT_EQ(grid.cellText(2, "ChildAlias"), "*");
    EXPECT_EQ(grid.cellText(2, 5), "*");
    EXPECT_EQ(errorNumberOf([&] { grid.cellText(2, "Alias"); }), OutlineGrid::InvalidIndex);
    EXPECT_EQ(errorNumberOf([&] { grid.setCellData(2, "Alias", 1); }), OutlineGrid::InvalidIndex);
}

TEST_F(OutlineGridTest, TextDataAndPictureOfACellAreKeptApart)
{
    EXPECT_TRUE(grid.cellData(1, "NodeType").isEmpty()); // never written
    EXPECT_EQ(grid.cellData(1, "NodeType").toInt16(), 0);

    grid.setCellData(1, "NodeType", 98);
    grid.setCellText(1, "NodeType", "3");
    EXPECT_EQ(grid.cellData(1, "NodeType").toInt16(), 98);
    EXPECT_EQ(grid.cellText(1, "NodeType"), "3");

    grid.setCellText(1, "Action", "text only");
    EXPECT_TRUE(grid.cellData(1, "Action").isEmpty());
    grid.setCellData(1, "Action", Variant::null());
    EXPECT_TRUE(grid.cellData(1, "Action").isNull());
    EXPECT_EQ(grid.cellText(1, "Action"), "text only");

    grid.setCellPicture(1, "Main", "Handler");
    EXPECT_EQ(grid.cellPicture(1, "Main"), "Handler");
    EXPECT_EQ(grid.cellText(1, "Main"), "a");
    EXPECT_TRUE(grid.cellData(1, "Main").isEmpty());
}

TEST_F(OutlineGridTest, OutlineNavigationFollowsLevels)
{
    struct Case {
        int row, parent, firstChild, nextSibling, childCount, subtreeEnd;
    };
    const Case cases[] = {
        {0, -1, 1, -1, 3, 8}, {1, 0, 2, 5, 2, 5},  {2, 1, -1, 3, 0, 3}, {3, 1, 4, -1, 1, 5},
        {4, 3, -1, -1, 0, 5}, {5, 0, -1, 6, 0, 6}, {6, 0, 7, -1, 1, 8}, {7, 6, -1, -1, 0, 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.row);
        EXPECT_EQ(grid.parentRow(c.row), c.parent);
        EXPECT_EQ(grid.firstChildRow(c.row), c.firstChild);
        EXPECT_EQ(grid.nextSiblingRow(c.row), c.nextSibling);
        EXPECT_EQ(grid.childCount(c.row), c.childCount);
        EXPECT_EQ(grid.subtreeEnd(c.row), c.subtreeEnd);
    }
    EXPECT_EQ(errorNumberOf([&] { grid.parentRow(8); }), OutlineGrid::InvalidIndex);
}

TEST_F(OutlineGridTest, LevelsThatSkipStillGiveOneParentPerRow)
{
    // root(0) > x(2) and y(1) are both children of root; z(2) is y's child.
    OutlineGrid g;
    g.setColumns(treeColumns());
    appendRows(g, {{"root", 0}, {"x", 2}, {"y", 1}, {"z", 2}, {"top", 0}});
    EXPECT_EQ(g.parentRow(1), 0);
    EXPECT_EQ(g.parentRow(2), 0);
    EXPECT_EQ(g.nextSiblingRow(1), 2);
    EXPECT_EQ(g.childCount(0), 2);
    EXPECT_EQ(g.parentRow(3), 2);
    EXPECT_EQ(g.nextSiblingRow(2), -1);
    EXPECT_EQ(g.nextSiblingRow(0), 4);
    EXPECT_EQ(g.parentRow(4), -1);
}

TEST_F(OutlineGridTest, NodesWalkTheOutlineAndOnlyNodeRowsAreNodes)
{
    // The walk an export makes: every node in tree order with its depth.
    QStringList walked;
    std::function<void(OutlineGrid::Node)> walk = [&](OutlineGrid::Node node) {
        walked << QString(node.level() * 2, ' ') + node.text();
        OutlineGrid::Node child = node.firstChild();
        for (int i = node.childCount(); i > 0; --i) {
            walk(child);
            child = child.nextSibling();
        }
    };
    walk(grid.node(0));
    EXPECT_EQ(walked, QStringList({"root", "  a", "    a1", "    a2", "      a2x", "  b", "  c", "    c1"}));

    // The ancestor walk of the tree: parent by parent up to the root.
    QStringList up;
    for (OutlineGrid::Node n = grid.node(4); n.isValid(); n = n.parent())
        up << n.text();
    EXPECT_EQ(up, QStringList({"a2x", "a2", "a", "root"}));

    grid.setIsNode(5, false);
    EXPECT_FALSE(grid.node(5).isValid());
    EXPECT_FALSE(grid.node(1).nextSibling().isValid());
    EXPECT_FALSE(grid.node(8).isValid());
    EXPECT_FALSE(grid.node(-1).isValid());
}

TEST_F(OutlineGridTest, InsertedRowTakesTheLevelOfTheRowItPushesDown)
{
    ASSERT_TRUE(grid.insertRow(5, "new"));
    EXPECT_EQ(grid.outlineLevel(5), 1);
    EXPECT_EQ(grid.parentRow(5), 0);
    EXPECT_EQ(grid.parentRow(6), 0); // b kept its parent
    EXPECT_FALSE(grid.isNode(5));
    EXPECT_FALSE(grid.isCollapsed(5));
    EXPECT_EQ(grid.rowHeight(5), -1);
    EXPECT_EQ(grid.cellText(5, "Main"), "new");
    EXPECT_EQ(grid.cellText(5, "ObjectID"), "");

    ASSERT_TRUE(grid.insertRow(grid.rowCount(), "appended"));
    EXPECT_EQ(grid.outlineLevel(grid.rowCount() - 1), 0);
    EXPECT_EQ(errorNumberOf([&] { grid.insertRow(grid.rowCount() + 1, "x"); }), OutlineGrid::InvalidIndex);
    EXPECT_EQ(errorNumberOf([&] { grid.insertRow(-1, "x"); }), OutlineGrid::InvalidIndex);
}

TEST_F(OutlineGridTest, RemovingARowTakesItsSubtreeAndNothingElse)
{
    grid.removeSubtree(1);
    EXPECT_EQ(texts(grid), QStringList({"root", "b", "c", "c1"}));
    grid.removeSubtree(3);
    EXPECT_EQ(texts(grid), QStringList({"root", "b", "c"}));
    grid.removeSubtree(0);
    EXPECT_EQ(grid.rowCount(), 0);
    EXPECT_EQ(errorNumberOf([&] { grid.removeSubtree(0); }), OutlineGrid::InvalidIndex);
}

TEST_F(OutlineGridTest, CurrentRowFollowsItsRowAndIsLostWithIt)
{
    std::vector<std::vector<int>> events;
    QObject::connect(&grid, &OutlineGrid::afterRowColChange, [&](int oldRow, int oldCol, int newRow, int newCol) {
        events.push_back({oldRow, oldCol, newRow, newCol});
    });

    grid.setRow(6);
    EXPECT_EQ(events, (std::vector<std::vector<int>>{{-1, 0, 6, 0}}));
    grid.setRow(6);
    EXPECT_EQ(events.size(), 1u); // no move, no event

    grid.insertRow(2, "above");
    EXPECT_EQ(grid.row(), 7);
    grid.removeSubtree(1); // a with its four rows and the new one
    EXPECT_EQ(grid.row(), 2);
    EXPECT_EQ(grid.cellText(grid.row(), 0), "c");
    EXPECT_EQ(events.size(), 1u);

    grid.removeSubtree(2);
    EXPECT_EQ(grid.row(), -1);
    EXPECT_EQ(events.back(), (std::vector<int>{2, 0, -1, 0}));

    grid.setRow(1);
    grid.setRowCount(0);
    EXPECT_EQ(grid.row(), -1);
    EXPECT_EQ(events.back(), (std::vector<int>{1, 0, -1, 0}));

    EXPECT_EQ(errorNumberOf([&] { grid.setRow(0); }), OutlineGrid::InvalidIndex);
    EXPECT_EQ(errorNumberOf([&] { grid.setRow(-2); }), OutlineGrid::InvalidIndex);
}

TEST_F(OutlineGridTest, SetRowCountGrowsWithPlainRowsAndShrinksFromTheEnd)
{
    grid.setRowCount(3);
    EXPECT_EQ(texts(grid), QStringList({"root", "a", "a1"}));
    grid.setRowCount(5);
    EXPECT_EQ(grid.rowCount(), 5);
    EXPECT_EQ(grid.outlineLevel(4), 0);
    EXPECT_FALSE(grid.isNode(4));
    EXPECT_EQ(grid.cellText(4, 0), "");
    EXPECT_EQ(errorNumberOf([&] { grid.setRowCount(-1); }), OutlineGrid::InvalidPropertyValue);
}

TEST_F(OutlineGridTest, ShowOutlineOpensRowsAboveTheLevelAndClosesTheRest)
{
    int events = 0;
    QObject::connect(&grid, &OutlineGrid::beforeCollapse, [&](int, int, bool&) { ++events; });
    grid.setIsNode(7, false);
    grid.showOutline(1);
    for (int r = 0; r < grid.rowCount(); ++r) {
        SCOPED_TRACE(r);
        if (r == 7)
            EXPECT_FALSE(grid.isCollapsed(r)); // not a node: untouched
        else
            EXPECT_EQ(grid.isCollapsed(r), grid.outlineLevel(r) >= 1);
    }
    grid.showOutline(0);
    EXPECT_TRUE(grid.isCollapsed(0));
    EXPECT_EQ(events, 0);
}

TEST_F(OutlineGridTest, CollapseEventsCarryTheStateAndCanCancel)
{
    std::vector<std::pair<int, int>> before, after;
    bool cancelNext = false;
    QObject::connect(&grid, &OutlineGrid::beforeCollapse, [&](int row, int state, bool& cancel) {
        before.push_back({row, state});
        cancel = cancelNext;
    });
    QObject::connect(&grid, &OutlineGrid::afterCollapse, [&](int row, int state) { after.push_back({row, state}); });

    grid.setCollapsed(1, true);
    EXPECT_TRUE(grid.isCollapsed(1));
    grid.setCollapsed(1, true); // no change, no event
    grid.setCollapsed(1, false);
    const std::vector<std::pair<int, int>> expected = {{1, OutlineGrid::Collapsed}, {1, OutlineGrid::Expanded}};
    EXPECT_EQ(before, expected);
    EXPECT_EQ(after, expected);

    cancelNext = true;
    grid.setCollapsed(6, true);
    EXPECT_FALSE(grid.isCollapsed(6));
    EXPECT_EQ(after.size(), 2u);
}

TEST_F(OutlineGridTest, ACollapseHandlerThatMovesRowsStillOpensTheSameRow)
{
    // Opening c builds rows above it first, as a handler may.
    grid.setCollapsed(6, true);
    QObject::connect(&grid, &OutlineGrid::beforeCollapse, [&](int row, int state, bool&) {
        if (state == OutlineGrid::Expanded)
            grid.insertRow(row - 1, "inserted above");
    });
    grid.setCollapsed(6, false);
    EXPECT_EQ(grid.cellText(7, 0), "c");
    EXPECT_FALSE(grid.isCollapsed(7));
}

TEST_F(OutlineGridTest, ACollapseHandlerThatRemovesTheRowLeavesNothingToOpen)
{
    grid.setCollapsed(6, true);
    int after = 0;
    QObject::connect(&grid, &OutlineGrid::beforeCollapse, [&](int row, int, bool&) { grid.removeSubtree(row); });
    QObject::connect(&grid, &OutlineGrid::afterCollapse, [&] { ++after; });
    grid.setCollapsed(6, false);
    EXPECT_EQ(texts(grid), QStringList({"root", "a", "a1", "a2", "a2x", "b"}));
    EXPECT_EQ(after, 0);
}

TEST(OutlineGridLimit, RowsStopAt32767WithoutWrapping)
{
    OutlineGrid grid;
    grid.setColumns(treeColumns());
    grid.setRowCount(OutlineGrid::MaxRows - 2);
    EXPECT_TRUE(grid.canAddRows(2));
    EXPECT_FALSE(grid.canAddRows(3));
    EXPECT_FALSE(grid.canAddRows(-1));
    ASSERT_TRUE(grid.insertRow(0, "first"));
    ASSERT_TRUE(grid.insertRow(grid.rowCount(), "last"));
    EXPECT_EQ(grid.rowCount(), 32767);
    EXPECT_FALSE(grid.canAddRows(1));
    EXPECT_TRUE(grid.canAddRows(0));

    // Full: an insert fails and leaves everything as it was.
    EXPECT_FALSE(grid.insertRow(1, "one too many"));
    EXPECT_EQ(grid.rowCount(), 32767);
    EXPECT_EQ(grid.cellText(0, 0), "first");
    EXPECT_EQ(grid.cellText(1, 0), "");
    const qint16 last = static_cast<qint16>(grid.rowCount() - 1);
    EXPECT_EQ(last, 32766);
    EXPECT_EQ(grid.cellText(last, 0), "last");

    EXPECT_EQ(errorNumberOf([&] { grid.setRowCount(32768); }), ErrorNumber::Overflow);
    EXPECT_EQ(grid.rowCount(), 32767);

    grid.removeSubtree(5);
    EXPECT_TRUE(grid.insertRow(5, "room again"));
}

TEST(OutlineGridRedraw, RedrawOffComesBackOnOnEveryPath)
{
    OutlineGrid grid;
    std::vector<bool> switches;
    QObject::connect(&grid, &OutlineGrid::redrawChanged, [&](bool on) { switches.push_back(on); });
    EXPECT_TRUE(grid.redraw());
    try {
        OutlineGrid::RedrawOff off(grid);
        EXPECT_FALSE(grid.redraw());
        throwError(94, "Invalid use of Null");
    } catch (const RuntimeError&) {
    }
    EXPECT_TRUE(grid.redraw());
    EXPECT_EQ(switches, (std::vector<bool>{false, true}));
}

// An operation that builds rows inside another (a root's expansion inside the root's build) must
// not switch drawing on under the outer one; each guard puts back what it found.
TEST(OutlineGridRedraw, NestedRedrawOffKeepsDrawingOffUntilTheOutermostEnds)
{
    OutlineGrid grid;
    std::vector<bool> switches;
    QObject::connect(&grid, &OutlineGrid::redrawChanged, [&](bool on) { switches.push_back(on); });
    {
        OutlineGrid::RedrawOff outer(grid);
        {
            OutlineGrid::RedrawOff inner(grid);
        }
        EXPECT_FALSE(grid.redraw());
        try {
            OutlineGrid::RedrawOff failing(grid);
            throwError(94, "Invalid use of Null");
        } catch (const RuntimeError&) {
        }
        EXPECT_FALSE(grid.redraw());
    }
    EXPECT_TRUE(grid.redraw());
    EXPECT_EQ(switches, (std::vector<bool>{false, true}));

    // Drawing switched off by other means stays off after a guard.
    grid.setRedraw(false);
    {
        OutlineGrid::RedrawOff off(grid);
    }
    EXPECT_FALSE(grid.redraw());
}

// The parents a plain list of levels gives: the nearest row above with a lower level.
std::vector<int> parentsOf(const std::vector<std::pair<QString, int>>& rows)
{
    std::vector<int> parents(rows.size(), -1);
    std::vector<int> chain; // the previous row and its ancestors
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        while (!chain.empty() && rows[chain.back()].second >= rows[r].second)
            chain.pop_back();
        parents[r] = chain.empty() ? -1 : chain.back();
        chain.push_back(r);
    }
    return parents;
}

// The grid against a plain list of (text, level): inserts, subtree removals, level changes and
// collapses at random places, far and near, so that rows move between parents in every way. The
// outline the grid answers with is the one the levels define.
TEST(OutlineGridRandom, RowsMatchAPlainList)
{
    OutlineGrid grid;
    grid.setColumns(treeColumns());
    std::vector<std::pair<QString, int>> expected;
    std::mt19937 random(5);
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    for (int step = 0; step < 6000; ++step) {
        const int n = static_cast<int>(expected.size());
        const int op = n == 0 ? 0 : pick(6);
        if (op <= 2) {
            const int at = op == 0 ? pick(n + 1) : std::min(n, pick(3) + n / 2); // near the last change, or anywhere
            const QString text = QString::number(step);
            ASSERT_TRUE(grid.insertRow(at, text));
            expected.insert(expected.begin() + at, {text, at < n ? expected[at].second : 0});
        } else if (op == 3) {
            const int row = pick(n);
            int end = row + 1;
            while (end < n && expected[end].second > expected[row].second)
                ++end;
            grid.removeSubtree(row);
            expected.erase(expected.begin() + row, expected.begin() + end);
        } else if (op == 4) {
            const int row = pick(n);
            expected[row].second = pick(5);
            grid.setOutlineLevel(row, expected[row].second);
        } else {
            grid.setCollapsed(pick(n), pick(2) == 0);
        }
        ASSERT_EQ(grid.rowCount(), static_cast<int>(expected.size())) << step;
        const std::vector<int> parents = parentsOf(expected);
        std::vector<int> children(expected.size(), 0);
        for (int parent : parents) {
            if (parent >= 0)
                ++children[parent];
        }
        // A subtree ends at the first row after it that is not deeper.
        std::vector<int> ends(expected.size(), static_cast<int>(expected.size()));
        std::vector<int> open;
        for (int r = 0; r < static_cast<int>(expected.size()); ++r) {
            while (!open.empty() && expected[open.back()].second >= expected[r].second) {
                ends[open.back()] = r;
                open.pop_back();
            }
            open.push_back(r);
        }
        for (int r = 0; r < grid.rowCount(); ++r) {
            ASSERT_EQ(grid.cellText(r, 0), expected[r].first) << step << " row " << r;
            ASSERT_EQ(grid.outlineLevel(r), expected[r].second) << step << " row " << r;
            ASSERT_EQ(grid.parentRow(r), parents[r]) << step << " row " << r;
            ASSERT_EQ(grid.childCount(r), children[r]) << step << " row " << r;
            ASSERT_EQ(grid.subtreeEnd(r), ends[r]) << step << " row " << r;
        }
    }
}
