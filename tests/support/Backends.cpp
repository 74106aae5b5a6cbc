#include "support/Backends.h"

#include <gtest/gtest.h>

#include "platform/MemoryRegistry.h"
#ifdef _WIN32
#include "platform/Win32Registry.h"
#endif

namespace nw::test {

std::vector<Backend> AllBackends() {
  std::vector<Backend> backends{{"Memory", [] { return std::make_unique<MemoryRegistry>(); }}};
#ifdef _WIN32
  backends.push_back({"Windows", [] { return std::make_unique<Win32Registry>(); }});
#endif
  return backends;
}

}  // namespace nw::test
