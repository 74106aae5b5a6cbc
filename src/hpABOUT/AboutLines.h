// The four information lines of the about window apart from any window: what
// each one shows, where the two link lines lead, and which link line is
// underlined as the pointer moves over the window.
#pragma once

#include <array>
#include <string>

#include "hpABOUT/AboutTexts.h"

namespace nw::about {

// The members of lblINFO.
enum InfoLine : int { kAuthorLine = 0, kMailLine = 1, kWebLine = 2, kCopyrightLine = 3 };
inline constexpr int kInfoLines = 4;

inline bool IsLink(int index) {
  return index == kMailLine || index == kWebLine;
}

// The text of lblINFO(index).
inline std::wstring InfoText(int index) {
  switch (index) {
    case kAuthorLine: return std::wstring(text::kAuthorPrefix) + text::kAuthorName;
    case kMailLine: return std::wstring(text::kLinkPrefix) + text::kAuthorMail;
    case kWebLine: return std::wstring(text::kLinkPrefix) + text::kAuthorWeb;
    case kCopyrightLine: return text::kCopyright;
    default: return {};
  }
}

// What a click on lblINFO(index) hands to the shell; empty for the lines that
// are not links.
inline std::wstring LinkTarget(int index) {
  switch (index) {
    case kMailLine:
      return std::wstring(text::kMailScheme) + text::kAuthorMail + text::kMailSubjectField +
             text::kMailSubject;
    case kWebLine: return text::kAuthorWeb;
    default: return {};
  }
}

// Which link line is underlined. Every mouse move over the window's background
// or over a line takes the underline off both link lines; a move over a link
// line then underlines that one. Moves over the pictures change nothing, and
// neither does the pointer leaving the window.
class LinkUnderline {
 public:
  // The pointer moved over the window's background.
  void Form_MouseMove() { ClearLinks(); }
  // The pointer moved over lblINFO(index).
  void lblINFO_MouseMove(int index) {
    ClearLinks();
    if (IsLink(index)) underlined_[static_cast<std::size_t>(index)] = true;
  }
  bool IsUnderlined(int index) const {
    return index >= 0 && index < kInfoLines && underlined_[static_cast<std::size_t>(index)];
  }

 private:
  void ClearLinks() {
    for (int index : {kMailLine, kWebLine}) underlined_[static_cast<std::size_t>(index)] = false;
  }

  std::array<bool, kInfoLines> underlined_{};
};

}  // namespace nw::about
