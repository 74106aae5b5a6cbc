// The Windows side of the platform, against the real registry and clipboard.
#include <gtest/gtest.h>
#include <windows.h>

#include "NW_Core/NW_Core.h"
#include "platform/Win32Registry.h"
#include "platform/Win32Services.h"
#include "support/Fakes.h"
#include "support/RegistryDump.h"

namespace nw::test {
namespace {

const std::wstring kClsid = L"{0000000D-CF0D-D10A-A240-000000057E57}";
const std::string kClassKey = "CLSID\\{0000000D-CF0D-D10A-A240-000000057E57}";
const std::string kDesktop =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Desktop\\NameSpace\\{0000000D-CF0D-D10A-A240-"
    "000000057E57}";

FolderDefinition Definition() {
  FolderDefinition d;
  d.FolderName = L"View test";
  d.FolderClsid = kClsid;
  d.MenuItems[0] = {L"Open", L"cmd.exe"};
  d.MenuCount = 1;
  return d;
}

std::wstring ClipboardText() {
  std::wstring text;
  if (!OpenClipboard(nullptr)) return L"(cannot open)";
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
      text = chars;
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

TEST(Win32Platform, BothBuildsWriteAndDeleteIn64BitView) {
  Win32Registry registry;
  FakePlatform fake(registry, L"x.nwk");
  MakeLink(fake.platform, Definition(), [] { return Placement::Desktop; });
  EXPECT_TRUE(KeyExists(registry, kHkeyClassesRoot, kClassKey + "\\Shell\\Open\\Command", kKeyWow64_64Key));
  EXPECT_TRUE(KeyExists(registry, kHkeyLocalMachine, kDesktop, kKeyWow64_64Key));
  // Nothing in the 32-bit view, where the 64-bit shell would never look.
  EXPECT_FALSE(KeyExists(registry, kHkeyClassesRoot, kClassKey, kKeyWow64_32Key));
  EXPECT_FALSE(KeyExists(registry, kHkeyLocalMachine, kDesktop, kKeyWow64_32Key));
  RemoveLink(fake.platform, Definition());
  EXPECT_FALSE(KeyExists(registry, kHkeyClassesRoot, kClassKey, kKeyWow64_64Key));
  EXPECT_FALSE(KeyExists(registry, kHkeyLocalMachine, kDesktop, kKeyWow64_64Key));
}

TEST(Win32Platform, ManualPlacementLeavesExactlyTheClsidOnTheClipboard) {
  Win32Clipboard clipboard;
  clipboard.ReplaceText(L"something else");
  Win32Registry registry;
  FakePlatform fake(registry, L"x.nwk");
  Platform platform{fake.commandLine, fake.messages, clipboard, fake.program, registry};
  MakeLink(platform, Definition(), [] { return Placement::Manual; });
  EXPECT_EQ(ClipboardText(), kClsid);
  EXPECT_EQ(fake.messages.shown.size(), 1u);
  RemoveLink(platform, Definition());
}

TEST(Win32Platform, AFileAnotherProgramHoldsLockedIsReportedUnreadable) {
  wchar_t dir[MAX_PATH];
  GetTempPathW(MAX_PATH, dir);
  const std::wstring path = std::wstring(dir) + L"nw-locked.nwk";
  HANDLE locked = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  ASSERT_NE(locked, INVALID_HANDLE_VALUE);
  const char header[] = "Hollowpine's Nookway v1_[A1]\r\nname=N\r\nicon=I\r\nclsid5=C\r\n";
  DWORD written = 0;
  WriteFile(locked, header, sizeof header - 1, &written, nullptr);
  Win32Registry registry;
  FakePlatform fake(registry, path);
  FakeWindow window;
  FolderDefinition definition;
  ReadSettings(fake.platform, window, definition);
  CloseHandle(locked);
  EXPECT_EQ(fake.messages.shown,
            (std::vector<ShownMessage>{{L"Unable to read the specified file.", L"Nookwayer", 64}}));
  EXPECT_TRUE(definition.FolderName.empty());
}

TEST(Win32Platform, ArgumentTextIsEverythingAfterTheProgramName) {
  struct Case {
    const wchar_t* commandLine;
    const wchar_t* arguments;
  };
  const Case cases[] = {
      {L"nookwayer.exe", L""},
      {L"nookwayer.exe   ", L""},
      {L"nookwayer.exe C:\\My Folders\\a b.nwk", L"C:\\My Folders\\a b.nwk"},
      {L"\"C:\\Program Files\\nookwayer.exe\" \"C:\\x y\\a.nwk\"", L"\"C:\\x y\\a.nwk\""},
      {L"\"C:\\Program Files\\nookwayer.exe\"a.nwk", L"a.nwk"},
      {L"nookwayer.exe\tfile.nwk ", L"file.nwk "},
  };
  for (const Case& c : cases) EXPECT_EQ(Win32CommandLine::AfterProgramName(c.commandLine), c.arguments);
}

}  // namespace
}  // namespace nw::test
