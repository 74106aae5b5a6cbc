// Times the settings reader on a file and reports the peak memory of the
// process:  reader_bench FILE
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "NW_Core/NW_Core.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: reader_bench FILE\n");
    return 2;
  }
  const std::string path = argv[1];
  const auto start = std::chrono::steady_clock::now();
  std::optional<nw::TextInput> input = nw::TextInput::Open(std::wstring(path.begin(), path.end()));
  nw::FolderDefinition definition;
  const bool complete = input && nw::ReadDefinition(*input, definition);
  const double ms =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("%-40s %s in %8.3f ms, %zu menu lines, peak memory %ld KiB\n", path.c_str(),
              complete ? "read   " : "refused", ms, definition.MenuItems.size(), usage.ru_maxrss);
  return 0;
}
