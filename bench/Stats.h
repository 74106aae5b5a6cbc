// What the benchmarks report of a series of timings.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <thread>
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

// How many runs of a series took over 1.2 x its fastest. On a shared machine a
// share of all runs is slowed by work outside the programs; where it nears
// half of a series, that series' median lies among the slowed runs, and a
// ratio of medians says more about the machine than about the programs.
inline long SlowedRuns(const std::vector<double>& values) {
  const double limit = 1.2 * Fastest(values);
  return std::count_if(values.begin(), values.end(), [limit](double value) { return value > limit; });
}

// Prints how many runs of each series were slowed, as "NAME N of RUNS".
struct Series {
  const char* name;
  const std::vector<double>& values;
};

inline void PrintSlowedRuns(std::initializer_list<Series> series) {
  std::printf("slowed runs (over 1.2 x their series' fastest):");
  const char* separator = " ";
  for (const Series& each : series) {
    std::printf("%s%s %ld of %zu", separator, each.name, SlowedRuns(each.values), each.values.size());
    separator = ", ";
  }
  std::printf("\n");
}

// Waits, untimed, before a run starts: Wine's server and desktop process go on
// finishing the last process for some tens of milliseconds after it has ended,
// and a run started meanwhile shares the machine with that work (on a two-core
// machine, that added about 40 ms to every other run of either program alike).
inline void Settle() {
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
}

// A target for a ratio of medians, given on the command line as "at most X";
// none where the argument is missing.
struct Target {
  double atMost = 0;
  explicit operator bool() const { return atMost > 0; }
};

inline Target TargetFrom(int argc, wchar_t** argv, int index) {
  return {index < argc ? std::wcstod(argv[index], nullptr) : 0};
}

// Prints, after a figure, its target and whether the figure meets it; to three
// places, so that a figure just over its target never reads as equal to it.
inline void PrintVerdict(const char* what, double ratio, Target target) {
  if (!target) return;
  std::printf("  target: %s at most %.2f x, measured %.3f x: %s\n", what, target.atMost, ratio,
              ratio <= target.atMost ? "met" : "not met");
}

}  // namespace nw::bench
