#pragma once

// What the benchmarks compare against: one full open of the recordset cache in the same run.
#include "Median.h"
#include "data/SharedState.h"

#include <QElapsedTimer>
#include <algorithm>
#include <vector>

namespace bench {

// Opens caches of their own beside the run's, each closed again; the time of each in ms.
inline std::vector<double> freshCacheOpens(SharedState& state, int times)
{
    std::vector<double> opens;
    for (int i = 0; i < times; ++i) {
        RecordsetCache cache(state.connections);
        QElapsedTimer t;
        t.start();
        cache.OpenDatabaseRecordsets(state.ConnectionString);
        opens.push_back(t.nsecsElapsed() / 1e6);
        cache.CloseDatabaseRecordsets();
    }
    return opens;
}

// Opens the run's cache (timed) and two more caches for a steadier figure; the median in ms, or
// a negative number when the run's cache did not open.
inline double cacheOpenMs(SharedState& state)
{
    QElapsedTimer t;
    t.start();
    if (!state.cache.OpenDatabaseRecordsets(state.ConnectionString))
        return -1;
    const double own = t.nsecsElapsed() / 1e6;
    std::vector<double> opens = freshCacheOpens(state, 2);
    opens.push_back(own);
    return median(opens);
}

} // namespace bench
