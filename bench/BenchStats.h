#pragma once

#include <algorithm>
#include <cmath>
#include <vector>

// The figures every benchmark prints: the median and the 90th percentile of its samples.
namespace talvaro::bench {

inline double median(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

// Nearest rank: the smallest sample that at least 90 % of the samples do not exceed.
inline double percentile90(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const auto rank = static_cast<size_t>(std::ceil(0.9 * double(values.size())));
    return values[std::max<size_t>(rank, 1) - 1];
}

} // namespace talvaro::bench
