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
