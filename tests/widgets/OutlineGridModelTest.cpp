#include "widgets/OutlineGridModel.h"

#include "widgets/OutlineGrid.h"

#include <QAbstractItemModelTester>
#include <QCoreApplication>
#include <QSignalSpy>
#include <algorithm>
#include <gtest/gtest.h>
#include <memory>
#include <random>

namespace {

// Collects what QAbstractItemModelTester reports, so a broken model fails the test instead of
// only printing.
class TesterFailures {
public:
    TesterFailures()
    {
        s_failures.clear();
        m_previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& text) {
            if (text.contains("FAIL"))
                s_failures << text;
        });
    }
    ~TesterFailures() { qInstallMessageHandler(m_previous); }
    std::string failures() const { return s_failures.join('\n').toStdString(); }

private:
    static inline QStringList s_failures;
    QtMessageHandler m_previous;
};

QList<OutlineGrid::Column> twoColumns()
{
    return {{"Main", 1365, false}, {"ObjectID", 1605, true}};
}

// The model's tree in order, one "depth:text" per row, fetching closed rows' children as any
// reader of a lazily filled model does.
void walkModel(QAbstractItemModel& model, const QModelIndex& parent, int depth, QStringList& out)
{
    if (model.canFetchMore(parent))
        model.fetchMore(parent);
    for (int r = 0; r < model.rowCount(parent); ++r) {
        const QModelIndex index = model.index(r, 0, parent);
        out << QString::number(depth) + ":" + index.data().toString();
        walkModel(model, index, depth + 1, out);
    }
}

QStringList modelTree(QAbstractItemModel& model)
{
    QStringList out;
    walkModel(model, QModelIndex(), 0, out);
    return out;
}

// The grid's outline in the same form.
QStringList gridTree(const OutlineGrid& grid)
{
    QStringList out;
    for (int r = 0; r < grid.rowCount(); ++r) {
        int depth = 0;
        for (int p = grid.parentRow(r); p >= 0; p = grid.parentRow(p))
            ++depth;
        out << QString::number(depth) + ":" + grid.cellText(r, 0);
    }
    return out;
}

// What the model presents, without fetching, against the grid: every presented row is the grid
// row it names, a row presents all its children or none, and one that presents none says whether
// it has any and hands them out on request.
void expectPresentedAsTheGrid(const OutlineGridModel& model, const OutlineGrid& grid, const QModelIndex& parent, int parentRow)
{
    const int presented = model.rowCount(parent);
    std::vector<int> children;
    for (int c = parentRow < 0 ? (grid.rowCount() > 0 ? 0 : -1) : grid.firstChildRow(parentRow); c >= 0; c = grid.nextSiblingRow(c))
        children.push_back(c);
    if (presented == 0 && parent.isValid()) {
        ASSERT_EQ(model.hasChildren(parent), !children.empty()) << parentRow;
        ASSERT_EQ(model.canFetchMore(parent), !children.empty()) << parentRow;
        return;
    }
    ASSERT_EQ(presented, static_cast<int>(children.size())) << parentRow;
    for (int k = 0; k < presented; ++k) {
        const QModelIndex index = model.index(k, 0, parent);
        ASSERT_EQ(model.gridRow(index), children[k]);
        ASSERT_EQ(index.parent(), parent);
        ASSERT_EQ(index.data().toString(), grid.cellText(children[k], 0));
        ASSERT_EQ(model.indexForRow(children[k]), index);
        expectPresentedAsTheGrid(model, grid, index, children[k]);
    }
}

void appendRows(OutlineGrid& grid, const std::vector<std::pair<QString, int>>& rows)
{
    for (const auto& [text, level] : rows) {
        const int r = grid.rowCount();
        grid.insertRow(r, text);
        grid.setOutlineLevel(r, level);
        grid.setIsNode(r, true);
    }
}

// Opens a row the way the tree does: its placeholder goes, its link rows (each a closed row with
// a placeholder of its own) come in while redraw is off.
void buildBelow(OutlineGrid& grid, int row, int links)
{
    grid.removeSubtree(row + 1);
    OutlineGrid::RedrawOff off(grid);
    const int level = grid.outlineLevel(row) + 1;
    for (int k = 0, p = row + 1; k < links; ++k, p += 2) {
        grid.insertRow(p, "link " + QString::number(k));
        grid.setOutlineLevel(p, level);
        grid.insertRow(p + 1, "");
        grid.setOutlineLevel(p + 1, level + 1);
        grid.setCollapsed(p, true);
    }
}

} // namespace

