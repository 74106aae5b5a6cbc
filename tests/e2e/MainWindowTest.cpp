// The program as its user meets it: started with a settings file, driven by
// keys and clicks from a second process, its messages read and answered, and
// the registry and clipboard read back afterwards.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <type_traits>

#include "EasyReg/EasyReg.h"
#include "EasyReg/Win32Registry.h"
#include "e2e/Driver.h"
#include "frmNW/ControlIds.h"
#include "hpABOUT/AboutControlIds.h"
#include "platform/AnsiText.h"
#include "platform/Handles.h"
#include "support/RegistryDump.h"

namespace nw::e2e {
namespace {

namespace fs = std::filesystem;

constexpr DWORD kWait = 10000;
// The about window's close image.
constexpr int kAboutClose = about::kBtnEnd;
const std::wstring kClsid = L"{0000000D-CF0D-D10A-A240-0000E2E00001}";
// The machine's classes, by their hive: where the program writes them.
const std::string kClassKey = "Software\\Classes\\CLSID\\{0000000D-CF0D-D10A-A240-0000E2E00001}";
const std::string kNameSpace = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\";
const std::string kDesktopKey = kNameSpace + "Desktop\\NameSpace\\{0000000D-CF0D-D10A-A240-0000E2E00001}";
const std::string kMyComputerKey =
    kNameSpace + "MyComputer\\NameSpace\\{0000000D-CF0D-D10A-A240-0000E2E00001}";
const std::string kHeader =
    "Hollowpine's Nookway v1_[A1]\r\nname=Tools & More\r\nicon=shell32.dll,4\r\nclsid5=0000E2E00001\r\n";
const std::string kVerbs = "Open;notepad.exe;\r\nEdit;wordpad.exe;\r\n";

std::wstring ProgramPath() {
  return WinePathOf(NW_PROGRAM_EXE);
}

class MainWindow : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("nw-e2e-" + std::to_string(GetCurrentProcessId()));
    fs::create_directories(dir_);
    Clean();
  }
  void TearDown() override {
    Clean();
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }
  void Clean() {
    for (const std::string& key : {kClassKey, kDesktopKey, kMyComputerKey})
      test::RemoveTree(registry_, kHkeyLocalMachine, key);
  }
  std::wstring WriteFile(const std::string& bytes) {
    const fs::path path = dir_ / "folder definition.nwk";
    std::ofstream(path, std::ios::binary) << bytes;
    return path.wstring();
  }
  // Starts the program and waits for its main window.
  HWND StartWith(const std::wstring& arguments) {
    process_.emplace(Process::Start(ProgramPath(), arguments));
    return WaitForActiveWindow(process_->Id(), kMainWindowClass, L"Nookwayer", kWait);
  }
  std::string Registered() {
    return test::DumpTree(registry_, kHkeyLocalMachine, kClassKey) + "|" +
           test::DumpTree(registry_, kHkeyLocalMachine, kDesktopKey) + "|" +
           test::DumpTree(registry_, kHkeyLocalMachine, kMyComputerKey);
  }
  HWND Item(HWND window, int id) { return GetDlgItem(window, id); }
  // A volatile class key refuses the lasting keys the program creates below
  // it: every Make Link fails there until Clean() takes the key away.
  bool MakeTheClassKeyVolatile() {
    return test::CreateVolatileKey(registry_, kHkeyLocalMachine, kClassKey) == kErrorSuccess;
  }
  bool Ended(DWORD code) { return process_->WaitForExit(kWait) && process_->ExitCode() == code; }

  Win32Registry registry_;
  std::optional<Process> process_;
  fs::path dir_;
};

