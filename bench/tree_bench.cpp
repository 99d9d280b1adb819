// Times opening call handler rows of the call-flow tree on a large site against one full open of
// the recordset cache, in the same run: (b) with the window's model following the rows, (c) once
// more with the view on screen repainting after every opening, and (d) with the view on screen
// and every opened row shown open, as a user clicking down the tree sees it.
//   tree_bench [SERVER_ROOT] [ROWS]   (without a root, a large site is written to a temporary
//                                      folder; ROWS call handler rows are opened, 1000 by default)
#include "CacheOpenTime.h"
#include "data/SharedState.h"
#include "server/ServerFunctions.h"
#include "server/SiteWriter.h"
#include "support/UnattendedRun.h"
#include "tree/CallFlowTree.h"
#include "tree/TreeRowModel.h"
#include "widgets/OutlineGrid.h"
#include "widgets/OutlineGridView.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

struct Expansions {
    int opened = 0;
    double ms = 0;
    double slowest = 0;
    int rows = 0;
};

// Rows are opened depth first. Unless shown open, an opened row stays closed as the tree leaves
// it, and the rows opened after it lie inside it, out of sight.
Expansions openHandlerRows(OutlineGrid& grid, CallFlowTree& tree, int wanted, bool showOpen = false)
{
    Expansions e;
    for (int r = 1; r + 1 < grid.rowCount() && e.opened < wanted; ++r) {
        const bool handlerRow = grid.cellData(r, TreeColumn::NodeType).textOrEmpty() == QLatin1String("3");
        const bool placeholder = grid.cellText(r + 1, TreeColumn::Main).isEmpty() && grid.parentRow(r + 1) == r;
        if (!handlerRow || !placeholder)
            continue;
        QElapsedTimer t;
        t.start();
        grid.removeSubtree(r + 1);
        tree.ExpandRow(static_cast<qint16>(r));
        if (showOpen)
            grid.setCollapsed(r, false);
        QApplication::processEvents();
        const double ms = t.nsecsElapsed() / 1e6;
        e.ms += ms;
        e.slowest = std::max(e.slowest, ms);
        ++e.opened;
    }
    e.rows = grid.rowCount();
    return e;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir temp;
    const int wanted = argc > 2 ? std::max(1, atoi(argv[2])) : 1000;
    const QString root = benchmarkSite(argc, argv, temp.path());

    UnattendedRun run(root, temp.path());
    SharedState& state = run.state();
    state.ConnectionString = ConnectionFactory::connectionStringFor(QStringLiteral("BENCH"));

    // (a) one full open of the cache: the run's own, and a few more for a steadier figure
    const double a = bench::cacheOpenMs(state);
    if (a < 0) {
        std::fprintf(stderr, "the cache did not open\n");
        return 1;
    }

    // The tree in a grid with its view, the options at their start states.
    OutlineGrid grid;
    OutlineGridView view(grid);
    view.resize(500, 800);
    QAction ignoreKey(nullptr), noLeafs(nullptr), afterMessage(nullptr), afterGreeting(nullptr);
    for (QAction* a : {&ignoreKey, &noLeafs, &afterMessage, &afterGreeting})
        a->setCheckable(true);
    ignoreKey.setChecked(true);
    afterMessage.setChecked(true);
    CallFlowTree tree(state, grid, {&ignoreKey, &noLeafs, &afterMessage, &afterGreeting}, &view, &view);

    Recordset& ch = state.cache.rsCallHandler;
    ch.moveFirst();
    if (!ch.find(QStringLiteral("Alias"), QStringLiteral("openinggreetingch"))) {
        std::fprintf(stderr, "no opening greeting on this site\n");
        return 1;
    }
    const QString rootId = ch.field(QStringLiteral("CallHandlerObjectID")).toText();
    QElapsedTimer rootTimer;
    rootTimer.start();
    tree.AddNewNode(rootId, TreeNodeType::CallHandler);
    QApplication::processEvents();
    const double rootMs = rootTimer.nsecsElapsed() / 1e6;

    // (b) call handler rows opened one after another, depth first, each as the tree's opener does
    // it: the placeholder goes, the row is built, the window's model catches up.
    const Expansions hidden = openHandlerRows(grid, tree, wanted);
    // (c) the same once more with the view on screen, repainting after each opening
    grid.setRowCount(0);
    tree.AddNewNode(rootId, TreeNodeType::CallHandler);
    view.show();
    QApplication::processEvents();
    const Expansions painted = openHandlerRows(grid, tree, wanted);
    // (d) the same, every opened row shown open
    grid.setRowCount(0);
    tree.AddNewNode(rootId, TreeNodeType::CallHandler);
    QApplication::processEvents();
    const Expansions shownOpen = openHandlerRows(grid, tree, wanted, true);

    std::printf("(a) OpenDatabaseRecordsets (median of 3)            %9.1f ms\n", a);
    std::printf("    AddNewNode, root and first level, first lookups %7.1f ms\n", rootMs);
    std::printf("(b) %d call handler rows opened                  %9.1f ms   %.3f ms each, slowest %.2f ms, %d rows\n",
                hidden.opened, hidden.ms, hidden.ms / std::max(hidden.opened, 1), hidden.slowest, hidden.rows);
    std::printf("    b/a = %.3f (target < 1)\n", hidden.ms / a);
    std::printf("(c) the same, the view repainting after each      %9.1f ms   %.3f ms each\n", painted.ms,
                painted.ms / std::max(painted.opened, 1));
    std::printf("    c/a = %.3f\n", painted.ms / a);
    std::printf("(d) the same, every opened row shown open          %9.1f ms   %.3f ms each\n", shownOpen.ms,
                shownOpen.ms / std::max(shownOpen.opened, 1));
    std::printf("    d/a = %.3f\n", shownOpen.ms / a);
    if (hidden.opened < wanted)
        std::printf("only %d call handler rows could be opened on this site\n", hidden.opened);
    if (run.boxesShown() > 0)
        std::printf("%d message boxes were shown\n", run.boxesShown());
    return 0;
}
