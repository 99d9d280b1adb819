// Times the outline grid and its view on their own, without a site:
//   (1) a tree of 30,000 rows with every branch open: built under redraw off and shown, three
//       rows far apart scrolled to and painted, every row's text rewritten and painted;
//   (2) 1,250 rows opened one after another the way the call-flow tree opens them (placeholder
//       out, link rows in under redraw off, row opened on screen), level by level, to 31,252 rows.
//   grid_bench [RUNS]   (each part is run RUNS times, 3 by default; the median is printed)
#include "Median.h"
#include "widgets/OutlineGrid.h"
#include "widgets/OutlineGridImageList.h"
#include "widgets/OutlineGridModel.h"
#include "widgets/OutlineGridView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

using bench::median;

namespace {

QList<OutlineGrid::Column> treeColumns()
{
    return {{"Main", 1365, false},    {"Conversation", 960, true}, {"Action", 960, true},
            {"ObjectID", 1605, true}, {"NodeType", 960, true},     {"ChildAlias", 960, true}};
}

OutlineGridImageList pictures()
{
    OutlineGridImageList list;
    for (const char* key : {"Handler", "Leaf"}) {
        QPixmap square(16, 16);
        square.fill(QString::fromLatin1(key) == QLatin1String("Leaf") ? Qt::darkGreen : Qt::darkBlue);
        list.add(QString::fromLatin1(key), QIcon(square));
    }
    return list;
}

void appendRow(OutlineGrid& grid, const QString& text, int level, const QString& picture = QString())
{
    const int r = grid.rowCount();
    grid.insertRow(r, text);
    grid.setOutlineLevel(r, level);
    grid.setIsNode(r, true);
    grid.setRowHeight(r, 270);
    grid.setCellPicture(r, QStringLiteral("Main"), picture);
}

struct LargeTree {
    double build = 0, paint = 0, rename = 0;
};

LargeTree largeTree()
{
    OutlineGrid grid;
    grid.setColumns(treeColumns());
    OutlineGridView view(grid);
    const OutlineGridImageList images = pictures();
    view.setImageList(&images);
    view.resize(500, 700);
    view.show();
    QApplication::processEvents();

    LargeTree t;
    QElapsedTimer timer;
    timer.start();
    {
        OutlineGrid::RedrawOff off(grid);
        appendRow(grid, QStringLiteral("root"), 0, QStringLiteral("Handler"));
        for (int h = 0; grid.rowCount() + 10 <= 30000; ++h) {
            appendRow(grid, QStringLiteral("handler %1").arg(h), 1, QStringLiteral("Handler"));
            for (int k = 0; k < 9; ++k)
                appendRow(grid, QStringLiteral("%1: Take Message").arg(k), 2, QStringLiteral("Leaf"));
        }
        grid.showOutline(3);
    }
    QApplication::processEvents();
    t.build = timer.nsecsElapsed() / 1e6;

    timer.restart();
    for (int r : {0, grid.rowCount() / 2, grid.rowCount() - 1}) {
        grid.setRow(r);
        view.scrollTo(view.gridModel().indexForRow(r));
        view.viewport()->repaint();
    }
    t.paint = timer.nsecsElapsed() / 1e6;

    timer.restart();
    for (int r = 0; r < grid.rowCount(); ++r)
        grid.setCellText(r, 0, QStringLiteral("renamed %1").arg(r));
    QApplication::processEvents();
    view.viewport()->repaint();
    t.rename = timer.nsecsElapsed() / 1e6;
    return t;
}

double openRowAfterRow(int wanted)
{
    OutlineGrid grid;
    grid.setColumns(treeColumns());
    OutlineGridView view(grid);
    view.resize(400, 600);
    view.show();
    QApplication::processEvents();
    appendRow(grid, QStringLiteral("root"), 0, QStringLiteral("Handler"));
    appendRow(grid, QString(), 1);

    auto open = [&](int row) {
        {
            OutlineGrid::RedrawOff off(grid);
            grid.removeSubtree(row + 1);
            const int level = grid.outlineLevel(row) + 1;
            for (int k = 0, p = row + 1; k < 13; ++k, p += 2) {
                grid.insertRow(p, QStringLiteral("temp"));
                grid.setOutlineLevel(p, level);
                grid.setIsNode(p, true);
                grid.setCellText(p, QStringLiteral("Main"), QStringLiteral("%1: Sales - Ext:2100 - (Ring Phone)").arg(k));
                grid.insertRow(p + 1, QString());
                grid.setOutlineLevel(p + 1, level + 1);
                grid.setIsNode(p + 1, true);
                grid.setCollapsed(p, true);
            }
            grid.setRow(row);
        }
        grid.setCollapsed(row, false);
    };

    QElapsedTimer timer;
    timer.start();
    int opened = 0;
    for (int level = 0; opened < wanted; ++level) {
        for (int r = 0; r + 1 < grid.rowCount() && opened < wanted; ++r) {
            if (grid.outlineLevel(r) == level && grid.cellText(r + 1, 0).isEmpty()) {
                open(r);
                ++opened;
            }
        }
    }
    QApplication::processEvents();
    view.viewport()->repaint();
    const double ms = timer.nsecsElapsed() / 1e6;
    if (grid.rowCount() != 2 + wanted * 25)
        std::printf("unexpected row count %d\n", grid.rowCount());
    return ms;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;

    std::vector<double> build, paint, rename, opening;
    for (int i = 0; i < runs; ++i) {
        const LargeTree t = largeTree();
        build.push_back(t.build);
        paint.push_back(t.paint);
        rename.push_back(t.rename);
        opening.push_back(openRowAfterRow(1250));
    }
    std::printf("(1) 30,000 open rows: built and shown %8.1f ms, three scrolled paints %7.1f ms, "
                "all renamed and painted %7.1f ms\n",
                median(build), median(paint), median(rename));
    std::printf("(2) 1,250 rows opened on screen, to 31,252 rows  %8.1f ms\n", median(opening));
    std::printf("    (medians of %d runs)\n", runs);
    return 0;
}
