// The registry backends every registry test runs against: the in-memory one
// everywhere, and the real registry where there is one.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Registry.h"

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

}  // namespace nw::test
