#include "platform/AnsiText.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace nw {

#ifdef _WIN32

std::wstring FromAnsi(std::string_view ansi) {
  if (ansi.empty()) return {};
  int size = MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
  std::wstring text(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), text.data(), size);
  return text;
}

std::string ToAnsi(std::wstring_view text) {
  if (text.empty()) return {};
  int size = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                 nullptr);
  std::string ansi(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), ansi.data(), size, nullptr,
                      nullptr);
  return ansi;
}

#else

std::wstring FromAnsi(std::string_view ansi) {
  std::wstring text;
  text.reserve(ansi.size());
  for (char c : ansi) text.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
  return text;
}

std::string ToAnsi(std::wstring_view text) {
  std::string ansi;
  ansi.reserve(text.size());
  for (wchar_t c : text) ansi.push_back(static_cast<unsigned>(c) <= 0xFF ? static_cast<char>(c) : '?');
  return ansi;
}

#endif

}  // namespace nw
