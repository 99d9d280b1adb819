#include "widgets/OutlineGridView.h"

#include "widgets/OutlineGrid.h"
#include "widgets/OutlineGridImageList.h"
#include "widgets/OutlineGridModel.h"
#include "widgets/Twips.h"

#include <QAbstractItemModelTester>
#include <QImage>
#include <QPaintEvent>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace {

// Plain square pictures under the keys the rows name.
OutlineGridImageList testPictures()
{
    OutlineGridImageList list;
    for (const char* key : {"Handler", "Leaf"}) {
        QPixmap square(16, 16);
        square.fill(QString::fromLatin1(key) == "Leaf" ? Qt::darkGreen : Qt::darkBlue);
        list.add(QString::fromLatin1(key), QIcon(square));
    }
    return list;
}

QList<OutlineGrid::Column> treeColumns()
{
    return {{"Main", 1365, false},    {"Conversation", 960, true}, {"Action", 960, true},
            {"ObjectID", 1605, true}, {"NodeType", 960, true},     {"ChildAlias", 960, true}};
}

// The rows a user sees: those whose every ancestor is open, by their text.
std::string gridVisibleRows(const OutlineGrid& grid)
{
    QStringList rows;
    for (int r = 0; r < grid.rowCount();) {
        rows << grid.cellText(r, 0);
        r = grid.isCollapsed(r) ? grid.subtreeEnd(r) : r + 1;
    }
    return rows.join(" | ").toStdString();
}

std::string viewVisibleRows(const OutlineGridView& view)
{
    QStringList rows;
    for (QModelIndex i = view.model()->index(0, 0); i.isValid(); i = view.indexBelow(i))
        rows << i.data().toString();
    return rows.join(" | ").toStdString();
}

// Lets posted events, and the paints they ask for, run.
void settle()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

// The parts of the viewport painted while it is installed.
class PaintRecorder : public QObject {
public:
    explicit PaintRecorder(QWidget* viewport) { viewport->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            painted += static_cast<QPaintEvent*>(event)->region();
        return false;
    }
    QRegion painted;
};

int appendRow(OutlineGrid& grid, const QString& text, int level, const QString& picture = QString())
{
    const int r = grid.rowCount();
    grid.insertRow(r, text);
    grid.setOutlineLevel(r, level);
    grid.setIsNode(r, true);
    grid.setRowHeight(r, 270);
    grid.setCellPicture(r, "Main", picture);
    return r;
}

class OutlineGridViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        grid.setColumns(treeColumns());
        {
            OutlineGrid::RedrawOff off(grid);
            appendRow(grid, "Opening Greeting", 0, "Handler"); // 0
            appendRow(grid, "0: Operator", 1, "Handler");      // 1
            appendRow(grid, "", 2);                            // 2 placeholder
            appendRow(grid, "1: Take Message", 1, "Leaf");     // 3
            appendRow(grid, "2: Sales", 1, "Handler");         // 4
            appendRow(grid, "0: Hang Up", 2, "Leaf");          // 5
            appendRow(grid, "1: Ignore Key", 2, "Leaf");       // 6
            grid.showOutline(1);
        }
        view = std::make_unique<OutlineGridView>(grid);
        view->resize(400, 300);
        view->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
    }

    bool shown(int row) const { return !view->gridRowRect(row).isEmpty(); }

    QPoint centre(int row) const { return view->gridRowRect(row).center(); }

    // The open/close mark sits in the indentation just left of the row's text.
    QPoint branch(int row) const
    {
        const QRect r = view->gridRowRect(row);
        return QPoint(r.left() - view->indentation() / 2, r.center().y());
    }

    // Builds a row's link rows when it is first opened, as the tree does.
    void expandLazily()
    {
        QObject::connect(&grid, &OutlineGrid::beforeCollapse, [this](int row, int state, bool&) {
            if (!grid.redraw() || state != OutlineGrid::Expanded || row + 1 >= grid.rowCount()
                || !grid.cellText(row + 1, "Main").isEmpty())
                return;
            grid.removeSubtree(row + 1);
            OutlineGrid::RedrawOff off(grid);
            for (int k = 0; k < 2; ++k)
                appendBelow(row, k, "*: link " + QString::number(k));
        });
    }

    void appendBelow(int parent, int k, const QString& text)
    {
        grid.insertRow(parent + 1 + k, text);
        grid.setOutlineLevel(parent + 1 + k, grid.outlineLevel(parent) + 1);
        grid.setIsNode(parent + 1 + k, true);
    }

    OutlineGrid grid;
    std::unique_ptr<OutlineGridView> view;
};

} // namespace