TEST_F(MainWindow, OpensCentredWithEveryControlInPlace) {
  HWND window = StartWith(WriteFile(kHeader + kVerbs));
  ASSERT_NE(window, nullptr);

  // Client area 6495 x 3000 twips, 433 x 200 pixels at 96 DPI, centred on the screen.
  const RECT client = ClientRectOnScreen(window);
  EXPECT_EQ(client.right - client.left, 433);
  EXPECT_EQ(client.bottom - client.top, 200);
  RECT outer;
  GetWindowRect(window, &outer);
  EXPECT_LE(std::abs((outer.left + outer.right) / 2 - GetSystemMetrics(SM_CXSCREEN) / 2), 1);
  EXPECT_LE(std::abs((outer.top + outer.bottom) / 2 - GetSystemMetrics(SM_CYSCREEN) / 2), 1);
  const LONG style = GetWindowLongW(window, GWL_STYLE);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));

  struct Expected {
    int id;
    const wchar_t* className;
    std::wstring text;
    RECT pixels;  // left, top, right, bottom in the client area
  };
  const Expected controls[] = {
      {kMakeLink, L"Button", L"&Make Link", {352, 168, 425, 193}},
      {kRemoveLink, L"Button", L"&Remove Link", {272, 168, 345, 193}},
      {kCancel, L"Button", L"&Cancel", {192, 168, 265, 193}},
      {kAbout, L"Button", L"&About", {112, 168, 185, 193}},
      {kDesktop, L"Button", L"&Desktop", {8, 8, 89, 25}},
      {kSystem, L"Button", L"&System", {8, 32, 89, 49}},
      {kManual, L"Button", L"&Manual", {8, 56, 89, 73}},
      {kFrame, L"Button", L"Registry System Folder Definitions", {96, 11, 425, 162}},
      {kTxtName, L"Static", L"Tools & More", {176, 35, 417, 52}},
      {kTxtClsid, L"Edit", kClsid, {176, 59, 417, 78}},
      {kTxtIcon, L"Static", L"shell32.dll,4", {176, 83, 417, 100}},
      {kTxtMenu, L"Static", L"Open", {176, 107, 417, 124}},
      {kTxtCom, L"Edit", L"notepad.exe", {176, 131, 417, 150}},
      {kLblName, L"Static", L"Name:", {104, 35, 153, 52}},
      {kLblClsid, L"Static", L"CLSID:", {104, 59, 169, 76}},
      {kLblIcon, L"Static", L"Icon:", {104, 83, 169, 100}},
      {kLblMenu, L"Static", L"Menu #1:", {104, 107, 169, 124}},
      {kLblCommand, L"Static", L"Command #1:", {104, 131, 177, 148}},
      {kLblVer, L"Static", L"v1.00.0000", {376, 0, 425, 11}},
      {kImgLogo, L"Static", L"", {32, 96, 64, 128}},
      {kLblThanks, L"Static", TextOf(Item(window, kLblThanks)), {0, 184, 105, 195}},
  };
  for (const Expected& e : controls) {
    SCOPED_TRACE(e.id);
    const std::optional<Control> control = ChildById(window, e.id);
    ASSERT_TRUE(control.has_value());
    EXPECT_EQ(control->className, e.className);
    EXPECT_EQ(control->text, e.text);
    EXPECT_EQ(control->rectInParentClient.left, e.pixels.left);
    EXPECT_EQ(control->rectInParentClient.top, e.pixels.top);
    EXPECT_EQ(control->rectInParentClient.right, e.pixels.right);
    EXPECT_EQ(control->rectInParentClient.bottom, e.pixels.bottom);
    EXPECT_TRUE(IsWindowEnabled(control->hwnd));
  }
  EXPECT_FALSE(TextOf(Item(window, kLblThanks)).empty());

  // Roles: the default button, read-only boxes, labels that show "&" as it is.
  EXPECT_EQ(GetWindowLongW(Item(window, kMakeLink), GWL_STYLE) & 0x0F, BS_DEFPUSHBUTTON);
  for (int id : {kTxtClsid, kTxtCom}) EXPECT_TRUE(GetWindowLongW(Item(window, id), GWL_STYLE) & ES_READONLY);
  for (int id : {kTxtName, kTxtIcon, kTxtMenu})
    EXPECT_TRUE(GetWindowLongW(Item(window, id), GWL_STYLE) & SS_NOPREFIX);
  for (int id : {kDesktop, kSystem, kManual})
    EXPECT_EQ(GetWindowLongW(Item(window, id), GWL_STYLE) & 0x0F, BS_AUTORADIOBUTTON);
  EXPECT_EQ(CheckState(Item(window, kDesktop)), BST_CHECKED);
  EXPECT_EQ(CheckState(Item(window, kSystem)), BST_UNCHECKED);
  EXPECT_EQ(CheckState(Item(window, kManual)), BST_UNCHECKED);
  EXPECT_EQ(FocusedWindow(window), Item(window, kMakeLink));

  PressKey(window, VK_ESCAPE);
  EXPECT_TRUE(Ended(0));
}

TEST_F(MainWindow, ScalesItsLayoutToTheDisplayDpi) {
  HWND window = nullptr;
  {
    DisplayDpi dpi(144);
    window = StartWith(WriteFile(kHeader + kVerbs));
  }
  ASSERT_NE(window, nullptr);
  // 6495 x 3000 twips at 144 DPI, and the controls with them.
  const RECT client = ClientRectOnScreen(window);
  EXPECT_EQ(client.right - client.left, 650);
  EXPECT_EQ(client.bottom - client.top, 300);
  struct Expected {
    int id;
    RECT pixels;
  };
  const Expected controls[] = {
      {kMakeLink, {528, 252, 638, 290}},
      {kDesktop, {12, 12, 134, 38}},
      {kTxtClsid, {264, 88, 626, 117}},
      {kLblVer, {564, 0, 638, 17}},
  };
  for (const Expected& e : controls) {
    const std::optional<Control> control = ChildById(window, e.id);
    ASSERT_TRUE(control.has_value());
    EXPECT_EQ(control->rectInParentClient.left, e.pixels.left) << e.id;
    EXPECT_EQ(control->rectInParentClient.top, e.pixels.top) << e.id;
    EXPECT_EQ(control->rectInParentClient.right, e.pixels.right) << e.id;
    EXPECT_EQ(control->rectInParentClient.bottom, e.pixels.bottom) << e.id;
  }
  PressKey(window, VK_ESCAPE);
  EXPECT_TRUE(Ended(0));
}

