// Both windows at 96, 120, 144 and 192 DPI, in this program's own process:
// every fixed caption fits its control in the font the control holds, the
// fonts grow with the DPI, every picture is drawn at the size of its box, and
// the size each window asks for at a DPI (WM_GETDPISCALEDSIZE, which Wine 8
// never sends itself) is the size it has when shown at that DPI.
//
// Wine takes the display's DPI when a process starts, so each DPI runs this
// program again (the tests of DISABLED_AtTheDisplayDpi, which an ordinary run
// leaves out) with the setting changed, and puts the setting back afterwards.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "EasyReg/MemoryRegistry.h"
#include "e2e/Driver.h"
#include "frmNW/ControlIds.h"
#include "frmNW/frmNW.h"
#include "hpABOUT/AboutControlIds.h"
#include "hpABOUT/hpABOUT.h"
#include "hpABOUT/resource.h"
#include "platform/Dpi.h"
#include "platform/Gdi.h"
#include "platform/Window.h"
#include "support/Fakes.h"

namespace nw::test {
namespace {

constexpr wchar_t kDpiVariable[] = L"NW_DISPLAY_DPI";

// Runs this program again for the tests at the display DPI; its output goes
// where this one's goes. Gives its exit code.
DWORD RunAtDisplayDpi(UINT dpi) {
  wchar_t exe[MAX_PATH];
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  std::wstring commandLine = L"\"" + std::wstring(exe) +
                             L"\" --gtest_also_run_disabled_tests --gtest_filter=DISABLED_AtTheDisplayDpi.*";
  SetEnvironmentVariableW(kDpiVariable, std::to_wstring(dpi).c_str());
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION started{};
  const BOOL ok = CreateProcessW(exe, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                 &startup, &started);
  SetEnvironmentVariableW(kDpiVariable, nullptr);
  if (!ok) return 0xFFFFFFFF;
  const e2e::UniqueHandle process(started.hProcess), thread(started.hThread);
  DWORD code = 0xFFFFFFFF;
  if (WaitForSingleObject(process.Get(), 90000) == WAIT_OBJECT_0)
    GetExitCodeProcess(process.Get(), &code);
  else
    TerminateProcess(process.Get(), code);
  return code;
}

class DisplayDpi : public testing::TestWithParam<UINT> {};

TEST_P(DisplayDpi, BothWindowsFitTheirCaptionsAndDrawTheirPicturesAtTheirSize) {
  const e2e::DisplayDpi setting(GetParam());
  EXPECT_EQ(RunAtDisplayDpi(GetParam()), 0u);
}

INSTANTIATE_TEST_SUITE_P(Dpi, DisplayDpi, testing::Values(96u, 120u, 144u, 192u));

// --- In the process started at the display DPI -----------------------------------------------------

UINT DisplayDpiOfThisRun() {
  const char* value = std::getenv("NW_DISPLAY_DPI");
  return value != nullptr ? static_cast<UINT>(std::atoi(value)) : 0;
}

std::wstring TextOf(HWND control) {
  wchar_t text[256];
  return std::wstring(text, static_cast<std::size_t>(GetWindowTextW(control, text, 256)));
}

std::wstring ClassOf(HWND control) {
  wchar_t name[32];
  return std::wstring(name, static_cast<std::size_t>(GetClassNameW(control, name, 32)));
}

// The caption as the control draws it in the font it holds: its size, and the
// height of its characters without the space above them.
struct Measured {
  SIZE size;
  int characterHeight;
  std::wstring face;
};
Measured Measure(HWND control) {
  const auto font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
  const auto style = static_cast<DWORD>(GetWindowLongW(control, GWL_STYLE));
  const bool prefixes = ClassOf(control) != L"Static" || (style & SS_NOPREFIX) == 0;
  const ScreenDc screen;
  const Selection selected(screen.get(), font);
  RECT r{0, 0, 0, 0};
  const std::wstring text = TextOf(control);
  DrawTextW(screen.get(), text.c_str(), -1, &r, DT_CALCRECT | DT_SINGLELINE | (prefixes ? 0 : DT_NOPREFIX));
  TEXTMETRICW metrics{};
  GetTextMetricsW(screen.get(), &metrics);
  wchar_t face[LF_FACESIZE];
  const int faceLength = GetTextFaceW(screen.get(), LF_FACESIZE, face);
  return {{r.right - r.left, r.bottom - r.top},
          metrics.tmHeight - metrics.tmInternalLeading,
          std::wstring(face, faceLength > 0 ? static_cast<std::size_t>(faceLength - 1) : 0)};
}

// Room for the caption: the control's width less what it draws beside the
// text at 96 DPI, scaled: a push button's edge and focus rectangle on each
// side (3 pixels), an option's circle and its gap (17), the corner of a group
// box before its caption (10).
int RoomFor(HWND control, UINT dpi) {
  RECT client;
  GetClientRect(control, &client);
  int beside = 0;
  if (ClassOf(control) == L"Button") {
    switch (GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK) {
      case BS_PUSHBUTTON:
      case BS_DEFPUSHBUTTON: beside = 6; break;
      case BS_GROUPBOX: beside = 10; break;
      default: beside = 17; break;
    }
  }
  return client.right - MulDiv(beside, static_cast<int>(dpi), 96);
}

// Each caption of `window`'s controls (those with text) fits its control, and
// its characters are at least `minimumHeight(control)` pixels high.
void ExpectCaptionsFit(HWND window, UINT dpi, const std::function<int(HWND)>& minimumHeight) {
  int captions = 0;
  for (HWND control = GetWindow(window, GW_CHILD); control != nullptr;
       control = GetWindow(control, GW_HWNDNEXT)) {
    const std::wstring text = TextOf(control);
    if (text.empty()) continue;
    ++captions;
    SCOPED_TRACE(testing::Message() << "\"" << std::string(text.begin(), text.end()) << "\"");
    const Measured caption = Measure(control);
    RECT client;
    GetClientRect(control, &client);
    EXPECT_LE(caption.size.cx, RoomFor(control, dpi));
    EXPECT_LE(caption.size.cy, client.bottom);
    EXPECT_GE(caption.characterHeight, minimumHeight(control)) << caption.face;
  }
  EXPECT_GT(captions, 0);
}

// The size of an icon's or cursor's picture, and its hot spot.
struct IconShape {
  SIZE size;
  POINT hotSpot;
  bool isIcon;
};
IconShape ShapeOf(HICON icon) {
  ICONINFO info{};
  if (!GetIconInfo(icon, &info)) return {};
  // GetIconInfo makes copies of the bitmaps for the caller.
  const std::unique_ptr<HBITMAP__, e2e::ObjectDelete> mask(info.hbmMask), colour(info.hbmColor);
  BITMAP shape{};
  GetObjectW(colour ? colour.get() : mask.get(), sizeof shape, &shape);
  // A picture without colours is its mask and, below it, the picture itself.
  const LONG height = colour ? shape.bmHeight : shape.bmHeight / 2;
  return {{shape.bmWidth, height},
          {static_cast<LONG>(info.xHotspot), static_cast<LONG>(info.yHotspot)},
          info.fIcon != FALSE};
}
SIZE PictureSizeOf(HICON icon) {
  return ShapeOf(icon).size;
}

// The window as shown at the display DPI: its client area is its table's size
// in twips at that DPI, and WM_GETDPISCALEDSIZE for that DPI gives exactly its
// size, which a move to a monitor of that DPI then gives it (WM_DPICHANGED).
void ExpectScaledSizeIsTheShownSize(HWND window, UINT dpi, int widthTwips, int heightTwips) {
  RECT client, frame;
  GetClientRect(window, &client);
  GetWindowRect(window, &frame);
  EXPECT_EQ(client.right, Scale(widthTwips, dpi));
  EXPECT_EQ(client.bottom, Scale(heightTwips, dpi));
  SIZE answered{-1, -1};
  EXPECT_EQ(SendMessageW(window, kWmGetDpiScaledSize, dpi, reinterpret_cast<LPARAM>(&answered)), TRUE);
  EXPECT_EQ(answered.cx, frame.right - frame.left);
  EXPECT_EQ(answered.cy, frame.bottom - frame.top);
}

// Seven eighths of a height: a font made smaller so that its captions fit may
// lose a pixel or two, one that kept its 96-DPI size loses more.
int MostOf(int pixels) {
  return pixels - pixels / 8;
}

TEST(DISABLED_AtTheDisplayDpi, MainWindowCaptionsFitAndItsLogoFillsItsBox) {
  const UINT dpi = DisplayDpiOfThisRun();
  ASSERT_NE(dpi, 0u);
  MemoryRegistry registry;
  FakePlatform fake(registry, L"x.nwk");
  FrmNW form(fake.platform, fake.registry);
  ASSERT_TRUE(form.Create(GetModuleHandleW(nullptr)));
  ASSERT_EQ(WindowDpi(form.hwnd()), dpi);

  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
  const int messageHeight = std::abs(metrics.lfMessageFont.lfHeight);
  ExpectCaptionsFit(form.hwnd(), dpi, [&](HWND control) {
    const int id = GetDlgCtrlID(control);
    // The small print: 6.75 points; the rest: the system's message font.
    return MostOf(id == kLblVer || id == kLblThanks ? MulDiv(675, static_cast<int>(dpi), 7200)
                                                    : messageHeight);
  });
  // At 96 DPI the window looks as it always has: the small print in Small
  // Fonts, the face drawn for that size, the rest in the message font itself.
  if (dpi == 96) {
    EXPECT_EQ(Measure(GetDlgItem(form.hwnd(), kLblVer)).face, L"Small Fonts");
    EXPECT_EQ(Measure(GetDlgItem(form.hwnd(), kLblThanks)).face, L"Small Fonts");
    for (int id : {kMakeLink, kRemoveLink, kDesktop, kFrame, kLblCommand}) {
      LOGFONTW held{};
      GetObjectW(reinterpret_cast<HFONT>(SendDlgItemMessageW(form.hwnd(), id, WM_GETFONT, 0, 0)), sizeof held,
                 &held);
      EXPECT_EQ(held.lfHeight, metrics.lfMessageFont.lfHeight) << id;
      EXPECT_STREQ(held.lfFaceName, metrics.lfMessageFont.lfFaceName) << id;
    }
  }

  // The logo: the program icon, as large as its box (480 twips).
  HWND logoControl = GetDlgItem(form.hwnd(), kImgLogo);
  const auto logo = reinterpret_cast<HICON>(SendMessageW(logoControl, STM_GETICON, 0, 0));
  const SIZE picture = PictureSizeOf(logo);
  RECT box;
  GetClientRect(logoControl, &box);
  EXPECT_EQ(box.right, Scale(480, dpi));
  EXPECT_EQ(picture.cx, box.right);
  EXPECT_EQ(picture.cy, box.bottom);

  form.Show();
  ExpectScaledSizeIsTheShownSize(form.hwnd(), dpi, 6495, 3000);
  form.Unload();
  // The window's end asks the thread to quit: this thread has more to show.
  MSG quit;
  PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
}

// The pixels an owner-drawn picture of the about window draws into a box of
// its control's size, top-down, 0x00RRGGBB.
std::vector<DWORD> DrawnPicture(HWND about, int id, SIZE size) {
  BITMAPINFO bits{};
  bits.bmiHeader = {sizeof bits.bmiHeader, size.cx, -size.cy, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* pixels = nullptr;
  const ScreenDc screen;
  const std::unique_ptr<HDC__, e2e::DcDelete> memory(CreateCompatibleDC(screen.get()));
  const std::unique_ptr<HBITMAP__, e2e::ObjectDelete> target(
      CreateDIBSection(screen.get(), &bits, DIB_RGB_COLORS, &pixels, nullptr, 0));
  if (!memory || !target) return {};
  const Selection selected(memory.get(), target.get());
  DRAWITEMSTRUCT item{};
  item.CtlType = ODT_STATIC;
  item.CtlID = static_cast<UINT>(id);
  item.itemAction = ODA_DRAWENTIRE;
  item.hwndItem = GetDlgItem(about, id);
  item.hDC = memory.get();
  item.rcItem = {0, 0, size.cx, size.cy};
  SendMessageW(about, WM_DRAWITEM, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(&item));
  GdiFlush();
  const auto* first = static_cast<const DWORD*>(pixels);
  return std::vector<DWORD>(first, first + size.cx * size.cy);
}

// A picture of this program's resources, as 0x00RRGGBB top-down.
std::vector<DWORD> ResourcePicture(int id, SIZE* size) {
  const UniqueBitmap bitmap = LoadIconPicture(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id));
  BITMAP shape{};
  GetObjectW(bitmap.get(), sizeof shape, &shape);
  *size = {shape.bmWidth, shape.bmHeight};
  BITMAPINFO bits{};
  bits.bmiHeader = {sizeof bits.bmiHeader, shape.bmWidth, -shape.bmHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  std::vector<DWORD> pixels(static_cast<std::size_t>(shape.bmWidth * shape.bmHeight));
  const ScreenDc screen;
  GetDIBits(screen.get(), bitmap.get(), 0, static_cast<UINT>(shape.bmHeight), pixels.data(), &bits,
            DIB_RGB_COLORS);
  return pixels;
}

bool Green(DWORD pixel) {
  return (pixel >> 8 & 0xFF) >= 160 && (pixel >> 16 & 0xFF) < 100 && (pixel & 0xFF) < 100;
}

// What the about window shows at the display DPI, looked at once it is open.
void LookAtTheAboutWindow(HWND about, UINT dpi) {
  ExpectScaledSizeIsTheShownSize(about, dpi, 4290, 2475);
  ExpectCaptionsFit(about, dpi, [dpi](HWND) { return MostOf(MulDiv(825, static_cast<int>(dpi), 7200)); });

  // Each picture fills its box: the close image's bright corner is the box's
  // top right corner, the logo's rule under the word mark reaches nearly to
  // its right edge. Where a picture is drawn for this DPI it is shown as drawn.
  const int drawnFor = dpi == 96 ? 0 : dpi == 144 ? 1 : dpi == 192 ? 2 : -1;
  const struct {
    int id;
    int twipsWide, twipsHigh;
    int pictures[3];
  } boxes[] = {{about::kImgHolpine, 1800, 960, {IDB_HOLPINE, IDB_HOLPINE_150, IDB_HOLPINE_200}},
               {about::kBtnEnd, 810, 795, {IDB_END, IDB_END_150, IDB_END_200}}};
  for (const auto& box : boxes) {
    SCOPED_TRACE(box.id);
    RECT client;
    GetClientRect(GetDlgItem(about, box.id), &client);
    const SIZE size{client.right, client.bottom};
    EXPECT_EQ(size.cx, Scale(box.twipsWide, dpi));
    EXPECT_EQ(size.cy, Scale(box.twipsHigh, dpi));
    const std::vector<DWORD> drawn = DrawnPicture(about, box.id, size);
    auto at = [&](int x, int y) { return drawn[static_cast<std::size_t>(y * size.cx + x)]; };
    if (box.id == about::kBtnEnd) {
      EXPECT_TRUE(Green(at(size.cx - 1, 0)));
      EXPECT_EQ(at(0, size.cy - 1), 0u);
    } else {
      EXPECT_NE(at(size.cx * 231 / 240, size.cy * 87 / 128), 0u);  // the middle of grid cell (115, 43)
    }
    if (drawnFor < 0) continue;
    SIZE pictureSize{};
    const std::vector<DWORD> picture = ResourcePicture(box.pictures[drawnFor], &pictureSize);
    EXPECT_EQ(pictureSize.cx, size.cx);
    EXPECT_EQ(pictureSize.cy, size.cy);
    EXPECT_TRUE(picture == drawn) << "shown otherwise than drawn";
  }

  // The hand over a link: 32, 48 or 64 pixels, the hot spot on the fingertip.
  SendMessageW(about, WM_SETCURSOR, reinterpret_cast<WPARAM>(GetDlgItem(about, about::kLblInfo + 1)),
               MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  const IconShape hand = ShapeOf(GetCursor());
  const int size = dpi >= 192 ? 64 : dpi >= 144 ? 48 : 32;
  EXPECT_FALSE(hand.isIcon);
  EXPECT_EQ(hand.size.cx, size);
  EXPECT_EQ(hand.size.cy, size);
  EXPECT_EQ(hand.hotSpot.x, 12 * size / 32);
  EXPECT_EQ(hand.hotSpot.y, 8 * size / 32);
}

// The about window runs its own loop until it is closed: a timer of this
// thread looks at it from inside that loop, then closes it.
UINT g_aboutDpi = 0;
int g_ticks = 0;
bool g_lookedAt = false;

void CALLBACK LookThenClose(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND about = FindWindowW(about::kWindowClass, nullptr);
  if (about == nullptr && ++g_ticks < 200) return;
  KillTimer(nullptr, timer);
  if (about == nullptr) return;
  LookAtTheAboutWindow(about, g_aboutDpi);
  g_lookedAt = true;
  PostMessageW(about, WM_CLOSE, 0, 0);
}

TEST(DISABLED_AtTheDisplayDpi, AboutPicturesFillTheirBoxesAndTheHandKeepsItsHotSpot) {
  g_aboutDpi = DisplayDpiOfThisRun();
  ASSERT_NE(g_aboutDpi, 0u);
  ASSERT_NE(SetTimer(nullptr, 0, 20, &LookThenClose), 0u);
  ShowAboutModal(GetModuleHandleW(nullptr), nullptr);
  EXPECT_TRUE(g_lookedAt);
}

}  // namespace
}  // namespace nw::test
