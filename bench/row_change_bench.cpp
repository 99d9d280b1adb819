// Times the row change of the whole window on a large site: tree rows are made current one after
// another, and the window's handler requeries the cache, fills the references and loads the pane.
// Each figure is set against one full open of the recordset cache in the same run:
//   (b) call handler and interview handler rows, nothing written meanwhile (and every kind of row,
//       all together and each kind on its own);
//   (c) right after an edit made by this program (a greeting's caller input, through the cache);
//   (d) call handler and interview handler rows right after one row was changed by another
//       connection (a key of some handler);
//   (e) the slowest rows: the opening greeting and the first menu, which every subscriber and
//       every handler refers to, each with the longest time the window went without its event
//       loop running (it repaints only when that runs).
//   row_change_bench [SERVER_ROOT] [ROWS]   (without a root, a large site is written to a
//                                             temporary folder; 1000 rows by default)
#include "CacheOpenTime.h"
#include "StartWindow.h"
#include "app/Assembly.h"
#include "data/SharedState.h"
#include "db/Sqlite.h"
#include "mainwindow/frmMain.h"
#include "server/ServerFunctions.h"
#include "support/UnattendedRun.h"
#include "tree/TreeDisplayCommands.h"
#include "tree/TreeRowModel.h"
#include "widgets/OutlineGrid.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <utility>
#include <vector>

using bench::median;

namespace {

double msSince(const QElapsedTimer& t)
{
    return double(t.nsecsElapsed()) / 1e6;
}

// The longest stretch between two runs of the event loop while it is armed.
class EventLoopGaps {
public:
    EventLoopGaps()
    {
        QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::awake, [this] { tick(); });
    }
    void arm()
    {
        m_longest = 0;
        m_clock.start();
        m_last = 0;
    }
    double disarm()
    {
        tick();
        m_clock.invalidate();
        return m_longest;
    }

private:
    void tick()
    {
        if (!m_clock.isValid())
            return;
        const double now = msSince(m_clock);
        m_longest = std::max(m_longest, now - m_last);
        m_last = now;
    }
    QElapsedTimer m_clock;
    double m_last = 0, m_longest = 0;
};

struct RowChanges {
    std::vector<double> ms;
    double slowestMs = 0;
    QString slowestRow;
    double medianMs() const { return median(ms); }
};

double changeTo(OutlineGrid& grid, int row)
{
    QElapsedTimer t;
    t.start();
    grid.setRow(row);
    QApplication::processEvents();
    return msSince(t);
}

// The rows made current in turn; `before` runs untimed ahead of each change.
RowChanges changeRows(OutlineGrid& grid, const std::vector<int>& rows, const std::function<void(int)>& before)
{
    RowChanges result;
    for (size_t i = 0; i < rows.size(); ++i) {
        if (rows[i] == grid.row())
            continue;
        before(int(i));
        const double ms = changeTo(grid, rows[i]);
        result.ms.push_back(ms);
        if (ms > result.slowestMs) {
            result.slowestMs = ms;
            result.slowestRow = grid.cellText(rows[i], TreeColumn::Main);
        }
    }
    return result;
}