TEST_F(MainWindow, TabVisitsTheControlsInTheirOrder) {
  HWND window = StartWith(WriteFile(kHeader + kVerbs));
  ASSERT_NE(window, nullptr);
  std::vector<int> visited;
  HWND focus = FocusedWindow(window);
  for (int i = 0; i < 8; ++i) {
    PressKey(window, VK_TAB);
    ASSERT_TRUE(WaitUntil([&] { return FocusedWindow(window) != focus; }, kWait)) << "Tab " << i;
    focus = FocusedWindow(window);
    visited.push_back(GetDlgCtrlID(focus));
  }
  EXPECT_EQ(visited, (std::vector<int>{kRemoveLink, kCancel, kAbout, kDesktop, kTxtClsid, kTxtCom, kMakeLink,
                                       kRemoveLink}));
  PressKey(window, VK_ESCAPE);
  EXPECT_TRUE(Ended(0));
  EXPECT_EQ(Registered(), "||");
}

// How a run is driven: pick a placement (by click, access key or arrow key),
// then make the link (Enter, or a click on the button).
struct CommandCase {
  const char* name;
  std::function<void(HWND window)> act;
  bool expectsManualMessage;
  bool desktop, myComputer, clipboard;
};

class Commands : public MainWindow, public testing::WithParamInterface<CommandCase> {};

TEST_P(Commands, WriteTheLayoutOfTheChosenPlacementAndEnd) {
  const CommandCase& c = GetParam();
  HWND window = StartWith(WriteFile(kHeader + kVerbs));
  ASSERT_NE(window, nullptr);
  c.act(window);
  if (c.expectsManualMessage) {
    std::optional<MessageBoxInfo> box = WaitForMessageBox(process_->Id(), kWait);
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->title, L"Nookwayer");
    EXPECT_EQ(
        box->text,
        L"CLSID successfully copied to the clipboard.\r\nTo create a custom folder just create a file (w/o "
        L"extension) and at the end of the name add \".\" and your CLSID");
    EXPECT_EQ(box->icon, MessageBoxIcon::Information);
    EXPECT_EQ(ReadClipboardText(), kClsid);
    // Owned by the program's window, as SetClipboardData requires.
    DWORD owner = 0;
    GetWindowThreadProcessId(GetClipboardOwner(), &owner);
    EXPECT_EQ(owner, process_->Id());
    Dismiss(*box);
  }
  ASSERT_TRUE(Ended(0));
  EXPECT_TRUE(test::KeyExists(registry_, kHkeyLocalMachine, kClassKey + "\\Shell\\Edit\\Command"));
  EXPECT_EQ(test::KeyExists(registry_, kHkeyLocalMachine, kDesktopKey), c.desktop);
  EXPECT_EQ(test::KeyExists(registry_, kHkeyLocalMachine, kMyComputerKey), c.myComputer);
}

INSTANTIATE_TEST_SUITE_P(
    Placements, Commands,
    testing::Values(
        CommandCase{"EnterMakesTheDesktopLink", [](HWND w) { PressKey(w, VK_RETURN); }, false, true, false,
                    false},
        CommandCase{"SystemByClickThenEnter",
                    [](HWND w) {
                      Click(GetDlgItem(w, kSystem));
                      WaitUntil([&] { return FocusedWindow(w) == GetDlgItem(w, kMakeLink); }, kWait);
                      PressKey(w, VK_RETURN);
                    },
                    false, false, true, false},
        CommandCase{"ManualByArrowKeyThenSpace",
                    [](HWND w) {
                      // Tab to the option group, then up from the first option wraps to the last.
                      for (int i = 0; i < 4; ++i) PressKey(w, VK_TAB);
                      WaitUntil([&] { return FocusedWindow(w) == GetDlgItem(w, kDesktop); }, kWait);
                      PressKey(w, VK_UP);
                      WaitUntil([&] { return CheckState(GetDlgItem(w, kManual)) == BST_CHECKED; }, kWait);
                      WaitUntil([&] { return FocusedWindow(w) == GetDlgItem(w, kMakeLink); }, kWait);
                      PressKey(w, VK_SPACE);
                    },
                    true, false, false, true},
        CommandCase{"SystemByAccessKeyThenEnter",
                    [](HWND w) {
                      PressAccessKey(w, L's');
                      WaitUntil([&] { return CheckState(GetDlgItem(w, kSystem)) == BST_CHECKED; }, kWait);
                      WaitUntil([&] { return FocusedWindow(w) == GetDlgItem(w, kMakeLink); }, kWait);
                      PressKey(w, VK_RETURN);
                    },
                    false, false, true, false}),
    [](const testing::TestParamInfo<CommandCase>& info) { return std::string(info.param.name); });

TEST_F(MainWindow, AccessKeySharedByMakeLinkAndManualMovesTheFocusBetweenThem) {
  HWND window = StartWith(WriteFile(kHeader + kVerbs));
  ASSERT_NE(window, nullptr);
  PressAccessKey(window, L'm');
  EXPECT_TRUE(WaitUntil([&] { return FocusedWindow(window) == Item(window, kManual); }, kWait));
  PressAccessKey(window, L'm');
  EXPECT_TRUE(WaitUntil([&] { return FocusedWindow(window) == Item(window, kMakeLink); }, kWait));
  EXPECT_FALSE(process_->WaitForExit(300));
  EXPECT_TRUE(MessageBoxesOf(process_->Id()).empty());
  PressKey(window, VK_ESCAPE);
  EXPECT_TRUE(Ended(0));
  EXPECT_EQ(Registered(), "||");
}