TEST_F(OutlineGridViewTest, CollapsedRowsHideTheirSubtreeAndHiddenColumnsStayHidden)
{
    EXPECT_TRUE(shown(0));
    EXPECT_TRUE(shown(1));
    EXPECT_FALSE(shown(2));
    EXPECT_TRUE(shown(4));
    EXPECT_FALSE(shown(5));

    grid.setCollapsed(4, false);
    EXPECT_TRUE(shown(5));
    EXPECT_TRUE(shown(6));
    grid.setCollapsed(0, true);
    for (int r = 1; r < grid.rowCount(); ++r)
        EXPECT_FALSE(shown(r)) << r;

    EXPECT_FALSE(view->isColumnHidden(0));
    for (int c = 1; c < grid.colCount(); ++c)
        EXPECT_TRUE(view->isColumnHidden(c)) << c;
    grid.setColHidden(3, false);
    EXPECT_FALSE(view->isColumnHidden(3));

    EXPECT_EQ(view->gridRowRect(0).height(), Twips::toPixelsY(270, view.get()));
}

TEST_F(OutlineGridViewTest, OpeningARowWithTheMouseLetsTheGridBuildItsChildrenFirst)
{
    static QStringList failures;
    failures.clear();
    const QtMessageHandler previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& text) {
        if (text.contains("FAIL"))
            failures << text;
    });
    QAbstractItemModelTester tester(&view->gridModel(), QAbstractItemModelTester::FailureReportingMode::Warning);
    expandLazily();
    QSignalSpy rowChanges(&grid, &OutlineGrid::afterRowColChange);

    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, branch(1));

    EXPECT_FALSE(grid.isCollapsed(1));
    EXPECT_EQ(grid.cellText(2, "Main"), "*: link 0");
    EXPECT_EQ(grid.cellText(3, "Main"), "*: link 1");
    EXPECT_TRUE(view->isExpanded(view->gridModel().indexForRow(1)));
    EXPECT_TRUE(shown(2));
    EXPECT_TRUE(shown(3));
    EXPECT_EQ(rowChanges.count(), 0); // the open/close mark does not select

    // Closing and opening again builds nothing more.
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, branch(1));
    EXPECT_TRUE(grid.isCollapsed(1));
    EXPECT_FALSE(shown(2));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, branch(1));
    EXPECT_EQ(grid.rowCount(), 8);
    EXPECT_TRUE(shown(3));
    qInstallMessageHandler(previous);
    EXPECT_EQ(failures, QStringList());
}

TEST_F(OutlineGridViewTest, ACancelledOpeningLeavesTheRowClosedOnScreen)
{
    QObject::connect(&grid, &OutlineGrid::beforeCollapse, [](int, int, bool& cancel) { cancel = true; });
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, branch(4));
    EXPECT_TRUE(grid.isCollapsed(4));
    EXPECT_FALSE(view->isExpanded(view->gridModel().indexForRow(4)));
    EXPECT_FALSE(shown(5));
}

TEST_F(OutlineGridViewTest, TheCurrentRowIsTheSameInGridAndView)
{
    QSignalSpy rowChanges(&grid, &OutlineGrid::afterRowColChange);

    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, centre(3));
    EXPECT_EQ(grid.row(), 3);
    ASSERT_EQ(rowChanges.count(), 1);
    EXPECT_EQ(rowChanges[0][2].toInt(), 3);

    QTest::keyClick(view.get(), Qt::Key_Down);
    EXPECT_EQ(grid.row(), 4);
    QTest::keyClick(view.get(), Qt::Key_Up);
    QTest::keyClick(view.get(), Qt::Key_Up);
    EXPECT_EQ(grid.row(), 1); // row 2 is inside the closed row 1
    EXPECT_EQ(rowChanges.count(), 4);

    // Code moves the view's selection when control returns to the event loop.
    grid.setRow(2);
    grid.setRow(4);
    QCoreApplication::processEvents();
    EXPECT_EQ(view->gridModel().gridRow(view->currentIndex()), 4);
    EXPECT_TRUE(view->selectionModel()->isRowSelected(view->currentIndex().row(), view->currentIndex().parent()));
    EXPECT_EQ(rowChanges.count(), 6);

    // Rows built above the current row do not move the selection to another row.
    grid.setRedraw(false);
    grid.insertRow(1, "new");
    grid.setRedraw(true);
    QCoreApplication::processEvents();
    EXPECT_EQ(grid.row(), 5);
    EXPECT_EQ(view->gridModel().gridRow(view->currentIndex()), 5);
    EXPECT_EQ(rowChanges.count(), 6);

    grid.setRowCount(0);
    EXPECT_FALSE(view->currentIndex().isValid());
}

