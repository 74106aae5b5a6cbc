// The end-to-end driver, proved against the fixture program: every answer
// here comes from a second process through the driver.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "Driver.h"

namespace nw::e2e {
namespace {

constexpr DWORD kTimeoutMs = 10000;
constexpr DWORD kFixtureExitCode = 7;

// The fixture's controls.
constexpr int kGo = 1;
constexpr int kQuit = 2;
constexpr int kCopy = 3;
constexpr int kArguments = 10;
constexpr int kLabel = 11;
constexpr int kStopRadio = 12;
constexpr int kNoteRadio = 13;

std::wstring FixturePath() {
  return WinePathOf(NW_E2E_FIXTURE);
}

std::string Narrow(const std::wstring& text) {
  return std::string(text.begin(), text.end());
}

class DriverTest : public ::testing::Test {
 protected:
  // Starts the fixture and waits for its window.
  void Start(const std::wstring& arguments = L"") {
    process_.emplace(Process::Start(FixturePath(), arguments));
    window_ = WaitForActiveWindow(process_->Id(), L"NwFixture", L"Fixture", kTimeoutMs);
    ASSERT_NE(window_, nullptr) << "the fixture's window did not appear or was not made active";
  }

  HWND Item(int id) const {
    std::optional<Control> control = ChildById(window_, id);
    return control ? control->hwnd : nullptr;
  }

  // Presses Tab until the control has the focus.
  void TabTo(int id) {
    const HWND target = Item(id);
    ASSERT_TRUE(WaitUntil([&] { return FocusedWindow(window_) != nullptr; }, kTimeoutMs));
    for (int presses = 0; FocusedWindow(window_) != target; ++presses) {
      ASSERT_LT(presses, 8) << "Tab never reaches control " << id;
      const HWND before = FocusedWindow(window_);
      PressKey(window_, VK_TAB);
      ASSERT_TRUE(WaitUntil([&] { return FocusedWindow(window_) != before; }, kTimeoutMs));
    }
  }

  bool StillShowing() const { return process_->ExitCode() == STILL_ACTIVE && IsWindowVisible(window_); }