TEST_F(MainWindow, CancelEscAndTheCloseBoxEndWithNothingWritten) {
  const std::function<void(HWND)> ways[] = {
      [](HWND w) { Click(GetDlgItem(w, kCancel)); },
      [](HWND w) { PressKey(w, VK_ESCAPE); },
      [](HWND w) { PostMessageW(w, WM_SYSCOMMAND, SC_CLOSE, 0); },
  };
  const std::wstring file = WriteFile(kHeader + kVerbs);
  for (const auto& way : ways) {
    HWND window = StartWith(file);
    ASSERT_NE(window, nullptr);
    way(window);
    EXPECT_TRUE(Ended(0));
    EXPECT_TRUE(MessageBoxesOf(process_->Id()).empty());
  }
  EXPECT_EQ(Registered(), "||");
}

TEST_F(MainWindow, RemoveLinkTakesTheFolderAwayAndEnds) {
  HWND window = StartWith(WriteFile(kHeader + kVerbs));
  ASSERT_NE(window, nullptr);
  PressKey(window, VK_RETURN);
  ASSERT_TRUE(Ended(0));
  ASSERT_NE(Registered(), "||");
  window = StartWith(WriteFile(kHeader + kVerbs));
  ASSERT_NE(window, nullptr);
  Click(Item(window, kRemoveLink));
  EXPECT_TRUE(Ended(0));
  EXPECT_EQ(Registered(), "||");
}

TEST_F(MainWindow, EmptyCommandLineShowsOnlyTheGuardMessageAndEnds) {
  process_.emplace(Process::Start(ProgramPath(), L""));
  std::optional<MessageBoxInfo> box = WaitForMessageBox(process_->Id(), kWait);
  ASSERT_TRUE(box.has_value());
  EXPECT_EQ(box->title, L"Nookwayer");
  EXPECT_EQ(
      box->text,
      L"No Nookway Settings file specified.\r\nYou must have a NWK file in order to create a new Registry "
      L"System Folder");
  EXPECT_EQ(box->icon, MessageBoxIcon::Information);
  EXPECT_TRUE(TopLevelWindows(process_->Id(), kMainWindowClass).empty());
  Dismiss(*box);
  EXPECT_TRUE(Ended(2));
}

// Under Wine the program runs elevated, as from an administrator's prompt: it
// opens its own window at once. Started as the elevated copy it would start
// otherwise, it reads the quoted path after the copy's mark.
TEST_F(MainWindow, ElevatedItRunsAtOnceAndAsTheElevatedCopyItReadsThePathAfterTheMark) {
  const std::wstring file = WriteFile(kHeader + kVerbs);
  for (const std::wstring& arguments : {L"\"" + file + L"\"", L"--elevated \"" + file + L"\""}) {
    HWND window = StartWith(arguments);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(TextOf(Item(window, kTxtName)), L"Tools & More");
    EXPECT_TRUE(MessageBoxesOf(process_->Id()).empty());
    PressKey(window, VK_ESCAPE);
    EXPECT_TRUE(Ended(0));
  }
}

// The names of a key's subkeys, or "(missing)".
std::string SubkeyNames(Registry& registry, RootKey root, const std::string& path) {
  UniqueKey key(registry);
  if (registry.OpenKey(RootHandle(root), path, kReadRights, key.put()) != kErrorSuccess) return "(missing)";
  std::string names;
  std::string name;
  for (std::uint32_t i = 0; registry.EnumKey(key.get(), i, name) == kErrorSuccess; ++i) names += name + "\n";
  return names;
}

// The settings file can be renamed and deleted: the program holds it no more.
void ExpectFileReleased(const std::wstring& file) {
  std::error_code error;
  const fs::path moved = fs::path(file).concat(L".moved");
  fs::rename(file, moved, error);
  EXPECT_FALSE(error) << error.message();
  EXPECT_TRUE(fs::remove(moved, error)) << error.message();
}

