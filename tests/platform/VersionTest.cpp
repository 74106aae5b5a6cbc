#include <gtest/gtest.h>

#include "platform/Version.h"

namespace nw::test {
namespace {

TEST(VersionText, PadsMinorAndRevisionButNeverCutsDigits) {
  struct Case {
    VersionNumbers version;
    const wchar_t* text;
  };
  const Case cases[] = {
      {{1, 0, 0}, L"v1.00.0000"},
      {{2, 5, 17}, L"v2.05.0017"},
      {{1, 123, 0}, L"v1.123.0000"},
      {{65535, 65535, 65535}, L"v65535.65535.65535"},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatVersion(c.version), c.text);
}

}  // namespace
}  // namespace nw::test
