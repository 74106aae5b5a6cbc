// Identifiers of the about window's controls, and its class name.
#pragma once

namespace nw::about {

// lblINFO(index) is kLblInfo + index.
enum ControlId : int { kImgHolpine = 100, kBtnEnd = 101, kLblInfo = 110 };

inline constexpr wchar_t kWindowClass[] = L"NookwayerAbout";

}  // namespace nw::about
