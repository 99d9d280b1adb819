// Times the row change of the whole window on a large site: each of ROWS tree rows is made the
// current row one after another, and the window's handler requeries the cache, fills the
// references and loads the pane. The median per row is set against one full open of the
// recordset cache in the same run, in three situations:
//   (b) nothing written meanwhile;
//   (c) right after an edit made by this program (a greeting's caller input, through the cache);
//   (d) right after one row was changed by another connection (a key of some handler).
//   row_change_bench [SERVER_ROOT] [ROWS]   (without a root, a large site is written to a
//                                             temporary folder; 1000 rows by default)
#include "Median.h"
#include "app/Assembly.h"
#include "data/SharedState.h"
#include "db/Sqlite.h"
#include "mainwindow/frmMain.h"
#include "server/ServerFunctions.h"
#include "tools/support/UnattendedRun.h"
#include "tree/TreeDisplayCommands.h"
#include "widgets/OutlineGrid.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using bench::median;

namespace {

double msSince(const QElapsedTimer& t)
{
    return double(t.nsecsElapsed()) / 1e6;
}

struct RowChanges {
    std::vector<double> ms;
    double medianMs() const { return median(ms); }
    double slowest() const { return ms.empty() ? 0 : *std::max_element(ms.begin(), ms.end()); }
};

// Rows spread evenly over the tree, so that every kind of row takes its turn; `before` runs
// untimed ahead of each change.
RowChanges changeRows(OutlineGrid& grid, int wanted, int offset, const std::function<void(int)>& before)
{
    RowChanges result;
    const int rows = grid.rowCount();
    const int step = std::max(1, rows / wanted);
    for (int i = 0; i < wanted; ++i) {
        const int row = (offset + i * step) % rows;
        if (row == grid.row())
            continue;
        before(i);
        QElapsedTimer t;
        t.start();
        grid.setRow(row);
        QApplication::processEvents();
        result.ms.push_back(msSince(t));
    }
    return result;
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
    Assembly program(state);
    frmMain& window = program.window();
    window.Form_Load(QStringList());
    window.show();
    QApplication::processEvents();
    if (!state.cache.rsCallHandler.isOpen()) {
        std::fprintf(stderr, "the cache did not open\n");
        return 1;
    }

    // (a) full opens of the cache beside the program's own
    std::vector<double> opens;
    for (int i = 0; i < 3; ++i) {
        RecordsetCache cache(state.connections);
        QElapsedTimer t;
        t.start();
        cache.OpenDatabaseRecordsets(state.ConnectionString);
        opens.push_back(msSince(t));
        cache.CloseDatabaseRecordsets();
    }
    const double a = median(opens);

    // Rows of every kind to walk: the tree expanded up to its limit.
    program.treeCommands().ExpandAllNodes_Click();
    QApplication::processEvents();
    OutlineGrid& grid = program.treeGrid();

    // (b) nothing written meanwhile
    const RowChanges quiet = changeRows(grid, wanted, 1, [](int) {});

    // (c) an edit of this program before each change, through the recordset the editors write by
    Recordset& greetings = state.cache.rsMessagingRule;
    const RowChanges afterOwnEdit = changeRows(grid, wanted, 2, [&](int i) {
        greetings.moveFirst();
        greetings.setField(QStringLiteral("IgnoreDigits"), i % 2);
        greetings.update();
    });

    // (d) another connection changes one row before each change
    SqliteDb other(state.connections.databasePath(state.ConnectionString), SqliteDb::Mode::ReadWrite);
    const QString anyKey = state.cache.rsMenuentry.isOpen() ? [&] {
        state.cache.rsMenuentry.moveFirst();
        return state.cache.rsMenuentry.field(QStringLiteral("MenuEntryObjectID")).toText();
    }()
                                                            : QString();
    const RowChanges afterOtherChange = changeRows(grid, wanted, 3, [&](int i) {
        other.execute(QStringLiteral("UPDATE MenuEntry SET Locked = ? WHERE MenuEntryObjectID = ?"),
                      {Variant(i % 2), Variant(anyKey)});
    });

    std::printf("(a) OpenDatabaseRecordsets (median of %zu)           %9.1f ms\n", opens.size(), a);
    std::printf("    tree rows to walk                                 %9d\n", grid.rowCount());
    const struct {
        const char* label;
        const RowChanges& r;
    } lines[] = {{"(b) row change, nothing written meanwhile       ", quiet},
                 {"(c) row change right after an own edit          ", afterOwnEdit},
                 {"(d) row change after another connection's change", afterOtherChange}};
    for (const auto& line : lines)
        std::printf("%s median %7.2f ms = %.3f cache opens, slowest %.1f ms, %zu rows\n", line.label, line.r.medianMs(),
                    line.r.medianMs() / a, line.r.slowest(), line.r.ms.size());
    std::printf("message boxes shown: %d\n", run.boxesShown());
    return 0;
}
