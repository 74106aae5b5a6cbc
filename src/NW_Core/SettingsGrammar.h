// The fixed parts of a settings file: its first line, the keys of its three
// lines, and the CLSID its clsid5 line completes.
#pragma once

namespace nw::grammar {

inline constexpr wchar_t kMagicLine[] = L"Hollowpine's Nookway v1_[A1]";
inline constexpr wchar_t kNameKey[] = L"name=";
inline constexpr wchar_t kIconKey[] = L"icon=";
inline constexpr wchar_t kClsidKey[] = L"clsid5=";
inline constexpr wchar_t kClsidPrefix[] = L"{0000000D-CF0D-D10A-A240-";
inline constexpr wchar_t kClsidSuffix[] = L"}";

}  // namespace nw::grammar