TEST_F(OutlineGridViewTest, MouseAndKeysAreReportedAndLeftToTheTree)
{
    QSignalSpy downs(&view.operator*(), &OutlineGridView::gridMouseDown);
    QSignalSpy doubles(&view.operator*(), &OutlineGridView::gridDblClick);
    QSignalSpy keys(&view.operator*(), &OutlineGridView::gridKeyDown);
    QSignalSpy rowChanges(&grid, &OutlineGrid::afterRowColChange);
    int mouseRowAtDown = -2;
    QObject::connect(view.get(), &OutlineGridView::gridMouseDown, [&] { mouseRowAtDown = grid.mouseRow(); });

    const int current = grid.row();
    QTest::mouseClick(view->viewport(), Qt::RightButton, {}, centre(3));
    ASSERT_EQ(downs.count(), 1);
    EXPECT_EQ(downs[0][0].value<Qt::MouseButton>(), Qt::RightButton);
    EXPECT_EQ(mouseRowAtDown, 3);
    EXPECT_EQ(grid.row(), current); // a right click does not select
    EXPECT_EQ(rowChanges.count(), 0);

    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, QPoint(200, 290));
    EXPECT_EQ(mouseRowAtDown, -1); // below the last row

    // A double click as the window system delivers it: a click, then the double-click event.
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, centre(4));
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, centre(4));
    EXPECT_EQ(doubles.count(), 1);
    EXPECT_EQ(grid.mouseRow(), 4);
    EXPECT_TRUE(grid.isCollapsed(4)); // the tree decides what a double click does

    QTest::keyClick(view.get(), Qt::Key_Right);
    QTest::keyClick(view.get(), Qt::Key_Asterisk);
    ASSERT_EQ(keys.count(), 2);
    EXPECT_EQ(keys[0][0].toInt(), int(Qt::Key_Right));
    EXPECT_TRUE(grid.isCollapsed(4));
    EXPECT_FALSE(view->isExpanded(view->gridModel().indexForRow(4)));
}

TEST_F(OutlineGridViewTest, RowsShowTheirPicture)
{
    const OutlineGridImageList pictures = testPictures();
    view->setImageList(&pictures);
    const QModelIndex leaf = view->gridModel().indexForRow(3);
    EXPECT_EQ(leaf.data(Qt::DecorationRole).value<QIcon>().cacheKey(), pictures.icon("Leaf").cacheKey());
    EXPECT_FALSE(view->gridModel().indexForRow(2).data(Qt::DecorationRole).isValid()); // no picture
    grid.setCellPicture(3, "Main", "NoSuchPicture");
    EXPECT_FALSE(leaf.data(Qt::DecorationRole).isValid());
}

TEST_F(OutlineGridViewTest, ACurrentRowInsideAClosedBranchStaysHidden)
{
    grid.setRow(5); // below the closed "2: Sales"
    QCoreApplication::processEvents();
    EXPECT_TRUE(grid.isCollapsed(4));
    EXPECT_FALSE(view->isExpanded(view->gridModel().indexForRow(4)));
    EXPECT_FALSE(shown(5));
    EXPECT_EQ(grid.row(), 5);
    EXPECT_EQ(viewVisibleRows(*view), gridVisibleRows(grid));

    // Once the grid opens the branch, the view shows the current row in it.
    grid.setCollapsed(4, false);
    QCoreApplication::processEvents();
    EXPECT_EQ(view->gridModel().gridRow(view->currentIndex()), 5);
    grid.setRow(6);
    QCoreApplication::processEvents();
    EXPECT_EQ(view->gridModel().gridRow(view->currentIndex()), 6);
}

