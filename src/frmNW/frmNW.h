// The main window: shows the folder definition, takes the placement and runs
// the four commands.
#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <utility>
#include <vector>

#include "NW_Core/NW_Core.h"
#include "frmNW/ControlIds.h"
#include "platform/Gdi.h"
#include "platform/Window.h"
#include "platform/WindowProc.h"

namespace nw {

class FrmNW final : public MainWindowView {
 public:
  // The window reads the folder definition into its own, and writes it into
  // the registry.
  FrmNW(const Platform& platform, Registry& registry);
  ~FrmNW() override;
  FrmNW(const FrmNW&) = delete;
  FrmNW& operator=(const FrmNW&) = delete;

  // Creates the window and its controls, hidden.
  bool Create(HINSTANCE instance);
  HWND hwnd() const { return hwnd_; }

  void Form_Load();
  // Keyboard handling the dialog manager leaves to the window: an access key
  // that several buttons share. True when the message was used.
  bool PreTranslate(const MSG& message);
  // Shows the window centred with the focus on Make Link.
  void Show();

  // MainWindowView
  void SetField(Field field, const std::wstring& text) override;
  // Ends the form, and with it the program (allowed while it is still loading).
  void Unload();

 private:
  template <typename Owner>
  friend LRESULT CALLBACK OwnerWindowProc(HWND, UINT, WPARAM, LPARAM);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  // Makes the controls in place for the window's DPI; false when one fails.
  bool CreateControls();
  void ApplyLayout(UINT dpi);
  void ShowLogo();
  HFONT FontOf(const ControlRow& row) const;
  void FollowFocus(HWND control);
  void RestoreFocus();
  void btnCOM_Click(int index);
  void optPLACE_Click(int index);
  // Runs the handler of a clicked control; false for a control without one.
  bool Clicked(int id);
  struct ClickRow {
    int id;
    void (FrmNW::*handler)(int index);
    int index;
    bool commandButton;
  };
  static const ClickRow kClicks[];
  static bool IsCommandButton(int id);
  Placement SelectedPlacement() const;
  // A control by its id, as it was made (nullptr for none).
  HWND Item(int id) const;

  const Platform& platform_;
  Registry& registry_;
  // The folder definition of the run: filled once by Form_Load, read afterwards.
  FolderDefinition definition_;
  HINSTANCE instance_ = nullptr;
  HWND hwnd_ = nullptr;
  // Set while the form itself destroys its window.
  bool ending_ = false;
  UINT dpi_ = 96;
  // The control that last had the focus, and the button Enter presses.
  HWND lastFocus_ = nullptr;
  int defaultId_ = kMakeLink;
  UniqueFont defaultFont_, smallFont_;
  UniqueIcon logo_;
  // The controls with their ids, in the order they were made.
  std::vector<std::pair<int, HWND>> items_;
};

// Exit status of the program when its main window cannot be created.
inline constexpr int kExitNoWindow = 1;

// The program's life as its main window: creates it, loads it, shows it and
// runs its messages until the form ends, then ends the program through
// platform.program with the status 0. `created` hears of the window as soon as
// it exists, for the services that need an owner window. Returns only where
// the window cannot be made: kExitNoWindow, after the error report.
int RunMainWindow(HINSTANCE instance, const Platform& platform, Registry& registry,
                  const std::function<void(HWND)>& created);

}  // namespace nw