TEST_F(MainWindow, AFileWithoutItsClsidIsReportedAndItsCommandsTouchNoSharedKey) {
  // A canary class with a value and a subkey, beside every other class of the machine.
  const std::string canary = "Software\\Classes\\CLSID\\{0000000D-CF0D-D10A-A240-CA0A0000E2E0}";
  CreateKey(registry_, FromAnsi(canary) + L"\\Shell", kHkeyLocalMachine);
  SetKeyValue(registry_, kHkeyLocalMachine, FromAnsi(canary), L"", std::wstring(L"canary"), kRegSz);
  auto snapshot = [&] {
    return SubkeyNames(registry_, kHkeyLocalMachine, "Software\\Classes\\CLSID") + "|" +
           SubkeyNames(registry_, kHkeyLocalMachine, kNameSpace + "Desktop\\NameSpace") + "|" +
           SubkeyNames(registry_, kHkeyLocalMachine, kNameSpace + "MyComputer\\NameSpace") + "|" +
           test::DumpTree(registry_, kHkeyLocalMachine, canary);
  };
  const std::string before = snapshot();
  ASSERT_NE(before.find("CA0A0000E2E0"), std::string::npos);

  const std::wstring file =
      WriteFile("Hollowpine's Nookway v1_[A1]\r\nname=Half\r\nicon=half.ico\r\nOpen;x;\r\n");
  process_.emplace(Process::Start(ProgramPath(), file));
  std::optional<MessageBoxInfo> box = WaitForMessageBox(process_->Id(), kWait);
  ASSERT_TRUE(box.has_value());
  EXPECT_EQ(box->title, L"Nookwayer");
  EXPECT_EQ(box->text, L"Unable to read the specified file.");
  EXPECT_TRUE(TopLevelWindows(process_->Id(), kMainWindowClass).empty());
  Dismiss(*box);
  HWND window = WaitForActiveWindow(process_->Id(), kMainWindowClass, L"Nookwayer", kWait);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(TextOf(Item(window, kTxtName)), L"Half");
  EXPECT_EQ(TextOf(Item(window, kTxtIcon)), L"half.ico");
  EXPECT_EQ(TextOf(Item(window, kTxtClsid)), L"");
  EXPECT_EQ(TextOf(Item(window, kTxtMenu)), L"");
  for (int id : {kMakeLink, kRemoveLink, kCancel, kAbout, kDesktop, kSystem, kManual})
    EXPECT_TRUE(IsWindowEnabled(Item(window, id))) << id;
  ExpectFileReleased(file);

  // Without a CLSID the commands are refused with the error report, in every placement.
  for (int placement : {kDesktop, kSystem, kManual}) {
    for (int command : {kMakeLink, kRemoveLink}) {
      Click(Item(window, placement));
      Click(Item(window, command));
      std::optional<MessageBoxInfo> error = WaitForMessageBox(process_->Id(), kWait);
      ASSERT_TRUE(error.has_value());
      EXPECT_EQ(error->title, L"Nookwayer Error");
      Dismiss(*error);
      ASSERT_TRUE(WaitUntil([&] { return MessageBoxesOf(process_->Id()).empty(); }, kWait));
    }
  }
  EXPECT_FALSE(process_->WaitForExit(0));
  EXPECT_EQ(snapshot(), before);
  PressKey(window, VK_ESCAPE);
  EXPECT_TRUE(Ended(0));
  test::RemoveTree(registry_, kHkeyLocalMachine, canary);
}

TEST_F(MainWindow, TheSettingsFileIsReleasedOnceTheWindowIsOpen) {
  const std::wstring file = WriteFile(kHeader + kVerbs);
  HWND window = StartWith(file);
  ASSERT_NE(window, nullptr);
  ExpectFileReleased(file);
  PressKey(window, VK_ESCAPE);
  EXPECT_TRUE(Ended(0));
}

TEST_F(MainWindow, AFailedCommandIsReportedOnceAndCanBeTriedAgain) {
  ASSERT_TRUE(MakeTheClassKeyVolatile());

  HWND window = StartWith(WriteFile(kHeader + kVerbs));
  ASSERT_NE(window, nullptr);
  Click(Item(window, kSystem));
  WaitUntil([&] { return CheckState(Item(window, kSystem)) == BST_CHECKED; }, kWait);
  Click(Item(window, kMakeLink));
  std::optional<MessageBoxInfo> error = WaitForMessageBox(process_->Id(), kWait);
  ASSERT_TRUE(error.has_value());
  EXPECT_EQ(error->title, L"Nookwayer Error");
  EXPECT_EQ(error->text,
            L"Error Found!\r\nThe program is unable to perform the requested operation.\r\n\r\nContact the "
            L"author and "
            L"send him the NWK file that caused this problem.");
  EXPECT_EQ(error->icon, MessageBoxIcon::Stop);
  EXPECT_EQ(MessageBoxesOf(process_->Id()).size(), 1u);
  Dismiss(*error);
  ASSERT_TRUE(WaitUntil([&] { return MessageBoxesOf(process_->Id()).empty(); }, kWait));
  EXPECT_FALSE(process_->WaitForExit(200));
  // What was written before the failing step is gone again: the class key is
  // as it was, empty, and nothing after the failing step ran.
  EXPECT_EQ(Registered(), "[]\n||");
  // The window is as it was.
  EXPECT_EQ(TextOf(Item(window, kTxtName)), L"Tools & More");
  EXPECT_EQ(CheckState(Item(window, kSystem)), BST_CHECKED);

  // With the obstacle gone, the second try completes.
  Clean();
  Click(Item(window, kMakeLink));
  EXPECT_TRUE(Ended(0));
  EXPECT_TRUE(MessageBoxesOf(process_->Id()).empty());
  EXPECT_TRUE(test::KeyExists(registry_, kHkeyLocalMachine, kClassKey + "\\Shell\\Edit\\Command"));
  EXPECT_TRUE(test::KeyExists(registry_, kHkeyLocalMachine, kMyComputerKey));
}