TEST(OutlineGridModel, PresentsTheOutlineAsATree)
{
    OutlineGrid grid;
    grid.setColumns(twoColumns());
    appendRows(grid, {{"root", 0}, {"a", 1}, {"a1", 2}, {"b", 1}, {"second root", 0}});
    grid.setCellText(2, "ObjectID", "{A1}");
    OutlineGridModel model(grid);

    EXPECT_EQ(modelTree(model), QStringList({"0:root", "1:a", "2:a1", "1:b", "0:second root"}));
    EXPECT_EQ(model.columnCount(), 2);
    const QModelIndex a1 = model.indexForRow(2, 1);
    EXPECT_EQ(a1.data().toString(), "{A1}");
    EXPECT_EQ(model.gridRow(a1), 2);
    EXPECT_EQ(model.gridRow(a1.parent()), 1);
    EXPECT_EQ(model.gridRow(a1.parent().parent()), 0);
    EXPECT_FALSE(a1.parent().parent().parent().isValid());
    EXPECT_FALSE(model.indexForRow(5).isValid());
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), "ObjectID");
    EXPECT_THROW(OutlineGridModel second(grid), std::logic_error);
}

// A closed row that was never opened presents no children: building rows below it (as opening a
// row of the tree does, or building the whole tree) reaches the model only as a change of that
// row. Opening it presents its children in one insertion.
TEST(OutlineGridModel, AClosedRowPresentsItsChildrenWhenItIsOpened)
{
    OutlineGrid grid;
    grid.setColumns(twoColumns());
    appendRows(grid, {{"root", 0}, {"a", 1}, {"", 2}, {"b", 1}});
    grid.setCollapsed(1, true);
    OutlineGridModel model(grid);
    TesterFailures failures;
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    const QModelIndex a = model.indexForRow(1);
    EXPECT_EQ(model.rowCount(a), 0);
    EXPECT_TRUE(model.hasChildren(a));
    EXPECT_TRUE(model.canFetchMore(a));

    buildBelow(grid, 1, 3);
    buildBelow(grid, 2, 2); // the first link opened in turn, inside the closed row
    EXPECT_EQ(removed.count() + inserted.count(), 0);
    QCoreApplication::processEvents();
    ASSERT_EQ(changed.count(), 1); // whether a has children
    EXPECT_EQ(changed[0][0].value<QModelIndex>(), a);

    grid.setCollapsed(1, false);
    ASSERT_EQ(inserted.count(), 1);
    EXPECT_EQ(inserted[0][0].value<QModelIndex>(), a);
    EXPECT_EQ(inserted[0][1].toInt(), 0);
    EXPECT_EQ(inserted[0][2].toInt(), 2);
    EXPECT_EQ(model.rowCount(model.indexForRow(2)), 0); // link 0 is closed
    expectPresentedAsTheGrid(model, grid, QModelIndex(), -1);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Warning);
    EXPECT_EQ(modelTree(model), gridTree(grid));
    EXPECT_EQ(failures.failures(), "");
}

// Under a presented row, rows removed leave the model at once; rows added while redraw is off
// wait for it and arrive in one insertion under that row, so a view keeps everything else as it
// was and never sees a half-built row.
TEST(OutlineGridModel, RowsAddedWhileRedrawIsOffArriveTogetherWhenItIsOn)
{
    OutlineGrid grid;
    grid.setColumns(twoColumns());
    appendRows(grid, {{"root", 0}, {"a", 1}, {"", 2}, {"b", 1}, {"", 2}});
    OutlineGridModel model(grid);
    TesterFailures failures;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Warning);
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    const QPersistentModelIndex a = model.indexForRow(1);
    const QPersistentModelIndex placeholder = model.indexForRow(2);

    {
        OutlineGrid::RedrawOff off(grid);
        grid.removeSubtree(2);
        EXPECT_FALSE(placeholder.isValid());
        for (int k = 0; k < 3; ++k) {
            grid.insertRow(2 + k, "link " + QString::number(k));
            grid.setOutlineLevel(2 + k, 2);
        }
        grid.setCellText(0, 0, "root renamed");
        ASSERT_EQ(removed.count(), 1);
        EXPECT_EQ(inserted.count(), 0);
        EXPECT_EQ(model.rowCount(a), 0);
        EXPECT_FALSE(model.indexForRow(2).isValid());
        EXPECT_EQ(model.gridRow(model.indexForRow(5)), 5); // b's placeholder, moved down
    }

    EXPECT_EQ(modelTree(model), gridTree(grid));
    EXPECT_EQ(reset.count(), 0);
    ASSERT_EQ(inserted.count(), 1);
    EXPECT_EQ(inserted[0][0].value<QModelIndex>(), QModelIndex(a));
    EXPECT_EQ(inserted[0][1].toInt(), 0);
    EXPECT_EQ(inserted[0][2].toInt(), 2);
    EXPECT_EQ(failures.failures(), "");
}

// A level change can hand following rows to another parent; the model must say so.
TEST(OutlineGridModel, LevelChangesThatMoveFollowingRowsKeepTheTreeConsistent)
{
    OutlineGrid grid;
    grid.setColumns(twoColumns());
    appendRows(grid, {{"root", 0}, {"a", 1}, {"a1", 2}, {"a2", 2}, {"b", 1}, {"b1", 2}});
    OutlineGridModel model(grid);
    TesterFailures failures;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Warning);

    grid.setOutlineLevel(1, 3); // a sinks: a1 and a2 become root's children
    EXPECT_EQ(modelTree(model), gridTree(grid));
    grid.setOutlineLevel(4, 2); // b becomes a child of a2
    EXPECT_EQ(modelTree(model), gridTree(grid));
    grid.setOutlineLevel(1, 0); // a rises to the top with everything below it
    EXPECT_EQ(modelTree(model), gridTree(grid));
    grid.setRowCount(2);
    EXPECT_EQ(modelTree(model), gridTree(grid));
    grid.setRowCount(0);
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_EQ(failures.failures(), "");
}

