// The new command: a settings file written from its parts, with a CLSID
// group of its own, read back through the reader before it counts as written.
#include <array>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <vector>

#ifdef _WIN32
#include <windows.h>
// (after windows.h, which it needs)
#include <ntsecapi.h>
#else
#include <sys/random.h>
#include <unistd.h>
#endif

#include "EasyReg/EasyReg.h"
#include "NW_Core/SettingsGrammar.h"
#include "NW_Core/Texts.h"
#include "nwk/Nwk.h"
#include "nwk/Texts.h"
#include "nwk/Verbs.h"
#include "platform/AnsiText.h"
#include "platform/TextInput.h"

namespace nw::nwk {
namespace {

// Whether any scope has a class key of that CLSID already.
bool Registered(Registry& registry, const std::wstring& clsid) {
  for (Scope scope : {Scope::Machine, Scope::User}) {
    const KeyLocation where = PlacesOf(scope, clsid).classKey.Key();
    try {
      if (OpenToRead(registry, where.root, where.path)) return true;
    } catch (const RegistryReadError&) {
      return true;  // there, or not known to be free
    }
  }
  return false;
}

// Files by the system's own functions: the file system library of the C++
// runtime would more than double the program.
bool FileExists(const std::wstring& path) {
#ifdef _WIN32
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
#else
  return access(ToAnsi(path, kUtf8).c_str(), F_OK) == 0;
#endif
}

void RemoveFile(const std::wstring& path) {
#ifdef _WIN32
  DeleteFileW(path.c_str());
#else
  unlink(ToAnsi(path, kUtf8).c_str());
#endif
}

bool HoldsLineBreak(const std::wstring& text) {
  return text.find_first_of(L"\r\n") != std::wstring::npos;
}

}  // namespace

std::array<std::uint8_t, 6> SystemRandomBytes() {
  std::array<std::uint8_t, 6> bytes{};
#ifdef _WIN32
  if (!RtlGenRandom(bytes.data(), static_cast<ULONG>(bytes.size())))
    throw std::runtime_error("the system's random source failed");
#else
  if (getrandom(bytes.data(), bytes.size(), 0) != static_cast<ssize_t>(bytes.size()))
    throw std::runtime_error("the system's random source failed");
#endif
  return bytes;
}

std::wstring FreshClsid5(Registry* registry, const RandomBytes& random) {
  // Forty-eight random bits meet a registered group only by design, never by
  // chance; a few draws are plenty.
  for (int draw = 0; draw < 8; ++draw) {
    const std::array<std::uint8_t, 6> bytes = random();
    std::wstring group;
    for (std::uint8_t byte : bytes) {
      static constexpr wchar_t kDigits[] = L"0123456789ABCDEF";
      group += kDigits[byte >> 4];
      group += kDigits[byte & 0xF];
    }
    if (registry == nullptr ||
        !Registered(*registry, nw::grammar::kClsidPrefix + group + nw::grammar::kClsidSuffix))
      return group;
  }
  throw std::runtime_error("no free CLSID found");
}

std::optional<std::wstring> NewFileRefusal(const NewFile& file) {
  if (HoldsLineBreak(file.name)) return msg::kNewLineBreak + std::wstring(L"name");
  if (HoldsLineBreak(file.icon)) return msg::kNewLineBreak + std::wstring(L"icon");
  if (file.verbs.size() > kMenuSlots)
    return msg::kNewTooManyVerbs + std::to_wstring(kMenuSlots) + msg::kNewTooManyVerbsEnd;
  for (const std::wstring& verb : file.verbs) {
    if (HoldsLineBreak(verb)) return msg::kNewLineBreak + verb;
    const std::size_t first = verb.find(L';');
    const std::size_t second = first == std::wstring::npos ? first : verb.find(L';', first + 1);
    if (second == std::wstring::npos || second + 1 != verb.size()) return msg::kNewVerbForm + verb;
  }
  return std::nullopt;
}

std::string NewFileBytes(const NewFile& file, const std::wstring& clsid5, CodePage codePage) {
  std::wstring text = std::wstring(nw::grammar::kMagicLine) + L"\r\n" + nw::grammar::kNameKey + file.name +
                      L"\r\n" + nw::grammar::kIconKey + file.icon + L"\r\n" + nw::grammar::kClsidKey +
                      clsid5 + L"\r\n";
  for (const std::wstring& verb : file.verbs) text += verb + L"\r\n";
  return ToAnsi(text, codePage);
}

int WriteNewFile(const NewFile& file, const std::wstring& path, bool force, Output& output,
                 Registry* registry, const RandomBytes& random) {
  auto error = [&](int status, const std::wstring& message) {
    output.err += Utf8(msg::kErrorPrefix + message) + "\n";
    return status;
  };
  if (std::optional<std::wstring> refusal = NewFileRefusal(file)) return error(kExitRefused, *refusal);

  const CodePage codePage = registry ? registry->AnsiCodePage() : CodePage{};
  std::wstring clsid5;
  try {
    clsid5 = FreshClsid5(registry, random);
  } catch (const std::exception& failure) {
    return error(kExitRegistry, FromAnsi(failure.what()));
  }
  if (!force && FileExists(path)) return error(kExitCannotWrite, msg::kNewExists + path);
  if (!WriteBytes(path, NewFileBytes(file, clsid5, codePage)))
    return error(kExitCannotWrite, msg::kCannotWrite + path);

  // The file counts only when the reader reads back exactly what was asked for.
  FolderDefinition intended;
  intended.FolderName = file.name;
  intended.FolderIcon = file.icon;
  intended.FolderClsid = nw::grammar::kClsidPrefix + clsid5 + nw::grammar::kClsidSuffix;
  for (const std::wstring& verb : file.verbs) intended.MenuItems.push_back(SplitMenuLine(verb));
  FolderDefinition read;
  bool complete = false;
  try {
    std::optional<TextInput> input = TextInput::Open(path);
    complete = input && ReadDefinition(*input, read, codePage);
  } catch (const std::exception&) {
    complete = false;
  }
  if (!complete || read != intended) {
    RemoveFile(path);
    return error(kExitRefused, std::wstring(msg::kNewNotReadBack));
  }
  output.out += Utf8(msg::kNewWritten + path + L" " + intended.FolderClsid) + "\n";
  return kExitDone;
}

int RunNew(const Options& options, Context& context) {
  const NewFile file{options.operand, options.icon.value_or(msg::kNewDefaultIcon), options.verbs};
  return WriteNewFile(file, *options.outPath, options.force, context.output, context.registry);
}

}  // namespace nw::nwk
