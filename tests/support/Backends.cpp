#include "support/Backends.h"

#include <gtest/gtest.h>

#include "EasyReg/MemoryRegistry.h"
#ifdef _WIN32
#include "EasyReg/Win32Registry.h"
#endif

namespace nw::test {

std::vector<Backend> AllBackends() {
  std::vector<Backend> backends{{"Memory", [] { return std::make_unique<MemoryRegistry>(); }}};
#ifdef _WIN32
  backends.push_back({"Windows", [] { return std::make_unique<Win32Registry>(); }});
#endif
  return backends;
}

std::vector<CodePageBackend> CodePageBackends() {
  std::vector<CodePageBackend> backends{
      {"Memory", [](CodePage codePage, std::string&) { return std::make_unique<MemoryRegistry>(codePage); }}};
#ifdef _WIN32
  backends.push_back({"Windows", [](CodePage codePage, std::string& why) -> std::unique_ptr<Registry> {
                        const unsigned process = CodePage{}.Number();
                        if (codePage.Number() == process) return std::make_unique<Win32Registry>();
                        why = "this process's ANSI code page is " + std::to_string(process) + ", not " +
                              std::to_string(codePage.Number()) +
                              " (under Wine it follows LANG, e.g. ja_JP.UTF-8 for 932, ru_RU.UTF-8 for 1251)";
                        return nullptr;
                      }});
#endif
  return backends;
}

}  // namespace nw::test
