#pragma once

#include <algorithm>
#include <vector>

namespace bench {

// The figure the benchmarks quote: the middle of the runs, 0 when there were none.
inline double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

} // namespace bench
