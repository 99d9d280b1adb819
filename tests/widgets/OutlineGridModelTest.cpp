#include "widgets/OutlineGridModel.h"

#include "widgets/OutlineGrid.h"

#include <QAbstractItemModelTester>
#include <QCoreApplication>
#include <QSignalSpy>
#include <gtest/gtest.h>
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
    QStringList failures() const { return s_failures; }

private:
    static inline QStringList s_failures;
    QtMessageHandler m_previous;
};

QList<OutlineGrid::Column> twoColumns()
{
    return {{"Main", 1365, false}, {"ObjectID", 1605, true}};
}

// The model's tree in order, one "depth:text" per row.
void walkModel(const QAbstractItemModel& model, const QModelIndex& parent, int depth, QStringList& out)
{
    for (int r = 0; r < model.rowCount(parent); ++r) {
        const QModelIndex index = model.index(r, 0, parent);
        out << QString::number(depth) + ":" + index.data().toString();
        walkModel(model, index, depth + 1, out);
    }
}

QStringList modelTree(const QAbstractItemModel& model)
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

void appendRows(OutlineGrid& grid, const std::vector<std::pair<QString, int>>& rows)
{
    for (const auto& [text, level] : rows) {
        const int r = grid.rowCount();
        grid.insertRow(r, text);
        grid.setOutlineLevel(r, level);
        grid.setIsNode(r, true);
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
}

// Opening a row the way the tree does it: redraw off, placeholder out, link rows in, redraw on.
// The model reports it as the removal of the placeholder and the insertion of the new children
// under that row, so a view keeps everything else as it was.
TEST(OutlineGridModel, AnExpansionUnderRedrawOffArrivesAsRemoveAndInsertUnderTheRow)
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

    {
        OutlineGrid::RedrawOff off(grid);
        grid.removeSubtree(2);
        for (int k = 0; k < 3; ++k) {
            grid.insertRow(2 + 2 * k, "link " + QString::number(k));
            grid.setOutlineLevel(2 + 2 * k, 2);
            grid.insertRow(3 + 2 * k, "");
            grid.setOutlineLevel(3 + 2 * k, 3);
        }
        // Nothing reaches a view while redraw is off.
        EXPECT_EQ(modelTree(model), QStringList({"0:root", "1:a", "2:", "1:b", "2:"}));
        EXPECT_EQ(removed.count() + inserted.count(), 0);
    }

    EXPECT_EQ(modelTree(model), gridTree(grid));
    EXPECT_EQ(reset.count(), 0);
    ASSERT_EQ(removed.count(), 1);
    ASSERT_EQ(inserted.count(), 1);
    const QModelIndex a = model.indexForRow(1);
    EXPECT_EQ(removed[0][0].value<QModelIndex>(), a);
    EXPECT_EQ(removed[0][1].toInt(), 0);
    EXPECT_EQ(removed[0][2].toInt(), 0);
    EXPECT_EQ(inserted[0][0].value<QModelIndex>(), a);
    EXPECT_EQ(inserted[0][1].toInt(), 0);
    EXPECT_EQ(inserted[0][2].toInt(), 2);
    EXPECT_EQ(failures.failures(), QStringList());
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
    EXPECT_EQ(failures.failures(), QStringList());
}

// Many random changes of rows, with redraw switched off and on between them; after every step
// that the model must show, its tree is the grid's, and Qt's model tester finds no fault.
TEST(OutlineGridModel, RandomChangesKeepTheModelConsistent)
{
    OutlineGrid grid;
    grid.setColumns(twoColumns());
    OutlineGridModel model(grid);
    TesterFailures failures;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Warning);
    std::mt19937 random(20261210);
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    int names = 0;

    for (int step = 0; step < 1500; ++step) {
        const int n = grid.rowCount();
        switch (pick(n < 5 ? 2 : 9)) {
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
        default:
            if (n < 60) {
                grid.insertRow(n, "r" + QString::number(names++));
                grid.setOutlineLevel(n, pick(3));
            }
            break;
        }
        if (grid.redraw()) {
            QCoreApplication::processEvents();
            ASSERT_EQ(modelTree(model), gridTree(grid)) << "step " << step;
        }
        ASSERT_EQ(failures.failures(), QStringList()) << "step " << step;
    }
}

// Rewriting every row's text (as a refresh of all row texts does) costs one report per parent,
// delivered from the event loop, instead of one per row.
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

    // Data is never shown, so it is never reported.
    changed.clear();
    grid.setCellData(3, 1, 42);
    QCoreApplication::processEvents();
    EXPECT_EQ(changed.count(), 0);
}

TEST(OutlineGridModel, RowsRemovedWhileRedrawIsOffShowNothingUntilRedrawIsOn)
{
    OutlineGrid grid;
    grid.setColumns(twoColumns());
    appendRows(grid, {{"root", 0}, {"a", 1}, {"b", 1}});
    OutlineGridModel model(grid);
    const QPersistentModelIndex b = model.indexForRow(2);

    grid.setRedraw(false);
    grid.removeSubtree(2);
    EXPECT_FALSE(model.inStep());
    EXPECT_TRUE(b.isValid()); // still presented
    EXPECT_FALSE(b.data().isValid());
    EXPECT_EQ(model.gridRow(b), -1);
    grid.setRedraw(true);
    EXPECT_TRUE(model.inStep());
    EXPECT_FALSE(b.isValid());
    EXPECT_EQ(modelTree(model), QStringList({"0:root", "1:a"}));
}
