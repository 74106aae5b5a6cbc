// Times two command lines against each other, alternating them, and prints
// the median and the fastest run of each, and their ratios:
//   pair_bench RUNS "COMMAND A" "COMMAND B" [TARGET ["BEFORE"]]
// With a target (or "-" for none), the ratio of the medians A/B is checked
// against it. BEFORE, untimed, runs before every run of either command: to
// time each from the same state of the machine.
// Each run is one process from its start to its end; a run that fails (exit
// status other than 0) stops the benchmark, so a broken command is never timed.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "Stats.h"

namespace {

using nw::bench::Fastest;
using nw::bench::Median;
using nw::bench::PrintVerdict;
using nw::bench::TargetFrom;
using Clock = std::chrono::steady_clock;

// What the commands print goes nowhere: only their work is timed.
HANDLE NulDevice() {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  static HANDLE nul = CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                  OPEN_EXISTING, 0, nullptr);
  return nul;
}

double Run(std::wstring commandLine) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = startup.hStdError = NulDevice();
  PROCESS_INFORMATION info{};
  nw::bench::Settle();
  const auto from = Clock::now();
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                      &info)) {
    std::fprintf(stderr, "cannot start %ls (%lu)\n", commandLine.c_str(), GetLastError());
    std::exit(2);
  }
  WaitForSingleObject(info.hProcess, INFINITE);
  const double seconds = std::chrono::duration<double>(Clock::now() - from).count();
  DWORD status = 1;
  GetExitCodeProcess(info.hProcess, &status);
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  if (status != 0) {
    std::fprintf(stderr, "%ls ended with %lu\n", commandLine.c_str(), status);
    std::exit(2);
  }
  return seconds;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 4 || argc > 6 || _wtoi(argv[1]) < 1) {
    std::fprintf(stderr, "usage: pair_bench RUNS \"COMMAND A\" \"COMMAND B\" [TARGET [\"BEFORE\"]]\n");
    return 2;
  }
  const int runs = _wtoi(argv[1]);
  const std::wstring before = argc > 5 ? argv[5] : L"";
  const auto timed = [&](const std::wstring& command) {
    if (!before.empty()) Run(before);
    return Run(command);
  };
  const std::wstring a = argv[2], b = argv[3];
  timed(a);  // warm up the caches of both
  timed(b);
  std::vector<double> aTimes, bTimes;
  for (int i = 0; i < runs; ++i) {
    aTimes.push_back(timed(a));
    bTimes.push_back(timed(b));
  }
  std::printf("median  A %.4f s  B %.4f s  ratio A/B %.2f\n", Median(aTimes), Median(bTimes),
              Median(aTimes) / Median(bTimes));
  std::printf("fastest A %.4f s  B %.4f s  ratio A/B %.2f  (%d alternating runs each)\n", Fastest(aTimes),
              Fastest(bTimes), Fastest(aTimes) / Fastest(bTimes), runs);
  PrintVerdict("A/B", Median(aTimes) / Median(bTimes), TargetFrom(argc, argv, 4));
  nw::bench::PrintSlowedRuns({{"A", aTimes}, {"B", bTimes}});
  return 0;
}