TEST_F(MainWindow, AFailedMakeLinkLeavesTheOlderRegistrationExactlyAsItWas) {
  // An older registration of the same folder, with a name and a verb of its own.
  const std::wstring classKey = FromAnsi(kClassKey);
  CreateKey(registry_, classKey, kHkeyLocalMachine);
  SetKeyValue(registry_, kHkeyLocalMachine, classKey, L"", std::wstring(L"Older"), kRegSz);
  CreateKey(registry_, classKey + L"\\Shell\\Older verb\\Command", kHkeyLocalMachine);
  SetKeyValue(registry_, kHkeyLocalMachine, classKey + L"\\Shell\\Older verb\\Command", L"",
              std::wstring(L"old.exe"), kRegSz);
  CreateKey(registry_, FromAnsi(kMyComputerKey), kHkeyLocalMachine);

  // Its tenth verb's key is there already, volatile: its lasting Command key
  // cannot be created.
  ASSERT_EQ(test::CreateVolatileKey(registry_, kHkeyLocalMachine, kClassKey + "\\Shell\\Verb 10"),
            kErrorSuccess);
  const std::string before = Registered();
  std::string verbs;
  for (int i = 1; i <= 12; ++i) verbs += "Verb " + std::to_string(i) + ";cmd.exe;\r\n";
  HWND window = StartWith(WriteFile(kHeader + verbs));
  ASSERT_NE(window, nullptr);
  ASSERT_EQ(CheckState(Item(window, kDesktop)), BST_CHECKED);
  Click(Item(window, kMakeLink));
  std::optional<MessageBoxInfo> error = WaitForMessageBox(process_->Id(), kWait);
  ASSERT_TRUE(error.has_value());
  EXPECT_EQ(error->title, L"Nookwayer Error");
  EXPECT_EQ(MessageBoxesOf(process_->Id()).size(), 1u);
  Dismiss(*error);
  ASSERT_TRUE(WaitUntil([&] { return MessageBoxesOf(process_->Id()).empty(); }, kWait));
  EXPECT_FALSE(process_->WaitForExit(200));
  // The older registration is back, byte for byte, and no Desktop entry was added.
  EXPECT_EQ(Registered(), before);
  EXPECT_NE(before.find("Older verb"), std::string::npos);
  EXPECT_TRUE(MessageBoxesOf(process_->Id()).empty());
}

TEST_F(MainWindow, AboutIsModalAndLeavesTheWindowAsItWas) {
  HWND window = StartWith(WriteFile(kHeader + kVerbs));
  ASSERT_NE(window, nullptr);
  Click(Item(window, kAbout));
  HWND about = WaitForWindow(process_->Id(), L"NookwayerAbout", nullptr, kWait);
  ASSERT_NE(about, nullptr);
  EXPECT_FALSE(IsWindowEnabled(window));
  PostMessageW(about, WM_CLOSE, 0, 0);
  ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(window) != FALSE; }, kWait));
  // Gone, and the focus back in the main window, before a key is sent there.
  ASSERT_TRUE(
      WaitUntil([&] { return !IsWindow(about) && GetParent(FocusedWindow(window)) == window; }, kWait));
  EXPECT_EQ(TextOf(Item(window, kTxtName)), L"Tools & More");
  EXPECT_FALSE(process_->WaitForExit(0));
  PressKey(window, VK_ESCAPE);
  EXPECT_TRUE(Ended(0));
  EXPECT_EQ(Registered(), "||");
}

// The focused command button is the default button, however it got the
// focus: here by the mouse, pressed on the button and released beside it,
// which focuses the button without pressing it. Enter then presses that
// button, and the button looks the part.
struct FocusedButtonCase {
  const char* name;
  int button;
  bool registeredBefore;  // a folder is there to remove
  bool ends;              // the command closes the window
  bool registeredAfter;
};

void PrintTo(const FocusedButtonCase& c, std::ostream* out) {
  *out << c.name;
}

class FocusedButton : public MainWindow, public testing::WithParamInterface<FocusedButtonCase> {
 protected:
  void SetUp() override {
    MainWindow::SetUp();
    // The pointer starts away from where the window opens.
    MoveMouseTo(POINT{2, 2}, nullptr);
  }
};

TEST_P(FocusedButton, EnterPressesTheButtonTheMouseFocused) {
  const FocusedButtonCase& c = GetParam();
  const std::wstring file = WriteFile(kHeader + kVerbs);
  if (c.registeredBefore) {
    HWND first = StartWith(file);
    ASSERT_NE(first, nullptr);
    PressKey(first, VK_RETURN);
    ASSERT_TRUE(Ended(0));
  }
  const std::string before = Registered();
  HWND window = StartWith(file);
  ASSERT_NE(window, nullptr);
  Settle(window);

  MoveMouseTo(CentreOf(ScreenRectOf(Item(window, c.button))), window);
  LeftButton(true);
  Settle(window);
  const RECT client = ClientRectOnScreen(window);
  MoveMouseTo(POINT{client.left + 200, client.top + 4}, window);
  LeftButton(false);
  Settle(window);
  ASSERT_TRUE(WaitUntil([&] { return FocusedWindow(window) == Item(window, c.button); }, kWait))
      << "the mouse press did not give the button the focus";
  ASSERT_FALSE(process_->WaitForExit(200)) << "the mouse pressed the button";
  ASSERT_EQ(Registered(), before);
  for (int id : {kMakeLink, kCancel, kAbout, kRemoveLink}) {
    EXPECT_EQ(GetWindowLongW(Item(window, id), GWL_STYLE) & BS_TYPEMASK,
              id == c.button ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON)
        << id;
  }

  PressKeys({VK_RETURN});
  if (c.ends) {
    EXPECT_TRUE(Ended(0));
  } else {
    // About: the about window, over a main window that stays.
    HWND about = WaitForWindow(process_->Id(), L"NookwayerAbout", nullptr, kWait);
    ASSERT_NE(about, nullptr);
    PostMessageW(about, WM_CLOSE, 0, 0);
    // Gone, and the focus back on About: a key sent sooner could reach the
    // about window on its way out.
    ASSERT_TRUE(
        WaitUntil([&] { return !IsWindow(about) && FocusedWindow(window) == Item(window, kAbout); }, kWait));
    EXPECT_FALSE(process_->WaitForExit(0));
    PressKey(window, VK_ESCAPE);
    EXPECT_TRUE(Ended(0));
  }
  EXPECT_EQ(Registered() != "||", c.registeredAfter);
  EXPECT_TRUE(MessageBoxesOf(process_->Id()).empty());
}

