// Times, on a large site and against one full open of the recordset cache in the same run:
//   (b) "Expand all nodes" from the opening greeting, up to the tree's row limit, the tree's view
//       on screen and its row-change handler connected, as in the window;
//   (c) a load of the object list's subscriber kind, the list on screen and painted;
//   (d) scrolling that list a page at a time, each page painted.
//   tree_commands_bench [SERVER_ROOT]   (without a root, a large site is written to a temporary folder)
#include "Median.h"
#include "data/SharedState.h"
#include "server/ServerFunctions.h"
#include "server/SiteWriter.h"
#include "support/UnattendedRun.h"
#include "tree/CallFlowTree.h"
#include "tree/ObjectListPage.h"
#include "tree/TreeDisplayCommands.h"
#include "tree/TreeEvents.h"
#include "tree/TreeRowModel.h"
#include "widgets/BoundGrid.h"
#include "widgets/OutlineGrid.h"
#include "widgets/OutlineGridView.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

using bench::median;

namespace {

double msSince(const QElapsedTimer& t)
{
    return double(t.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir temp;
    const QString root = benchmarkSite(argc, argv, temp.path());

    UnattendedRun run(root, temp.path());
    SharedState& state = run.state();
    state.ConnectionString = ConnectionFactory::connectionStringFor(QStringLiteral("BENCH"));

    // (a) one full open of the cache: the run's own, and two more for a steadier figure
    std::vector<double> opens;
    {
        QElapsedTimer t;
        t.start();
        if (!state.cache.OpenDatabaseRecordsets(state.ConnectionString)) {
            std::fprintf(stderr, "the cache did not open\n");
            return 1;
        }
        opens.push_back(msSince(t));
    }
    for (int i = 0; i < 2; ++i) {
        RecordsetCache cache(state.connections);
        QElapsedTimer t;
        t.start();
        cache.OpenDatabaseRecordsets(state.ConnectionString);
        opens.push_back(msSince(t));
        cache.CloseDatabaseRecordsets();
    }
    const double a = median(opens);

    // The tree as the window has it: the options at their start states, the view on screen,
    // the row-change handler connected (without a pane, references or popup).
    OutlineGrid grid;
    OutlineGridView view(grid);
    view.resize(500, 800);
    QAction ignoreKey(nullptr), noLeafs(nullptr), afterMessage(nullptr), afterGreeting(nullptr);
    for (QAction* option : {&ignoreKey, &noLeafs, &afterMessage, &afterGreeting})
        option->setCheckable(true);
    ignoreKey.setChecked(true);
    afterMessage.setChecked(true);
    CallFlowTree tree(state, grid, {&ignoreKey, &noLeafs, &afterMessage, &afterGreeting}, &view, &view);
    TreeEvents events(state, grid, view, tree);
    TreeDisplayCommands commands(state, grid, tree);
    commands.connectTo(TreeCommandItems{}, &events, nullptr, nullptr, nullptr, &view);

    Recordset& ch = state.cache.rsCallHandler;
    ch.moveFirst();
    if (!ch.find(QStringLiteral("Alias"), QStringLiteral("openinggreetingch"))) {
        std::fprintf(stderr, "no opening greeting on this site\n");
        return 1;
    }
    const QString opening = ch.field(QStringLiteral("CallHandlerObjectID")).toText();
    tree.setTreeRoot(opening, TreeNodeType::CallHandler);
    tree.AddNewNode(opening, TreeNodeType::CallHandler);
    view.show();
    QApplication::processEvents();

    // (b) expand all, the view catching up and painting once at the end
    QElapsedTimer expandTimer;
    expandTimer.start();
    commands.ExpandAllNodes_Click();
    QApplication::processEvents();
    const double b = msSince(expandTimer);
    const int expandedRows = grid.rowCount();
    view.hide();

    // (c) the subscriber list, loaded and painted
    ObjectListPage page(state);
    page.resize(500, 800);
    page.show();
    QApplication::processEvents();
    QElapsedTimer listTimer;
    listTimer.start();
    page.ChooseObjectType(ObjectListPage::Subscribers);
    QApplication::processEvents();
    const double c = msSince(listTimer);
    auto* list = page.findChild<BoundGrid*>(QStringLiteral("gridObjects"));
    const int listRows = list ? list->rows().rowCount() : 0;

    // (d) scrolling the list a page at a time to its end, each page painted
    std::vector<double> pages;
    if (list) {
        QScrollBar* bar = list->verticalScrollBar();
        const int step = std::max(1, bar->pageStep());
        for (int v = 0; v <= bar->maximum() && pages.size() < 400; v += step * (bar->maximum() / step / 400 + 1)) {
            QElapsedTimer t;
            t.start();
            bar->setValue(v);
            list->viewport()->repaint();
            pages.push_back(msSince(t));
        }
    }

    std::printf("(a) OpenDatabaseRecordsets (median of %zu)         %9.1f ms\n", opens.size(), a);
    std::printf("(b) Expand all nodes from the opening greeting     %9.1f ms   %d rows\n", b, expandedRows);
    std::printf("    b/a = %.3f (target <= 3)\n", b / a);
    std::printf("(c) subscriber list loaded and painted             %9.1f ms   %d rows\n", c, listRows);
    std::printf("    c/a = %.3f (target <= 1)\n", c / a);
    if (!pages.empty())
        std::printf("(d) %zu pages scrolled and painted: median %.2f ms, slowest %.2f ms\n", pages.size(), median(pages),
                    *std::max_element(pages.begin(), pages.end()));
    if (run.boxesShown() > 0)
        std::printf("%d message boxes were shown\n", run.boxesShown());
    return 0;
}
