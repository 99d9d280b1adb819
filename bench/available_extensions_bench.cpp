// Times the available-extensions finder's Search on a large site, in its real window (progress
// bar, repaints, Exit watched), against one full open of the recordset cache in the same run: a
// scan of 5,001 numbers should cost no more than that open.
//   available_extensions_bench [SERVER_ROOT]   (without a root, a large site is written to a temporary folder)
#include "CacheOpenTime.h"
#include "data/SharedState.h"
#include "dialogs/AvailableExtensions.h"
#include "support/UnattendedRun.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

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
    state.changeLog.OpenSessionLog(state.changeLog.GenerateNewLogFileName());

    // (a) one full open of the cache: the run's own, and two more for a steadier figure
    const double open = bench::cacheOpenMs(state);
    if (open < 0) {
        std::fprintf(stderr, "the cache did not open\n");
        return 1;
    }
    std::printf("(a) OpenDatabaseRecordsets (median of 3)        %9.1f ms\n", open);

    frmAvailableExtensions window(state);
    window.show();
    app.processEvents();
    int paints = 0;
    struct PaintCounter : QObject {
        int& count;
        explicit PaintCounter(int& c)
            : count(c)
        {
        }
        bool eventFilter(QObject*, QEvent* e) override
        {
            if (e->type() == QEvent::Paint)
                ++count;
            return false;
        }
    } counter(paints);
    window.ProgressBar->installEventFilter(&counter);

    // (b) every number a subscriber's, (c) nearly all free: the call handlers' numbers run from
    // 300000 to 304999.
    for (const auto& [label, first, last] :
         {std::tuple{"(b) Search 201000-206000", "201000", "206000"}, std::tuple{"(c) Search 304998-309998", "304998", "309998"}}) {
        window.txtStartRange->setText(QString::fromLatin1(first));
        window.txtEndRange->setText(QString::fromLatin1(last));
        paints = 0;
        const int boxes = run.boxesShown();
        QElapsedTimer t;
        t.start();
        window.cmdSearch_Click();
        const double ms = t.nsecsElapsed() / 1e6;
        std::printf("%s, 5,001 numbers            %9.1f ms   %d listed, %d bar repaints, %d box(es)\n", label, ms,
                    window.listAvailableExtensions->count(), paints, run.boxesShown() - boxes);
        std::printf("    ratio to (a) = %.3f (target <= 1)\n", ms / open);
    }
    return 0;
}