INSTANTIATE_TEST_SUITE_P(ByMouse, FocusedButton,
                         testing::Values(FocusedButtonCase{"MakeLink", kMakeLink, false, true, true},
                                         FocusedButtonCase{"Cancel", kCancel, false, true, false},
                                         FocusedButtonCase{"About", kAbout, false, false, false},
                                         FocusedButtonCase{"RemoveLink", kRemoveLink, true, true, false}),
                         [](const testing::TestParamInfo<FocusedButtonCase>& info) {
                           return std::string(info.param.name);
                         });

// About clicked by the mouse and the about window closed by its close image:
// the focus is back on About, which stays the default, so Enter opens the
// about window again instead of making the link.
TEST_F(FocusedButton, AfterTheAboutWindowEnterPressesAboutAgain) {
  HWND window = StartWith(WriteFile(kHeader + kVerbs));
  ASSERT_NE(window, nullptr);
  Settle(window);
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    if (round == 0)
      ClickAt(CentreOf(ScreenRectOf(Item(window, kAbout))), window);
    else
      PressKeys({VK_RETURN});
    HWND about = WaitForActiveWindow(process_->Id(), L"NookwayerAbout", nullptr, kWait);
    ASSERT_NE(about, nullptr);
    ClickAt(CentreOf(ScreenRectOf(GetDlgItem(about, kAboutClose))), about);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(about); }, kWait));
    ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(window) != FALSE; }, kWait));
    Settle(window);
    EXPECT_EQ(FocusedWindow(window), Item(window, kAbout));
    EXPECT_EQ(GetWindowLongW(Item(window, kAbout), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
    EXPECT_EQ(GetWindowLongW(Item(window, kMakeLink), GWL_STYLE) & BS_TYPEMASK, BS_PUSHBUTTON);
  }
  EXPECT_FALSE(process_->WaitForExit(0));
  EXPECT_EQ(Registered(), "||");
  PressKeys({VK_ESCAPE});
  EXPECT_TRUE(Ended(0));
  EXPECT_EQ(Registered(), "||");
}

// After the error report the focus is back on the button that failed, so
// Space and Enter both press it again.
TEST_F(FocusedButton, AfterAnErrorReportSpaceAndEnterPressTheFailedButtonAgain) {
  ASSERT_TRUE(MakeTheClassKeyVolatile());

  HWND window = StartWith(WriteFile(kHeader + kVerbs));
  ASSERT_NE(window, nullptr);
  Settle(window);
  ClickAt(CentreOf(ScreenRectOf(Item(window, kMakeLink))), window);
  for (WORD key : {VK_SPACE, VK_RETURN}) {
    SCOPED_TRACE(key);
    std::optional<MessageBoxInfo> error = WaitForMessageBox(process_->Id(), kWait);
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->title, L"Nookwayer Error");
    Dismiss(*error);
    ASSERT_TRUE(WaitUntil([&] { return MessageBoxesOf(process_->Id()).empty(); }, kWait));
    ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(window) != FALSE; }, kWait));
    Settle(window);
    EXPECT_EQ(FocusedWindow(window), Item(window, kMakeLink));
    PressKeys({key});
  }
  // The third try fails as the first two did.
  std::optional<MessageBoxInfo> error = WaitForMessageBox(process_->Id(), kWait);
  ASSERT_TRUE(error.has_value());
  Dismiss(*error);
  ASSERT_TRUE(WaitUntil([&] { return MessageBoxesOf(process_->Id()).empty(); }, kWait));
  EXPECT_FALSE(process_->WaitForExit(0));
  Clean();
  PressKeys({VK_ESCAPE});
  EXPECT_TRUE(Ended(0));
  EXPECT_EQ(Registered(), "||");
}

// Back from another program: the button that had the focus has it again and
// is still the one Enter presses.
TEST_F(FocusedButton, BackFromAnotherWindowEnterPressesTheButtonThatHadTheFocus) {
  HWND window = StartWith(WriteFile(kHeader + kVerbs));
  ASSERT_NE(window, nullptr);
  Settle(window);
  // Tab from Make Link passes Remove Link and stops on Cancel.
  PressKeys({VK_TAB});
  PressKeys({VK_TAB});
  ASSERT_TRUE(WaitUntil([&] { return FocusedWindow(window) == Item(window, kCancel); }, kWait));

  const UniqueWindow other(CreateWindowExW(0, L"Static", L"another program",
                                           WS_POPUP | WS_VISIBLE | WS_BORDER, 10, 10, 200, 80, nullptr,
                                           nullptr, GetModuleHandleW(nullptr), nullptr));
  ASSERT_NE(other, nullptr);
  SetForegroundWindow(other.get());
  ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == other.get(); }, kWait));
  Settle(window);
  SetForegroundWindow(window);
  ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == window; }, kWait));
  Settle(window);
  EXPECT_EQ(FocusedWindow(window), Item(window, kCancel));

  PressKeys({VK_RETURN});
  EXPECT_TRUE(Ended(0));
  EXPECT_EQ(Registered(), "||");
}

