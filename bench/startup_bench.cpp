// Times the program against the bare window, alternating the two, and prints
// the medians, the fastest runs and their ratios:
//   startup_bench NOOKWAYER.EXE BARE.EXE SETTINGS.NWK [RUNS [START_TARGET MAKE_TARGET]]
// The floor is BARE.EXE: an empty window, or one with controls like ours.
// With targets, each ratio of medians is checked against its target.
// "start" is the time from starting the process until it has painted its window
// and waits for input (the bare window exits right after its first paint);
// "make link" is a whole run: start, Enter, and the end of the process.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "Stats.h"

namespace {

using nw::bench::Fastest;
using nw::bench::Median;
using nw::bench::PrintVerdict;
using nw::bench::TargetFrom;
using Clock = std::chrono::steady_clock;

struct Started {
  PROCESS_INFORMATION info{};
  Clock::time_point at;
};

Started Start(const std::wstring& exe, const std::wstring& arguments) {
  std::wstring commandLine = L"\"" + exe + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  Started started;
  nw::bench::Settle();
  started.at = Clock::now();
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &started.info)) {
    std::fprintf(stderr, "cannot start %ls (%lu)\n", exe.c_str(), GetLastError());
    std::exit(2);
  }
  return started;
}

double Seconds(Clock::time_point from) {
  return std::chrono::duration<double>(Clock::now() - from).count();
}

void Finish(Started& started, DWORD waitMs) {
  if (WaitForSingleObject(started.info.hProcess, waitMs) != WAIT_OBJECT_0) {
    TerminateProcess(started.info.hProcess, 1);
    WaitForSingleObject(started.info.hProcess, INFINITE);
  }
  CloseHandle(started.info.hThread);
  CloseHandle(started.info.hProcess);
}

// The bare window: start to exit, which comes right after its first paint.
double BareRun(const std::wstring& bare) {
  Started started = Start(bare, L"");
  WaitForSingleObject(started.info.hProcess, INFINITE);
  const double seconds = Seconds(started.at);
  Finish(started, 0);
  return seconds;
}

struct FindData {
  DWORD pid;
  HWND found;
};

BOOL CALLBACK FindMain(HWND hwnd, LPARAM lParam) {
  auto* data = reinterpret_cast<FindData*>(lParam);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  wchar_t name[32];
  if (pid == data->pid && IsWindowVisible(hwnd) && GetClassNameW(hwnd, name, 32) &&
      lstrcmpW(name, L"NookwayerMain") == 0) {
    data->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

HWND MainWindowOf(DWORD pid) {
  FindData data{pid, nullptr};
  for (int i = 0; i < 2000 && data.found == nullptr; ++i) {
    EnumWindows(&FindMain, reinterpret_cast<LPARAM>(&data));
    if (data.found == nullptr) Sleep(1);
  }
  return data.found;
}

// The program up to its painted, idle main window; then closed, untimed.
double ProgramStart(const std::wstring& exe, const std::wstring& file) {
  Started started = Start(exe, file);
  WaitForInputIdle(started.info.hProcess, 10000);
  HWND window = MainWindowOf(started.info.dwProcessId);
  const double seconds = Seconds(started.at);
  if (window != nullptr) PostMessageW(window, WM_CLOSE, 0, 0);
  Finish(started, 10000);
  return seconds;
}

// A whole Make Link run: start, Enter once the window is idle, the end of the process.
double ProgramMakeLink(const std::wstring& exe, const std::wstring& file) {
  Started started = Start(exe, file);
  WaitForInputIdle(started.info.hProcess, 10000);
  HWND window = MainWindowOf(started.info.dwProcessId);
  GUITHREADINFO gui{};
  gui.cbSize = sizeof gui;
  GetGUIThreadInfo(started.info.dwThreadId, &gui);
  HWND target = gui.hwndFocus != nullptr ? gui.hwndFocus : window;
  PostMessageW(target, WM_KEYDOWN, VK_RETURN, 1);
  PostMessageW(target, WM_KEYUP, VK_RETURN, 0xC0000001);
  WaitForSingleObject(started.info.hProcess, 10000);
  const double seconds = Seconds(started.at);
  Finish(started, 0);
  return seconds;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 4) {
    std::fprintf(
        stderr,
        "usage: startup_bench NOOKWAYER.EXE BARE.EXE SETTINGS.NWK [RUNS [START_TARGET MAKE_TARGET]]\n");
    return 2;
  }
  const std::wstring program = argv[1], bare = argv[2], file = argv[3];
  const int runs = argc > 4 ? _wtoi(argv[4]) : 7;
  std::vector<double> bareTimes, startTimes, makeTimes;
  BareRun(bare);  // warm up the caches of both
  ProgramStart(program, file);
  for (int i = 0; i < runs; ++i) {
    bareTimes.push_back(BareRun(bare));
    startTimes.push_back(ProgramStart(program, file));
    bareTimes.push_back(BareRun(bare));
    makeTimes.push_back(ProgramMakeLink(program, file));
  }
  // The median, and the fastest run: on a shared machine the noise only ever
  // adds time, so the fastest runs are the steadiest measure of the cost.
  const double floor = Median(bareTimes), fastestFloor = Fastest(bareTimes);
  std::printf("%-36s median %.3f s            fastest %.3f s\n", "floor (start to first paint, exit):", floor,
              fastestFloor);
  std::printf("%-36s median %.3f s ratio %.2f  fastest %.3f s ratio %.2f\n",
              "start to painted, idle main window:", Median(startTimes), Median(startTimes) / floor,
              Fastest(startTimes), Fastest(startTimes) / fastestFloor);
  PrintVerdict("start", Median(startTimes) / floor, TargetFrom(argc, argv, 5));
  std::printf("%-36s median %.3f s ratio %.2f  fastest %.3f s ratio %.2f\n",
              "whole Make Link run (20 verbs):", Median(makeTimes), Median(makeTimes) / floor,
              Fastest(makeTimes), Fastest(makeTimes) / fastestFloor);
  PrintVerdict("Make Link", Median(makeTimes) / floor, TargetFrom(argc, argv, 6));
  nw::bench::PrintSlowedRuns({{"floor", bareTimes}, {"start", startTimes}, {"Make Link", makeTimes}});
  return 0;
}
