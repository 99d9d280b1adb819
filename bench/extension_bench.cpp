// Times the extension-use search on a large site against one full open of the recordset cache, in
// the same run: the free-extension finder searches every number of a range of up to 5,001. The
// find-extension command's one query is timed for comparison.
//   extension_bench [SERVER_ROOT]   (without a root, a large site is written to a temporary folder)
#include "CacheOpenTime.h"
#include "data/ExtensionSearch.h"
#include "data/SharedState.h"
#include "db/Query.h"
#include "server/ServerFunctions.h"
#include "server/SiteWriter.h"
#include "support/UnattendedRun.h"
#include "tree/FindExtension.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

struct RangeRun {
    double ms = 0;
    double slowest = 0;
    int inUse = 0;
    int failed = 0;
};

RangeRun searchRange(SharedState& state, int first, int last)
{
    RangeRun run;
    QElapsedTimer total;
    total.start();
    for (int n = first; n <= last; ++n) {
        QElapsedTimer one;
        one.start();
        const ExtensionMatches found = findAllDTMFIDMatches(state, QString::number(n));
        run.slowest = std::max(run.slowest, one.nsecsElapsed() / 1e6);
        if (!found.complete())
            ++run.failed;
        else if (found.upperBound() > 0)
            ++run.inUse;
    }
    run.ms = total.nsecsElapsed() / 1e6;
    return run;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir temp;
    const QString root = benchmarkSite(argc, argv, temp.path());

    UnattendedRun run(root, temp.path());
    SharedState& state = run.state();
    state.ConnectionString = ConnectionFactory::connectionStringFor(QStringLiteral("BENCH"));
    state.changeLog.OpenSessionLog(state.changeLog.GenerateNewLogFileName());

    // (a) one full open of the cache: the run's own, and two more for a steadier figure
    const double a = bench::cacheOpenMs(state);
    if (a < 0) {
        std::fprintf(stderr, "the cache did not open\n");
        return 1;
    }
    std::printf("(a) OpenDatabaseRecordsets (median of 3)     %9.1f ms\n", a);
    std::printf("    the site's dialing domain: \"%s\"\n", qPrintable(state.cache.LocalDialingDomainName));

    // (b) 5,001 searches where every number is a subscriber's, (c) where nearly all are free: the
    // call handlers' numbers start at 300000 and end at 304999.
    const RangeRun used = searchRange(state, 201000, 206000);
    const RangeRun free = searchRange(state, 304998, 309998);
    for (const auto& [label, run] :
         {std::pair{"(b) 5,001 searches, 201000-206000", used}, std::pair{"(c) 5,001 searches, 304998-309998", free}}) {
        std::printf("%s           %9.1f ms   %.3f ms each, slowest %.2f ms, %d in use, %d failed\n", label, run.ms, run.ms / 5001,
                    run.slowest, run.inUse, run.failed);
        std::printf("    ratio to (a) = %.3f (target <= 1)\n", run.ms / a);
    }

    // (d) the Extensions menu's "Find extension in database": one query over the whole dialing
    // domain, each run on a connection of its own as the command opens one; numbers of
    // subscribers, of call handlers and free ones in turn
    {
        std::vector<double> ms;
        size_t rows = 0;
        const QStringList numbers{QStringLiteral("201000"), QStringLiteral("300017"), QStringLiteral("309998")};
        for (int i = 0; i < 21; ++i) {
            QElapsedTimer t;
            t.start();
            rows += runQuery(state.connections.open(state.ConnectionString)->db(), FindExtension::query(), {numbers[i % 3]})
                        .rows.size();
            ms.push_back(t.nsecsElapsed() / 1e6);
        }
        const double d = bench::median(ms);
        std::printf("(d) find extension, one search (median of %zu, %zu rows found) %7.2f ms   d/a = %.4f (target <= 0.05)\n",
                    ms.size(), rows, d, d / a);
    }
    return 0;
}