// Up to `wanted` rows spread evenly over those that pass.
std::vector<int> spreadRows(OutlineGrid& grid, int wanted, int offset, const std::function<bool(int)>& passes)
{
    std::vector<int> all;
    for (int r = 1; r < grid.rowCount(); ++r)
        if (passes(r))
            all.push_back(r);
    std::vector<int> picked;
    const size_t step = std::max<size_t>(1, all.size() / size_t(std::max(wanted, 1)));
    for (size_t i = size_t(offset) % step; i < all.size() && picked.size() < size_t(wanted); i += step)
        picked.push_back(all[i]);
    return picked;
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
    if (!bench::startWindow(window, state))
        return 1;

    // (a) full opens of the cache beside the program's own
    const double a = median(bench::freshCacheOpens(state, 3));

    // Rows of every kind to walk: the tree expanded up to its limit.
    program.treeCommands().ExpandAllNodes_Click();
    QApplication::processEvents();
    OutlineGrid& grid = program.treeGrid();
    const auto typeOf = [&](int r) { return grid.cellData(r, TreeColumn::NodeType).toInt16(); };
    const auto handlerRow = [&](int r) { return typeOf(r) == TreeNodeType::CallHandler || typeOf(r) == TreeNodeType::Interviewer; };

    // (b) nothing written meanwhile
    const RowChanges handlers = changeRows(grid, spreadRows(grid, wanted, 1, handlerRow), [](int) {});
    const RowChanges quiet = changeRows(grid, spreadRows(grid, wanted, 1, [](int) { return true; }), [](int) {});
    // and each kind of row on its own: a kind slower than the rest would hide in the median above
    const struct {
        qint16 type;
        const char* name;
    } kinds[] = {{TreeNodeType::CallHandler, "call handler"},
                 {TreeNodeType::Subscriber, "subscriber"},
                 {TreeNodeType::Interviewer, "interview handler"},
                 {TreeNodeType::DirectoryHandler, "directory handler"},
                 {TreeNodeType::DuplicateHandler, "call handler met before"},
                 {TreeNodeType::DuplicateSubscriber, "subscriber met before"},
                 {TreeNodeType::InvalidLink, "invalid link"},
                 {TreeNodeType::Leaf, "leaf (key, greeting, rule)"}};
    std::vector<std::pair<const char*, RowChanges>> byKind;
    for (const auto& kind : kinds)
        byKind.emplace_back(
            kind.name, changeRows(grid, spreadRows(grid, std::max(1, wanted / 5), 1, [&](int r) { return typeOf(r) == kind.type; }),
                                  [](int) {}));

    // (c) an edit of this program before each change, through the recordset the editors write by
    Recordset& greetings = state.cache.rsMessagingRule;
    const RowChanges afterOwnEdit = changeRows(grid, spreadRows(grid, wanted, 2, handlerRow), [&](int i) {
        greetings.moveFirst();
        greetings.setField(QStringLiteral("IgnoreDigits"), i % 2);
        greetings.update();
    });

    // (d) another connection changes one row before each change
    SqliteDb other(state.connections.databasePath(state.ConnectionString), SqliteDb::Mode::ReadWrite);
    state.cache.rsMenuentry.moveFirst();
    const QString anyKey = state.cache.rsMenuentry.field(QStringLiteral("MenuEntryObjectID")).toText();
    const RowChanges afterOtherChange = changeRows(grid, spreadRows(grid, wanted, 3, handlerRow), [&](int i) {
        other.execute(QStringLiteral("UPDATE MenuEntry SET Locked = ? WHERE MenuEntryObjectID = ?"),
                      {Variant(i % 2), Variant(anyKey)});
    });

    // (e) the slowest rows, each reached five times from a key row
    const QString firstMenu = [&] {
        Recordset& ch = state.cache.rsCallHandler;
        ch.moveFirst();
        return ch.find(QStringLiteral("Alias"), QStringLiteral("ch0001")) ? ch.field(QStringLiteral("CallHandlerObjectID")).toText()
                                                                          : QString();
    }();
    int firstMenuRow = -1;
    for (int r = 1; r < grid.rowCount() && firstMenuRow < 0; ++r)
        if (typeOf(r) == TreeNodeType::CallHandler && grid.cellText(r, TreeColumn::ObjectID) == firstMenu)
            firstMenuRow = r;
    int elsewhere = 1;
    while (elsewhere < grid.rowCount() && handlerRow(elsewhere))
        ++elsewhere;
    EventLoopGaps gaps;
    struct Slow {
        const char* label;
        int row;
        std::vector<double> ms, stalls;
    } slow[] = {{"the opening greeting", 0, {}, {}}, {"the first menu (ch0001)", firstMenuRow, {}, {}}};
    for (Slow& s : slow) {
        for (int i = 0; s.row >= 0 && i < 5; ++i) {
            changeTo(grid, elsewhere);
            gaps.arm();
            s.ms.push_back(changeTo(grid, s.row));
            s.stalls.push_back(gaps.disarm());
        }
    }

    std::printf("(a) OpenDatabaseRecordsets (median of 3)           %9.1f ms\n", a);
    std::printf("    tree rows to walk                                 %9d\n", grid.rowCount());
    const struct {
        const char* label;
        const RowChanges& r;
    } lines[] = {{"(b) handler rows, nothing written meanwhile        ", handlers},
                 {"    every kind of row, nothing written meanwhile   ", quiet},
                 {"(c) handler rows right after an own edit           ", afterOwnEdit},
                 {"(d) handler rows after another connection's change", afterOtherChange}};
    for (const auto& line : lines)
        std::printf("%s median %7.2f ms = %.3f cache opens (target <= 0.05), slowest %.1f ms (%s), %zu rows\n", line.label,
                    line.r.medianMs(), line.r.medianMs() / a, line.r.slowestMs, qPrintable(line.r.slowestRow), line.r.ms.size());
    for (const auto& [name, r] : byKind)
        if (!r.ms.empty())
            std::printf("    %-27s median %7.2f ms = %.3f cache opens, slowest %.1f ms (%s), %zu rows\n", name, r.medianMs(),
                        r.medianMs() / a, r.slowestMs, qPrintable(r.slowestRow), r.ms.size());
    for (const Slow& s : slow) {
        if (s.ms.empty()) {
            std::printf("(e) %s: no such row in the tree\n", s.label);
            continue;
        }
        std::printf("(e) %-28s median %7.1f ms = %.3f cache opens (target <= 0.15), longest without the event loop %.1f ms\n",
                    s.label, median(s.ms), median(s.ms) / a, median(s.stalls));
    }
    std::printf("message boxes shown: %d\n", run.boxesShown());
    return 0;
}
