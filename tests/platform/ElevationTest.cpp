// The start-up's choice between running here and in an elevated copy, and the
// name of the file that copy is given, against a system whose token, drives
// and shares are the test's: the split token and per-session drives are
// Windows' alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>
#include <map>
#include <string>
#include <vector>

#include "NW_Core/NW_Core.h"
#include "platform/Elevation.h"

namespace nw::test {
namespace {

std::wstring Upper(std::wstring text) {
  std::transform(text.begin(), text.end(), text.begin(), [](wchar_t c) { return std::towupper(c); });
  return text;
}

// A user's session: its current folder, drives and shares, and what an
// elevated start does.
class FakeSystem final : public ElevationSystem {
 public:
  TokenRights rights = TokenRights::Limited;
  // GetFullPathNameW's part: relative paths go below this folder.
  std::wstring currentFolder = L"C:\\Users\\ann\\Documents";
  bool fullPathFails = false;
  // What each drive stands for (QueryDosDeviceW) and the share each mapped
  // drive's root is (WNetGetUniversalNameW), by the drive in upper case.
  std::map<std::wstring, std::wstring> devices = {
      {L"C:", L"\\Device\\HarddiskVolume2"},
      {L"Z:", L"\\Device\\LanmanRedirector\\;Z:00000000000a1b2c\\fileserver\\tools"},
      {L"Y:", L"\\Device\\LanmanRedirector\\;Y:00000000000a1b2c\\fileserver\\home\\ann"},
      {L"S:", L"\\??\\C:\\Projects\\nwk"},
      {L"T:", L"\\??\\C:\\"},
      {L"U:", L"\\??\\Z:\\admin"},
      {L"V:", L"\\??\\UNC\\fileserver\\tools\\admin"},
      {L"W:", L"\\??\\W:\\"},
      {L"G:", L"\\??\\Volume{3e5a1c52-7b8d-4f61-9a2e-0c4d6b8f1e27}\\data"},
      {L"R:", L"\\Device\\LanmanRedirector\\;R:00000000000a1b2c\\oldserver\\gone"},
  };
  std::map<std::wstring, std::wstring> shares = {
      {L"Z:\\", L"\\\\fileserver\\tools\\"},
      {L"Y:\\", L"\\\\fileserver\\home\\ann"},
  };
  std::wstring program = L"C:\\Program Files\\Nookwayer\\nookwayer.exe";
  ElevatedRun result{ElevatedRun::Outcome::Exited, 0};

  struct Launch {
    std::wstring file, parameters;
    bool operator==(const Launch&) const = default;
  };
  std::vector<Launch> launches;

