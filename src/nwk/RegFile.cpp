// The registration as a .reg file: the format regedit and "reg import" read,
// UTF-16LE with its byte-order mark and CR LF line ends.
#include <cstdio>

#include "nwk/Nwk.h"
#include "nwk/Texts.h"
#include "nwk/Verbs.h"

namespace nw::nwk {
namespace {

constexpr wchar_t kHeader[] = L"Windows Registry Editor Version 5.00\r\n";

// Text goes as a quoted string, but a quoted string cannot hold a line break:
// such text, and every other type, goes as the value's bytes in the
// registry's own form (text as UTF-16LE with its terminating NUL).
std::wstring ValueLine(const RegistryStep& step) {
  std::wstring line = step.valueName.empty() ? L"@" : L"\"" + EscapeRegString(step.valueName) + L"\"";
  line += L"=";
  const auto* text = std::get_if<std::wstring>(&step.data);
  if (step.type == kRegSz && text && text->find_first_of(L"\r\n") == std::wstring::npos)
    line += L"\"" + EscapeRegString(*text) + L"\"";
  else if (step.type == kRegBinary)
    line += L"hex:" + Hex(ValueBytes(step.type, step.data, kUtf16Le));
  else
    line += L"hex(" + std::to_wstring(step.type) + L"):" + Hex(ValueBytes(step.type, step.data, kUtf16Le));
  return line + L"\r\n";
}

// A section line holds a key's whole name between "[" and "]". A line break
// would end the line inside the name and start lines of its own (in a removal
// file, deletions of other keys); a "]" inside the name is where an importer
// that takes the first "]" of the line ends it (Wine's takes the last one,
// nothing documents what Windows' own does). A name with either has no form
// every importer reads alike.
std::wstring SectionName(RootKey root, const std::wstring& path) {
  std::wstring key = RootName(root) + L"\\" + path;
  if (key.find_first_of(L"\r\n]") != std::wstring::npos) throw NoRegForm(key);
  return key;
}

std::string Encode(const std::wstring& text) {
  return "\xFF\xFE" + Utf16Le(text);
}

}  // namespace

std::wstring Hex(const std::vector<std::uint8_t>& bytes) {
  std::wstring out;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    wchar_t pair[4];
    std::swprintf(pair, 4, L"%02x", bytes[i]);
    out += (i == 0 ? L"" : L",") + std::wstring(pair);
  }
  return out;
}

std::wstring RootName(RootKey root) {
  switch (root) {
    case kHkeyClassesRoot: return L"HKEY_CLASSES_ROOT";
    case kHkeyCurrentUser: return L"HKEY_CURRENT_USER";
    case kHkeyLocalMachine: return L"HKEY_LOCAL_MACHINE";
  }
  throw std::logic_error("unknown root key");
}

std::wstring EscapeRegString(const std::wstring& text) {
  std::wstring out;
  for (wchar_t c : text) {
    if (c == L'\\' || c == L'"') out += L'\\';
    out += c;
  }
  return out;
}

std::string RegFile(const std::vector<RegistryStep>& steps) {
  std::wstring text = kHeader;
  std::wstring section;
  for (const RegistryStep& step : steps) {
    const std::wstring key = SectionName(step.root, step.keyPath);
    // Each created key opens a section, as does a value of another key.
    if (step.action == RegistryStep::Action::CreateKey || key != section) {
      text += L"\r\n[" + key + L"]\r\n";
      section = key;
    }
    if (step.action == RegistryStep::Action::SetValue) text += ValueLine(step);
  }
  return Encode(text + L"\r\n");
}

std::string RemovalRegFile(const std::vector<RemovalKey>& keys) {
  std::wstring text = kHeader;
  for (const RemovalKey& key : keys)
    text += L"\r\n[-" + SectionName(key.parent.root, key.parent.path + L"\\" + key.name) + L"]\r\n";
  return Encode(text + L"\r\n");
}

int RunExport(const Options& options, Context& context) {
  int status = kExitDone;
  const std::optional<FolderDefinition> definition = CompleteDefinition(options, context, status);
  if (!definition) return status;
  std::string bytes;
  try {
    bytes = options.removal ? RemovalRegFile(RemovalKeys(*definition, options.scope))
                            : RegFile(LayoutSteps(*definition, options.placement, options.scope));
  } catch (const NoRegForm& failure) {
    return Fail(context.output, kExitRefused, msg::kNoRegForm + failure.key);
  }
  if (!options.outPath) {
    context.output.out += bytes;
    context.output.outEncoding = Encoding::Utf16Le;
  } else if (!WriteBytes(*options.outPath, bytes)) {
    return Fail(context.output, kExitCannotWrite, msg::kCannotWrite + *options.outPath);
  }
  return kExitDone;
}

}  // namespace nw::nwk
