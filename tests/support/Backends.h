// The registry backends every registry test runs against: the in-memory one
// everywhere, and the real registry where there is one.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "EasyReg/Registry.h"
#include "platform/AnsiText.h"

namespace nw::test {

struct Backend {
  std::string name;
  std::function<std::unique_ptr<Registry>()> make;
};

std::vector<Backend> AllBackends();
inline void PrintTo(const Backend& backend, std::ostream* out) {
  *out << backend.name;
}
inline std::string BackendName(const testing::TestParamInfo<Backend>& info) {
  return info.param.name;
}

// A backend for names and text in a given ANSI code page. The in-memory
// registry takes any; the real registry only the one of this process, since
// its ANSI entry points convert with that. `make` gives null, and the reason in
// `why`, for a code page the backend cannot take here.
struct CodePageBackend {
  std::string name;
  std::function<std::unique_ptr<Registry>(CodePage codePage, std::string& why)> make;
};

std::vector<CodePageBackend> CodePageBackends();
inline void PrintTo(const CodePageBackend& backend, std::ostream* out) {
  *out << backend.name;
}

}  // namespace nw::test
