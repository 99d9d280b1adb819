#include "widgets/BoundGrid.h"

#include "fakes/QtPrinters.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QHeaderView>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// Alias and extension of a few rows, with the odd values lists hold: no extension, an extension
// that is no number, names in mixed case.
std::vector<BoundGridModel::Row> someRows()
{
    return {
        {Variant("delta"), Variant("120")}, {Variant("Alpha"), Variant::null()}, {Variant("charlie"), Variant("9")},
        {Variant("bravo"), Variant("x12")}, {Variant("echo"), Variant("1000")},
    };
}

QStringList column(const BoundGridModel& model, int col)
{
    QStringList cells;
    for (int r = 0; r < model.rowCount(); ++r)
        cells << (model.cell(r, col).isNull() ? QStringLiteral("<null>") : model.cell(r, col).textOrEmpty());
    return cells;
}

class BoundGridTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        grid.resize(400, 300);
        grid.rows().bind({"Alias", "Extension"}, someRows());
        grid.show();
        QApplication::processEvents();
    }
    void clickHeader(int section)
    {
        const QHeaderView* header = grid.horizontalHeader();
        QTest::mouseClick(
            header->viewport(), Qt::LeftButton, {},
            QPoint(header->sectionViewportPosition(section) + header->sectionSize(section) / 2, header->height() / 2));
    }

    BoundGrid grid;
};

TEST_F(BoundGridTest, AHeaderClickSortsNullFirstThenNumbersThenTextsWithoutRegardToCase)
{
    QAbstractItemModelTester tester(&grid.rows(), QAbstractItemModelTester::FailureReportingMode::Warning);
    QSignalSpy sorted(&grid, &BoundGrid::sortedByUser);
    grid.setCurrentDataRow(2);

    clickHeader(2);
    EXPECT_EQ(column(grid.rows(), 2), QStringList({"<null>", "9", "120", "1000", "x12"}));
    EXPECT_EQ(column(grid.rows(), 1), QStringList({"Alpha", "charlie", "delta", "echo", "bravo"}));
    EXPECT_EQ(grid.horizontalHeader()->sortIndicatorSection(), 2);
    EXPECT_EQ(grid.currentDataRow(), -1);
    EXPECT_EQ(sorted.count(), 1);

    clickHeader(2);
    EXPECT_EQ(column(grid.rows(), 2), QStringList({"x12", "1000", "120", "9", "<null>"}));
    clickHeader(1);
    EXPECT_EQ(column(grid.rows(), 1), QStringList({"Alpha", "bravo", "charlie", "delta", "echo"}));
}

TEST_F(BoundGridTest, KeptColumnsStayHiddenThroughEveryBinding)
{
    grid.keepColumnsHidden({0, 2});
    grid.rows().bind({"Alias", "Extension", "Id"}, {{Variant("a"), Variant("1"), Variant("{1}")}});
    EXPECT_TRUE(grid.isColumnHidden(0));
    EXPECT_FALSE(grid.isColumnHidden(1));
    EXPECT_TRUE(grid.isColumnHidden(2));
    EXPECT_FALSE(grid.isColumnHidden(3));
}

TEST_F(BoundGridTest, ARightClickCanLeaveTheCurrentRowAndADoubleClickBelowTheRowsIsStillADoubleClick)
{
    QSignalSpy mouseDowns(&grid, &BoundGrid::gridMouseDown);
    QSignalSpy doubleClicks(&grid, &BoundGrid::gridDblClick);
    QSignalSpy rowDoubleClicks(&grid, &BoundGrid::dataRowDoubleClicked);
    const QPoint third = grid.visualRect(grid.rows().index(3, 1)).center();
    grid.setCurrentDataRow(0);

    QTest::mouseClick(grid.viewport(), Qt::RightButton, {}, third);
    EXPECT_EQ(grid.currentDataRow(), 3);
    grid.setCurrentDataRow(0);
    grid.setRightClickKeepsCurrentRow(true);
    QTest::mouseClick(grid.viewport(), Qt::RightButton, {}, third);
    EXPECT_EQ(grid.currentDataRow(), 0);
    ASSERT_EQ(mouseDowns.count(), 2);
    EXPECT_EQ(mouseDowns.at(1).at(0).value<Qt::MouseButton>(), Qt::RightButton);

    QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, QPoint(5, grid.viewport()->height() - 5));
    EXPECT_EQ(doubleClicks.count(), 1);
    EXPECT_EQ(rowDoubleClicks.count(), 0);
    QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, third);
    EXPECT_EQ(doubleClicks.count(), 2);
    EXPECT_EQ(rowDoubleClicks.count(), 1);
}

} // namespace