// A settings file in another ANSI code page. The program reads it in the
// code page of its process, which under Wine follows the locale (LANG).
struct CodePageCase {
  const char* name;
  UINT codePage;
  std::string folderName, icon, verb, command;  // bytes in the code page
  std::wstring shownName, shownIcon, shownVerb, shownCommand;
};

void PrintTo(const CodePageCase& c, std::ostream* out) {
  *out << c.name;
}

class MainWindowCodePage : public MainWindow, public testing::WithParamInterface<CodePageCase> {};

TEST_P(MainWindowCodePage, ShowsTheNamesAndRegistersEachVerbAsOneKey) {
  const CodePageCase& c = GetParam();
  if (GetACP() != c.codePage)
    GTEST_SKIP() << "the ANSI code page of this process is " << GetACP() << ", not " << c.codePage
                 << " (under Wine it follows LANG: ja_JP.UTF-8 gives 932, ru_RU.UTF-8 1251)";
  HWND window =
      StartWith(WriteFile("Hollowpine's Nookway v1_[A1]\r\nname=" + c.folderName + "\r\nicon=" + c.icon +
                          "\r\nclsid5=0000E2E00001\r\n" + c.verb + ";" + c.command + ";\r\n"));
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(TextOf(Item(window, kTxtName)), c.shownName);
  EXPECT_EQ(TextOf(Item(window, kTxtIcon)), c.shownIcon);
  EXPECT_EQ(TextOf(Item(window, kTxtMenu)), c.shownVerb);
  EXPECT_EQ(TextOf(Item(window, kTxtCom)), c.shownCommand);
  EXPECT_EQ(TextOf(Item(window, kTxtClsid)), kClsid);

  Click(Item(window, kManual));
  ASSERT_TRUE(WaitUntil([&] { return CheckState(Item(window, kManual)) == BST_CHECKED; }, kWait));
  Click(Item(window, kMakeLink));
  std::optional<MessageBoxInfo> box = WaitForMessageBox(process_->Id(), kWait);
  ASSERT_TRUE(box.has_value());
  EXPECT_EQ(ReadClipboardText(), kClsid);
  Dismiss(*box);
  ASSERT_TRUE(Ended(0));

  // The verb is one key (a backslash as a second byte splits nothing), with its text byte for byte.
  EXPECT_EQ(
      test::DumpTree(registry_, kHkeyLocalMachine, kClassKey + "\\Shell"),
      "[]\n[" + c.verb + "]\n[" + c.verb + "\\Command]\n@=1:" + test::HexBytes(c.command + '\0') + "\n");
  EXPECT_TRUE(test::DumpTree(registry_, kHkeyLocalMachine, kClassKey)
                  .starts_with("[]\n@=1:" + test::HexBytes(c.folderName + '\0') + "\n"));
  EXPECT_EQ(test::DumpTree(registry_, kHkeyLocalMachine, kClassKey + "\\DefaultIcon"),
            "[]\n@=1:" + test::HexBytes(c.icon + '\0') + "\n");
  EXPECT_FALSE(test::KeyExists(registry_, kHkeyLocalMachine, kDesktopKey));
  EXPECT_FALSE(test::KeyExists(registry_, kHkeyLocalMachine, kMyComputerKey));
}

INSTANTIATE_TEST_SUITE_P(
    CodePages, MainWindowCodePage,
    testing::Values(
        // 表示フォルダ "display folder" and the verb 表示 "show": 表 is 95 5C, ソ 83 5C.
        CodePageCase{"Cp932", 932, "\x95\x5C\x8E\xA6\x83\x74\x83\x48\x83\x8B\x83\x5F",
                     "C:\\\x83\x5C\x83\x74\x83\x67\\\x95\x5C.ico", "\x95\x5C\x8E\xA6",
                     "\x83\x5C\x83\x74\x83\x67.exe \\\x95\x5C", L"\u8868\u793A\u30D5\u30A9\u30EB\u30C0",
                     L"C:\\\u30BD\u30D5\u30C8\\\u8868.ico", L"\u8868\u793A",
                     L"\u30BD\u30D5\u30C8.exe \\\u8868"},
        // Папка, Открыть, Чтение.exe
        CodePageCase{
            "Cp1251", 1251, "\xCF\xE0\xEF\xEA\xE0", "C:\\\xC8\\\xFF.ico", "\xCE\xF2\xEA\xF0\xFB\xF2\xFC",
            "\xD7\xF2\xE5\xED\xE8\xE5.exe", L"\u041F\u0430\u043F\u043A\u0430", L"C:\\\u0418\\\u044F.ico",
            L"\u041E\u0442\u043A\u0440\u044B\u0442\u044C", L"\u0427\u0442\u0435\u043D\u0438\u0435.exe"}),
    [](const testing::TestParamInfo<CodePageCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace nw::e2e
