// Reading the settings (NWK) file into the folder definition.
#include <algorithm>
#include <optional>
#include <string_view>
#include <utility>

#include "NW_Core/NW_Core.h"
#include "NW_Core/SettingsGrammar.h"
#include "NW_Core/Texts.h"
#include "platform/AnsiText.h"
#include "platform/TextInput.h"

namespace nw {
namespace {

// True when text starts with key, letter case aside: folded as every name of
// the program is, character by character, on the Unicode text the file's
// code page gave.
bool StartsWithKey(const std::wstring& text, std::wstring_view key) {
  if (text.size() < key.size()) return false;
  return FoldCase(std::wstring_view(text).substr(0, key.size())) == FoldCase(key);
}

bool IsMagicLine(const std::wstring& line) {
  return line.size() == std::wstring_view(grammar::kMagicLine).size() &&
         StartsWithKey(line, grammar::kMagicLine);
}

// The last group of a class identifier: twelve hexadecimal digits. Anything
// else makes a key name no shell reads as a CLSID, and a backslash in it would
// split the class key in two levels that Remove Link could not take away whole.
bool IsClsidGroup(std::wstring_view value) {
  constexpr std::size_t kDigits = 12;
  if (value.size() != kDigits) return false;
  return std::all_of(value.begin(), value.end(), [](wchar_t c) {
    return (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f') || (c >= L'A' && c <= L'F');
  });
}

// A menu name is registered as the name of one key: without a backslash, which
// would nest keys, and no longer than the registry takes a key name, counted
// as Windows counts it, in UTF-16 units (a character beyond U+FFFF, which
// UTF-8 text may hold, takes two).
bool IsVerbName(std::wstring_view name) {
  constexpr std::size_t kMaxKeyName = 255;
  return name.find(L'\\') == std::wstring_view::npos && Utf16Length(name) <= kMaxKeyName;
}

// The longest line the reader takes. No name, icon, verb or command of more
// can be registered usefully, and the bound keeps memory independent of the file.
constexpr std::size_t kMaxLineBytes = 1 << 20;

}  // namespace

bool ReadDefinition(TextInput& input, FolderDefinition& definition, CodePage codePage) {
  // The next line, or nothing when the file has ended or the line cannot be
  // taken: longer than `limit`, or holding a NUL byte, which no text file does.
  auto next = [&](std::size_t limit = kMaxLineBytes) -> std::optional<std::wstring> {
    if (input.AtEnd()) return std::nullopt;
    std::optional<std::string> line = input.ReadLine(limit);
    if (!line || line->find('\0') != std::string::npos) return std::nullopt;
    return FromAnsi(*line, codePage);
  };

  // Only a line of the magic line's length can be the magic line.
  std::optional<std::wstring> line = next(std::wstring_view(grammar::kMagicLine).size());
  if (!line || !IsMagicLine(*line)) return false;

  line = next();
  if (!line || !StartsWithKey(*line, grammar::kNameKey)) return false;
  definition.FolderName = line->substr(std::wstring_view(grammar::kNameKey).size());

  line = next();
  if (!line || !StartsWithKey(*line, grammar::kIconKey)) return false;
  definition.FolderIcon = line->substr(std::wstring_view(grammar::kIconKey).size());

  line = next();
  if (!line || !StartsWithKey(*line, grammar::kClsidKey)) return false;
  const std::wstring group = line->substr(std::wstring_view(grammar::kClsidKey).size());
  if (!IsClsidGroup(group)) return false;
  definition.FolderClsid = grammar::kClsidPrefix + group + grammar::kClsidSuffix;

  while (!input.AtEnd()) {
    // More verbs than a file may have: refuse the file rather than drop any.
    if (definition.MenuItems.size() == kMenuSlots) return false;
    line = next();
    if (!line) return false;
    MenuEntry entry = SplitMenuLine(*line);
    if (!IsVerbName(entry.MenuName)) return false;
    definition.MenuItems.push_back(std::move(entry));
  }
  return true;
}

std::wstring SettingsPath(const std::wstring& argumentText) {
  // Drag-and-drop and file associations quote paths with blanks; a file name
  // never holds a quote, so one surrounding pair can only be such quoting.
  if (argumentText.size() >= 2 && argumentText.front() == L'"' && argumentText.back() == L'"' &&
      std::count(argumentText.begin(), argumentText.end(), L'"') == 2)
    return argumentText.substr(1, argumentText.size() - 2);
  return argumentText;
}

MenuEntry SplitMenuLine(const std::wstring& line) {
  MenuEntry entry;
  std::size_t first = line.find(L';');
  if (first == std::wstring::npos) return entry;
  entry.MenuName = line.substr(0, first);
  std::size_t second = line.find(L';', first + 1);
  if (second != std::wstring::npos) entry.MenuCommand = line.substr(first + 1, second - first - 1);
  return entry;
}

bool CheckCommandLine(const std::wstring& argumentText) {
  return !argumentText.empty();
}

SettingsRead ReadSettings(const std::wstring& argumentText, FolderDefinition& definition, CodePage codePage) {
  if (!CheckCommandLine(argumentText)) return SettingsRead::NoFileNamed;
  try {
    std::optional<TextInput> file = TextInput::Open(SettingsPath(argumentText));
    if (file && ReadDefinition(*file, definition, codePage)) return SettingsRead::Complete;
  } catch (const std::exception&) {
    // a read error ends reading like a malformed line
  }
  return SettingsRead::Incomplete;
}

}  // namespace nw