  TokenRights Rights() override { return rights; }
  std::optional<std::wstring> FullPath(const std::wstring& path) override {
    if (fullPathFails) return {};
    const bool absolute =
        path.starts_with(L"\\\\") || (path.size() >= 3 && path[1] == L':' && path[2] == L'\\');
    return absolute ? path : currentFolder + L"\\" + path;
  }
  std::optional<std::wstring> DosDeviceTarget(const std::wstring& drive) override {
    const auto found = devices.find(Upper(drive));
    if (found == devices.end()) return {};
    return found->second;
  }
  std::optional<std::wstring> UniversalName(const std::wstring& drivePath) override {
    const auto found = shares.find(Upper(drivePath));
    if (found == shares.end()) return {};
    return found->second;
  }
  std::wstring ProgramPath() override { return program; }
  ElevatedRun RunElevated(const std::wstring& file, const std::wstring& parameters) override {
    launches.push_back({file, parameters});
    return result;
  }
};

TEST(PathForElevatedSession, NamesTheFileAsAnotherLogonSessionReachesIt) {
  const std::wstring longFolder(300, L'd');
  struct Case {
    const char* name;
    std::wstring path;
    std::wstring expected;
  };
  const Case cases[] = {
      {"a local drive", L"C:\\tools\\admin.nwk", L"C:\\tools\\admin.nwk"},
      {"a mapped drive", L"Z:\\admin\\tools.nwk", L"\\\\fileserver\\tools\\admin\\tools.nwk"},
      {"a drive mapped to a folder of a share", L"Y:\\tools.nwk", L"\\\\fileserver\\home\\ann\\tools.nwk"},
      {"a drive letter in lower case", L"z:\\tools.nwk", L"\\\\fileserver\\tools\\tools.nwk"},
      {"a subst drive", L"S:\\sub\\tools.nwk", L"C:\\Projects\\nwk\\sub\\tools.nwk"},
      {"a subst drive of a drive's root", L"T:\\tools.nwk", L"C:\\tools.nwk"},
      {"a subst drive of a folder on a mapped drive", L"U:\\tools.nwk",
       L"\\\\fileserver\\tools\\admin\\tools.nwk"},
      {"a subst drive of a UNC path", L"V:\\tools.nwk", L"\\\\fileserver\\tools\\admin\\tools.nwk"},
      {"a subst drive of a volume's own name", L"G:\\tools.nwk",
       L"\\\\?\\Volume{3e5a1c52-7b8d-4f61-9a2e-0c4d6b8f1e27}\\data\\tools.nwk"},
      {"a drive that stands for itself", L"W:\\tools.nwk", L"W:\\tools.nwk"},
      {"a UNC path", L"\\\\fileserver\\tools\\tools.nwk", L"\\\\fileserver\\tools\\tools.nwk"},
      {"a relative path", L"tools.nwk", L"C:\\Users\\ann\\Documents\\tools.nwk"},
      {"a path over MAX_PATH on a mapped drive", L"Z:\\" + longFolder + L"\\tools.nwk",
       L"\\\\fileserver\\tools\\" + longFolder + L"\\tools.nwk"},
      {"the long-path form on a mapped drive", L"\\\\?\\Z:\\" + longFolder + L"\\tools.nwk",
       L"\\\\?\\UNC\\fileserver\\tools\\" + longFolder + L"\\tools.nwk"},
      {"the long-path form on a subst drive", L"\\\\?\\S:\\tools.nwk",
       L"\\\\?\\C:\\Projects\\nwk\\tools.nwk"},
      {"a mapped drive whose share does not answer", L"R:\\tools.nwk", L"R:\\tools.nwk"},
      {"a drive nobody knows", L"Q:\\tools.nwk", L"Q:\\tools.nwk"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeSystem system;
    EXPECT_EQ(PathForElevatedSession(c.path, system), c.expected);
  }
}

TEST(PathForElevatedSession, RelativeToAMappedDriveBecomesTheShare) {
  FakeSystem system;
  system.currentFolder = L"Z:\\admin";
  EXPECT_EQ(PathForElevatedSession(L"tools.nwk", system), L"\\\\fileserver\\tools\\admin\\tools.nwk");
}

TEST(PathForElevatedSession, APathThatCannotBeMadeFullIsPassedOnAsGiven) {
  FakeSystem system;
  system.fullPathFails = true;
  for (const std::wstring& path : {std::wstring(L"tools.nwk"), std::wstring(L"Z:\\admin\\tools.nwk")})
    EXPECT_EQ(PathForElevatedSession(path, system), path);
}

std::wstring Copy(const std::wstring& path) {
  return L"--elevated \"" + path + L"\"";
}

TEST(StartWithRights, RunsHereOrInAnElevatedCopyByTheTokenAndTheCommandLine) {
  const std::wstring mapped = L"\"Z:\\admin\\my tools.nwk\"";
  const std::wstring onShare = L"\\\\fileserver\\tools\\admin\\my tools.nwk";
  struct Case {
    const char* name;
    TokenRights rights;
    std::wstring argumentText;
    // Run here with this text, or (when empty) not at all.
    std::optional<std::wstring> runsHereWith;
    std::vector<FakeSystem::Launch> launches;
  };
  const std::wstring program = FakeSystem().program;
  const Case cases[] = {
      {"elevated already", TokenRights::Elevated, mapped, mapped, {}},
      {"a token that cannot be read", TokenRights::Unknown, mapped, mapped, {}},
      {"an administrator's limited token", TokenRights::Limited, mapped, {}, {{program, Copy(onShare)}}},
      {"a standard user's token", TokenRights::Standard, mapped, {}, {{program, Copy(onShare)}}},
      {"unquoted", TokenRights::Limited, L"Z:\\admin\\my tools.nwk", {}, {{program, Copy(onShare)}}},
      {"relative",
       TokenRights::Limited,
       L"tools.nwk",
       {},
       {{program, Copy(L"C:\\Users\\ann\\Documents\\tools.nwk")}}},
      {"nothing named, limited", TokenRights::Limited, L"", L"", {}},
      {"nothing named, standard", TokenRights::Standard, L"", L"", {}},
      {"the elevated copy, its token limited all the same",
       TokenRights::Limited,
       Copy(onShare),
       L"\"" + onShare + L"\"",
       {}},
      {"the elevated copy", TokenRights::Elevated, Copy(onShare), L"\"" + onShare + L"\"", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeSystem system;
    system.rights = c.rights;
    system.result = {ElevatedRun::Outcome::Exited, 0};
    const Start start = StartWithRights(c.argumentText, system, SettingsPath);
    EXPECT_EQ(system.launches, c.launches);
    if (c.runsHereWith) {
      EXPECT_FALSE(start.exitStatus.has_value());
      EXPECT_EQ(start.argumentText, *c.runsHereWith);
    } else {
      EXPECT_EQ(start.exitStatus, 0);
    }
  }
}

// What the copy is started with, it reads back as the path it was given: with
// blanks, in the long-path form, over MAX_PATH.
TEST(StartWithRights, TheCopyReadsExactlyThePathItWasGiven) {
  const std::wstring paths[] = {L"C:\\Users\\ann\\my tools.nwk", L"\\\\fileserver\\tools\\a b\\tools.nwk",
                                L"\\\\?\\UNC\\fileserver\\tools\\" + std::wstring(300, L'x') + L".nwk"};
  for (const std::wstring& path : paths) {
    FakeSystem parent;
    ASSERT_TRUE(StartWithRights(L"\"" + path + L"\"", parent, SettingsPath).exitStatus.has_value());
    ASSERT_EQ(parent.launches.size(), 1u);
    FakeSystem copy;
    copy.rights = TokenRights::Elevated;
    const Start start = StartWithRights(parent.launches[0].parameters, copy, SettingsPath);
    EXPECT_FALSE(start.exitStatus.has_value());
    EXPECT_EQ(SettingsPath(start.argumentText), path);
  }
}

TEST(StartWithRights, EndsAsTheCopyEndsQuietlyWhenDeclinedAndRunsHereWhenItCannotStart) {
  const std::wstring text = L"\"Z:\\tools.nwk\"";
  struct Case {
    const char* name;
    ElevatedRun run;
    std::optional<int> exitStatus;
  };
  const Case cases[] = {
      {"the copy ends well", {ElevatedRun::Outcome::Exited, 0}, 0},
      {"the copy's window could not be made", {ElevatedRun::Outcome::Exited, 1}, 1},
      {"the copy had no file", {ElevatedRun::Outcome::Exited, 2}, 2},
      {"the copy crashed", {ElevatedRun::Outcome::Exited, 0xC0000005u}, static_cast<int>(0xC0000005u)},
      {"the prompt declined", {ElevatedRun::Outcome::Declined, 0}, kExitElevationDeclined},
      {"no copy started", {ElevatedRun::Outcome::NotStarted, 0}, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeSystem system;
    system.result = c.run;
    const Start start = StartWithRights(text, system, SettingsPath);
    EXPECT_EQ(start.exitStatus, c.exitStatus);
    // Without a copy the program goes on as the user, with the file as given.
    if (!c.exitStatus) {
      EXPECT_EQ(start.argumentText, text);
    }
    EXPECT_EQ(system.launches.size(), 1u);
  }
}

}  // namespace
}  // namespace nw::test