// Building rows below a closed row repaints that row at most, and a changed text its row: never
// the whole tree.
TEST_F(OutlineGridViewTest, ChangesRepaintOnlyTheRowsTheyTouch)
{
    settle();
    PaintRecorder recorder(view->viewport());
    const QRect operatorRow = view->gridRowRect(1).united(QRect(0, view->gridRowRect(1).top(), view->viewport()->width(), 1));

    grid.removeSubtree(2);
    {
        OutlineGrid::RedrawOff off(grid);
        for (int k = 0; k < 5; ++k)
            appendBelow(1, k, QString::number(k) + ": link");
        for (int k = 0; k < 5; ++k)
            grid.setCollapsed(2 + k, true);
        grid.setCollapsed(1, true);
    }
    settle();
    EXPECT_TRUE(operatorRow.contains(recorder.painted.boundingRect()));

    recorder.painted = QRegion();
    ASSERT_EQ(grid.cellText(7, "Main"), "1: Take Message");
    grid.setCellText(7, "Main", "1: Take a Message");
    settle();
    const QRect messageRow = view->gridRowRect(7);
    EXPECT_FALSE(recorder.painted.isEmpty());
    EXPECT_LE(recorder.painted.boundingRect().height(), messageRow.height());
    EXPECT_EQ(viewVisibleRows(*view), gridVisibleRows(grid));
}

// A tree of 30,000 rows, every branch open: built, shown down to its last row, drawn, and every
// row renamed, with the view showing what the grid holds.
TEST(OutlineGridViewLarge, ThirtyThousandRowsAreBuiltShownAndDrawn)
{
    OutlineGrid grid;
    grid.setColumns(treeColumns());
    OutlineGridView view(grid);
    const OutlineGridImageList pictures = testPictures();
    view.setImageList(&pictures);
    view.resize(500, 700);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));

    {
        OutlineGrid::RedrawOff off(grid);
        appendRow(grid, "root", 0, "Handler");
        for (int h = 0; grid.rowCount() + 10 <= 30000; ++h) {
            appendRow(grid, "handler " + QString::number(h), 1, "Handler");
            for (int k = 0; k < 9; ++k)
                appendRow(grid, QString::number(k) + ": Take Message", 2, "Leaf");
        }
        grid.showOutline(3);
    }
    QCoreApplication::processEvents();
    ASSERT_GE(grid.rowCount(), 29990);

    for (int r : {0, grid.rowCount() / 2, grid.rowCount() - 1}) {
        grid.setRow(r);
        view.scrollTo(view.gridModel().indexForRow(r));
        view.viewport()->repaint();
        EXPECT_TRUE(view.viewport()->rect().intersects(view.gridRowRect(r))) << r;
    }
    EXPECT_EQ(view.gridRowAt(view.gridRowRect(grid.rowCount() - 1).center()), grid.rowCount() - 1);

    for (int r = 0; r < grid.rowCount(); ++r)
        grid.setCellText(r, 0, "renamed " + QString::number(r));
    QCoreApplication::processEvents();
    view.viewport()->repaint();
    EXPECT_EQ(view.gridModel().indexForRow(grid.rowCount() - 1).data().toString(),
              "renamed " + QString::number(grid.rowCount() - 1));
    EXPECT_EQ(viewVisibleRows(view), gridVisibleRows(grid));
}

// Opening rows one after another the way the tree does it (placeholder out, link rows in with
// their placeholders under redraw off, row opened), depth first as a user clicking down the tree
// would, with rows opened out of sight in between: the view shows what the grid holds.
TEST(OutlineGridViewLarge, OpeningRowAfterRowShowsWhatTheGridHolds)
{
    OutlineGrid grid;
    grid.setColumns(treeColumns());
    OutlineGridView view(grid);
    view.resize(400, 600);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    appendRow(grid, "root", 0, "Handler");
    appendRow(grid, "", 1);

    auto open = [&](int row, bool onScreen) {
        grid.removeSubtree(row + 1);
        {
            OutlineGrid::RedrawOff off(grid);
            const int level = grid.outlineLevel(row) + 1;
            for (int k = 0, p = row + 1; k < 13; ++k, p += 2) {
                grid.insertRow(p, "temp");
                grid.setOutlineLevel(p, level);
                grid.setIsNode(p, true);
                grid.setCellText(p, "Main", QString::number(k) + ": Sales " + QString::number(p));
                grid.insertRow(p + 1, "");
                grid.setOutlineLevel(p + 1, level + 1);
                grid.setIsNode(p + 1, true);
                grid.setCollapsed(p, true);
            }
        }
        grid.setRow(row);
        if (onScreen)
            grid.setCollapsed(row, false);
    };

    int opened = 0;
    for (int r = 0; r + 1 < grid.rowCount() && opened < 300; ++r) {
        if (grid.cellText(r + 1, 0).isEmpty() && grid.parentRow(r + 1) == r) {
            open(r, opened % 3 != 2);
            ++opened;
            if (opened % 25 == 0)
                QCoreApplication::processEvents();
        }
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(grid.rowCount(), 2 + 300 * 25);
    EXPECT_EQ(viewVisibleRows(view), gridVisibleRows(grid));
}