// Many random changes of rows, with redraw switched off and on and rows opened and closed between
// them. Without a reader that fetches, what the model presents after every step that it must
// show is the grid's outline as far as it presents it; with Qt's model tester attached, which
// fetches everything, it is the grid's whole outline, and the tester finds no fault.
TEST(OutlineGridModel, RandomChangesKeepTheModelConsistent)
{
    for (const bool withTester : {false, true}) {
        SCOPED_TRACE(withTester ? "with the model tester" : "lazily");
        OutlineGrid grid;
        grid.setColumns(twoColumns());
        OutlineGridModel model(grid);
        TesterFailures failures;
        std::unique_ptr<QAbstractItemModelTester> tester;
        if (withTester)
            tester = std::make_unique<QAbstractItemModelTester>(&model, QAbstractItemModelTester::FailureReportingMode::Warning);
        std::mt19937 random(20261210);
        auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
        int names = 0;

        for (int step = 0; step < 1500; ++step) {
            const int n = grid.rowCount();
            switch (pick(n < 5 ? 2 : 12)) {
            case 0:
            case 1: {
                const int at = pick(n + 1);
                grid.insertRow(at, "r" + QString::number(names++));
                if (pick(2))
                    grid.setOutlineLevel(at, pick(4));
                break;
            }
            case 2:
            case 3:
                grid.setOutlineLevel(pick(n), pick(4));
                break;
            case 4:
                grid.removeSubtree(pick(n));
                break;
            case 5:
                grid.setCellText(pick(n), 0, "t" + QString::number(names++));
                break;
            case 6:
                grid.setRedraw(!grid.redraw());
                break;
            case 7:
                if (pick(8) == 0)
                    grid.setRowCount(pick(n));
                break;
            case 8:
            case 9:
                grid.setCollapsed(pick(n), pick(2) == 0);
                break;
            case 10:
                if (pick(4) == 0)
                    grid.showOutline(pick(3));
                break;
            default:
                if (n < 60) {
                    grid.insertRow(n, "r" + QString::number(names++));
                    grid.setOutlineLevel(n, pick(3));
                }
                break;
            }
            if (grid.redraw()) {
                QCoreApplication::processEvents();
                if (withTester)
                    ASSERT_EQ(modelTree(model), gridTree(grid)) << "step " << step;
                else
                    ASSERT_NO_FATAL_FAILURE(expectPresentedAsTheGrid(model, grid, QModelIndex(), -1)) << "step " << step;
            }
            ASSERT_EQ(failures.failures(), "") << "step " << step;
        }
    }
}

// Rewriting every row's text (as a refresh of all row texts does) costs one report per parent,
// delivered from the event loop, instead of one per row; a few changed rows are reported each on
// its own, so that a view repaints no more than those.
TEST(OutlineGridModel, TextChangesAreReportedTogether)
{
    OutlineGrid grid;
    grid.setColumns(twoColumns());
    appendRows(grid, {{"root", 0}});
    for (int k = 0; k < 200; ++k)
        appendRows(grid, {{"link", 1}});
    OutlineGridModel model(grid);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);

    for (int r = 0; r < grid.rowCount(); ++r)
        grid.setCellText(r, 0, "new " + QString::number(r));
    EXPECT_EQ(changed.count(), 0);
    QCoreApplication::processEvents();
    ASSERT_EQ(changed.count(), 2); // the root at the top level, and root's 200 children
    for (const auto& signal : changed) {
        const QModelIndex first = signal[0].value<QModelIndex>();
        const QModelIndex last = signal[1].value<QModelIndex>();
        EXPECT_EQ(first.parent(), last.parent());
        EXPECT_EQ(last.column(), 1);
        if (first.parent().isValid()) {
            EXPECT_EQ(first.row(), 0);
            EXPECT_EQ(last.row(), 199);
        }
    }
    EXPECT_EQ(model.indexForRow(7).data().toString(), "new 7");

    changed.clear();
    grid.setCellText(3, 0, "three");
    grid.setCellPicture(150, 0, "Leaf");
    grid.setRowHeight(150, 270);
    QCoreApplication::processEvents();
    ASSERT_EQ(changed.count(), 2);
    QList<int> rows;
    for (const auto& signal : changed) {
        EXPECT_EQ(signal[0].value<QModelIndex>().row(), signal[1].value<QModelIndex>().row());
        rows << model.gridRow(signal[0].value<QModelIndex>());
    }
    std::sort(rows.begin(), rows.end());
    EXPECT_EQ(rows, QList<int>({3, 150}));

    // Data is never shown, so it is never reported.
    changed.clear();
    grid.setCellData(3, 1, 42);
    QCoreApplication::processEvents();
    EXPECT_EQ(changed.count(), 0);
}
