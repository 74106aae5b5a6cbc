// What the benchmarks report of a series of timings.
#pragma once

#include <algorithm>
#include <vector>

namespace nw::bench {

// The fastest run: on a shared machine noise only ever adds time.
inline double Fastest(const std::vector<double>& values) {
  return *std::min_element(values.begin(), values.end());
}

inline double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace nw::bench
