#pragma once

// What the benchmarks compare against: one full open of the recordset cache in the same run.
#include "Median.h"
#include "data/SharedState.h"

#include <QElapsedTimer>
#include <algorithm>
#include <vector>

namespace bench {

// Opens the run's cache (timed) and two more caches for a steadier figure; the median in ms, or
// a negative number when the run's cache did not open.
inline double cacheOpenMs(SharedState& state)
{
    std::vector<double> opens;
    {
        QElapsedTimer t;
        t.start();
        if (!state.cache.OpenDatabaseRecordsets(state.ConnectionString))
            return -1;
        opens.push_back(t.nsecsElapsed() / 1e6);
    }
    for (int i = 0; i < 2; ++i) {
        RecordsetCache cache(state.connections);
        QElapsedTimer t;
        t.start();
        cache.OpenDatabaseRecordsets(state.ConnectionString);
        opens.push_back(t.nsecsElapsed() / 1e6);
        cache.CloseDatabaseRecordsets();
    }
    return median(opens);
}

} // namespace bench
