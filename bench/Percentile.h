#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

// The value below which the given percent of the samples lie (nearest rank); 0 for none.
inline double Percentile(std::vector<double> v, int percent)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[std::min(v.size() - 1, v.size() * std::size_t(percent) / 100)];
}