  std::optional<Process> process_;
  HWND window_ = nullptr;
};

TEST_F(DriverTest, ArgumentsReachTheProgramAsGiven) {
  const wchar_t* const cases[] = {
      L"",
      L"C:\\My Folders\\a b.nwk",
      L"\"C:\\x y\\quoted.nwk\"",
      L"inner  blanks, a\ttab and a trailing blank ",
  };
  for (const wchar_t* arguments : cases) {
    SCOPED_TRACE(Narrow(arguments));
    ASSERT_NO_FATAL_FAILURE(Start(arguments));
    EXPECT_EQ(TextOf(Item(kArguments)), arguments);
    process_.reset();
  }
}

TEST_F(DriverTest, ReadsControlsInCreationOrderWithTheirStylesAndPlaces) {
  const std::wstring arguments = L"C:\\some folder\\file.nwk";
  ASSERT_NO_FATAL_FAILURE(Start(arguments));
  struct Expected {
    const wchar_t* className;
    std::wstring text;
    int id;
    LONG styleMask;  // the bits that tell this control's kind
    LONG style;
    RECT rect;  // as the fixture lays it out
  };
  // A button's kind, and whether it starts a group.
  constexpr LONG kButton = BS_TYPEMASK | WS_GROUP;
  const Expected expected[] = {
      {L"Edit", arguments, kArguments, ES_READONLY, ES_READONLY, {10, 10, 310, 32}},
      {L"Static", L"A & B", kLabel, SS_NOPREFIX, SS_NOPREFIX, {10, 42, 310, 60}},
      {L"Button", L"&Stop icon", kStopRadio, kButton, BS_AUTORADIOBUTTON | WS_GROUP, {10, 66, 150, 86}},
      {L"Button", L"&Note icon", kNoteRadio, kButton, BS_AUTORADIOBUTTON, {160, 66, 300, 86}},
      {L"Button", L"&Go", kGo, kButton, BS_DEFPUSHBUTTON | WS_GROUP, {10, 160, 100, 188}},
      {L"Button", L"&Quit", kQuit, kButton, BS_PUSHBUTTON, {115, 160, 205, 188}},
      {L"Button", L"&Copy", kCopy, kButton, BS_PUSHBUTTON, {220, 160, 310, 188}},
  };
  const std::vector<Control> controls = Children(window_);
  ASSERT_EQ(controls.size(), std::size(expected));
  const RECT client = ClientRectOnScreen(window_);
  EXPECT_EQ(client.right - client.left, 320);
  EXPECT_EQ(client.bottom - client.top, 200);
  for (std::size_t i = 0; i < controls.size(); ++i) {
    const Control& control = controls[i];
    const Expected& want = expected[i];
    SCOPED_TRACE(Narrow(want.text));
    EXPECT_EQ(control.className, want.className);
    EXPECT_EQ(control.text, want.text);
    EXPECT_EQ(control.id, want.id);
    EXPECT_EQ(control.style & want.styleMask, want.style);
    EXPECT_TRUE(control.style & WS_VISIBLE);
    const RECT& got = control.rectInParentClient;
    EXPECT_EQ(got.left, want.rect.left);
    EXPECT_EQ(got.top, want.rect.top);
    EXPECT_EQ(got.right, want.rect.right);
    EXPECT_EQ(got.bottom, want.rect.bottom);
    // The same place on the screen, seen from the other side.
    RECT onScreen;
    GetWindowRect(control.hwnd, &onScreen);
    EXPECT_EQ(onScreen.left - client.left, got.left);
    EXPECT_EQ(onScreen.top - client.top, got.top);
  }
  EXPECT_EQ(controls[0].exStyle & WS_EX_CLIENTEDGE, WS_EX_CLIENTEDGE);
}

TEST_F(DriverTest, ClickMovesTheRadioCheck) {
  ASSERT_NO_FATAL_FAILURE(Start());
  const HWND stop = Item(kStopRadio);
  const HWND note = Item(kNoteRadio);
  EXPECT_EQ(CheckState(stop), BST_CHECKED);
  EXPECT_EQ(CheckState(note), BST_UNCHECKED);
  Click(note);
  EXPECT_TRUE(WaitUntil([&] { return CheckState(note) == BST_CHECKED; }, kTimeoutMs));
  EXPECT_EQ(CheckState(stop), BST_UNCHECKED);
  Click(stop);
  EXPECT_TRUE(WaitUntil([&] { return CheckState(stop) == BST_CHECKED; }, kTimeoutMs));
  EXPECT_EQ(CheckState(note), BST_UNCHECKED);
}

TEST_F(DriverTest, TabMovesTheFocusThroughTheTabStops) {
  ASSERT_NO_FATAL_FAILURE(Start());
  ASSERT_TRUE(WaitUntil([&] { return FocusedWindow(window_) == Item(kGo); }, kTimeoutMs))
      << "focus is on " << Narrow(TextOf(FocusedWindow(window_)));
  // From the last control round to the first: Quit, Copy, the Edit, the checked radio.
  for (int id : {kQuit, kCopy, kArguments, kStopRadio, kGo}) {
    PressKey(window_, VK_TAB);
    EXPECT_TRUE(WaitUntil([&] { return FocusedWindow(window_) == Item(id); }, kTimeoutMs))
        << "expected id " << id << ", focus is on " << Narrow(TextOf(FocusedWindow(window_)));
  }
}

TEST_F(DriverTest, EachWayToGoShowsExactlyOneMessageBoxUntilDismissed) {
  struct Case {
    const char* name;
    int radio;  // chooses the box
    int focus;  // the control that has the focus when the key comes
    std::function<void(HWND window, HWND go)> press;
    const wchar_t* title;
    const wchar_t* text;
    MessageBoxIcon icon;
  };
  const wchar_t* const error = L"Line one\r\nLine two";
  const wchar_t* const note = L"Just so you know";
  const auto click = [](HWND, HWND go) { Click(go); };
  const auto enter = [](HWND window, HWND) { PressKey(window, VK_RETURN); };
  const auto altG = [](HWND window, HWND) { PressAccessKey(window, L'g'); };
  const Case cases[] = {
      {"click", kStopRadio, kQuit, click, L"Fixture Error", error, MessageBoxIcon::Stop},
      {"Enter on the default button", kStopRadio, kGo, enter, L"Fixture Error", error, MessageBoxIcon::Stop},
      {"Enter in the text box", kNoteRadio, kArguments, enter, L"Fixture Note", note,
       MessageBoxIcon::Information},
      {"Alt+G in the text box", kStopRadio, kArguments, altG, L"Fixture Error", error, MessageBoxIcon::Stop},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_NO_FATAL_FAILURE(Start());
    // The click takes the focus too; the Tabs wait for it, or the first one
    // could start from the control the focus had before.
    Click(Item(c.radio));
    ASSERT_TRUE(WaitUntil(
        [&] { return CheckState(Item(c.radio)) == BST_CHECKED && FocusedWindow(window_) == Item(c.radio); },
        kTimeoutMs));
    ASSERT_NO_FATAL_FAILURE(TabTo(c.focus));
    // Twice: the window must take the same key or click again once the box is gone.
    for (int round = 0; round < 2; ++round) {
      SCOPED_TRACE(round);
      ASSERT_TRUE(MessageBoxesOf(process_->Id()).empty());
      c.press(window_, Item(kGo));
      std::optional<MessageBoxInfo> box = WaitForMessageBox(process_->Id(), kTimeoutMs);
      ASSERT_TRUE(box.has_value());
      EXPECT_EQ(box->title, c.title);
      EXPECT_EQ(box->text, c.text);
      EXPECT_EQ(box->icon, c.icon);
      EXPECT_EQ(box->buttonCount, 1);
      EXPECT_EQ(MessageBoxesOf(process_->Id()).size(), 1u);
      Dismiss(*box);
      EXPECT_TRUE(WaitUntil([&] { return MessageBoxesOf(process_->Id()).empty(); }, kTimeoutMs));
      EXPECT_TRUE(StillShowing());
    }
    process_.reset();
  }
}

TEST_F(DriverTest, EachWayToQuitEndsTheProgramWithItsExitCode) {
  struct Case {
    const char* name;
    int focus;  // the control that has the focus when the key comes
    std::function<void(HWND window, HWND quit)> press;
  };
  const Case cases[] = {
      {"click", kGo, [](HWND, HWND quit) { Click(quit); }},
      // The text box takes plain characters: only a true access key gets past it.
      {"Alt+Q in the text box", kArguments, [](HWND window, HWND) { PressAccessKey(window, L'q'); }},
      {"Esc in the text box", kArguments, [](HWND window, HWND) { PressKey(window, VK_ESCAPE); }},
      {"Esc on the default button", kGo, [](HWND window, HWND) { PressKey(window, VK_ESCAPE); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(TabTo(c.focus));
    c.press(window_, Item(kQuit));
    ASSERT_TRUE(process_->WaitForExit(kTimeoutMs));
    EXPECT_EQ(process_->ExitCode(), kFixtureExitCode);
    EXPECT_FALSE(IsWindow(window_));
    process_.reset();
  }
}

TEST_F(DriverTest, ReadsTextTheProgramPutOnTheClipboard) {
  // Text no earlier run can have left there.
  const std::wstring text =
      L"copied by " + std::to_wstring(GetCurrentProcessId()) + L" at " + std::to_wstring(GetTickCount64());
  ASSERT_NO_FATAL_FAILURE(Start(text));
  ASSERT_NE(ReadClipboardText(), text);
  Click(Item(kCopy));
  std::wstring read;
  EXPECT_TRUE(WaitUntil([&] { return (read = ReadClipboardText()) == text; }, kTimeoutMs)) << Narrow(read);
}

TEST_F(DriverTest, KillEndsTheProgramAndSoDoesLettingItGo) {
  ASSERT_NO_FATAL_FAILURE(Start());
  process_->Kill();
  EXPECT_TRUE(process_->WaitForExit(0));
  EXPECT_EQ(process_->ExitCode(), Process::kKilledExitCode);
  EXPECT_FALSE(IsWindow(window_));

  ASSERT_NO_FATAL_FAILURE(Start());
  UniqueHandle watch(OpenProcess(SYNCHRONIZE, FALSE, process_->Id()));
  ASSERT_NE(watch.Get(), nullptr);
  process_.reset();
  EXPECT_EQ(WaitForSingleObject(watch.Get(), 0), WAIT_OBJECT_0);
}

TEST_F(DriverTest, WaitsGiveUpOnTime) {
  ASSERT_NO_FATAL_FAILURE(Start());
  const ULONGLONG start = GetTickCount64();
  EXPECT_EQ(WaitForWindow(process_->Id(), L"NwFixture", L"Another title", 300), nullptr);
  EXPECT_EQ(WaitForWindow(process_->Id(), L"Another class", nullptr, 300), nullptr);
  EXPECT_FALSE(WaitForMessageBox(process_->Id(), 300).has_value());
  EXPECT_FALSE(process_->WaitForExit(300));
  const ULONGLONG elapsed = GetTickCount64() - start;
  EXPECT_GE(elapsed, 1150u);
  EXPECT_LT(elapsed, 5000u);
  // While the right ones are found at once.
  EXPECT_EQ(WaitForWindow(process_->Id(), L"nwfixture", L"Fixture", 0), window_);
}

}  // namespace
}  // namespace nw::e2e
