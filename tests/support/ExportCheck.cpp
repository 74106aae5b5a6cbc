#include "support/ExportCheck.h"

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>

#include "EasyReg/MemoryRegistry.h"
#include "nwk/Nwk.h"
#include "support/Fakes.h"
#include "support/RegReader.h"
#include "support/RegistryDump.h"

namespace nw::test {
namespace {

using Action = RegistryStep::Action;

// Another folder, registered beside the one under test: what no removal file may touch.
const FolderDefinition kNeighbour = [] {
  FolderDefinition folder;
  folder.FolderName = L"neighbour";
  folder.FolderClsid = L"{0000000D-CF0D-D10A-A240-000000000000}";
  return folder;
}();

bool NoRegForm(const std::wstring& name) {
  return name.find_first_of(L"\r\n]") != std::wstring::npos;
}

// Which exports must be refused, from the definition alone: the CLSID is in
// every key of both files, the menu names in the layout's verb keys.
bool RemovalRefused(const FolderDefinition& definition) {
  return NoRegForm(definition.FolderClsid);
}
bool LayoutRefused(const FolderDefinition& definition) {
  if (RemovalRefused(definition)) return true;
  for (const MenuEntry& entry : definition.MenuItems)
    if (NoRegForm(entry.MenuName)) return true;
  return false;
}

std::string Where(Placement placement, Scope scope) {
  static const char* const kPlacements[] = {"desktop", "system", "manual"};
  return std::string("export --placement ") + kPlacements[static_cast<int>(placement)] +
         (scope == Scope::User ? " --user" : "") + ": ";
}

std::string Show(const std::wstring& text) {
  return ToAnsi(text, kUtf8);
}

// Everything below the roots a registration touches, as text.
std::string Dump(Registry& registry) {
  return DumpTree(registry, kHkeyLocalMachine, "") + "|" + DumpTree(registry, kHkeyCurrentUser, "");
}

// A registry that takes every call and keeps a line for each that writes, in
// Unicode, as Windows holds it: the ANSI names and text of make's calls are
// converted as the registry's ANSI functions convert them. What make asks of
// the registry, to set beside what the file asks of an importer, which passes
// the file's Unicode text on as it stands.
class CallLog final : public Registry {
 public:
  explicit CallLog(CodePage codePage) : codePage_(codePage) {}
  CodePage AnsiCodePage() const override { return codePage_; }
  long CreateKey(KeyHandle base, std::string_view path, std::uint32_t, KeyHandle& key) override {
    key = Handle(base, path);
    created_.insert(paths_[key]);
    log += "create " + Utf8(paths_[key]) + "\n";
    return kErrorSuccess;
  }
  // Only what make has created is there.
  long OpenKey(KeyHandle base, std::string_view path, std::uint32_t, KeyHandle& key) override {
    key = Handle(base, path);
    if (created_.contains(paths_[key])) return kErrorSuccess;
    paths_.erase(key);
    key = 0;
    return kErrorFileNotFound;
  }
  long SetValue(KeyHandle key, std::string_view name, long type,
                const std::vector<std::uint8_t>& data) override {
    std::string bytes(data.begin(), data.end());
    if (type == kRegSz && !bytes.empty() && bytes.back() == '\0') {
      bytes.pop_back();
      bytes = Utf16Le(FromAnsi(bytes, codePage_) + L'\0');
    }
    log += SetLine(paths_[key], FromAnsi(name, codePage_), type, bytes);
    return kErrorSuccess;
  }
  long QueryValue(KeyHandle, std::string_view, long&, std::vector<std::uint8_t>&) override {
    return kErrorFileNotFound;
  }
  long EnumKey(KeyHandle, std::uint32_t, std::string&) override { return kErrorNoMoreItems; }
  long EnumValue(KeyHandle, std::uint32_t, std::string&) override { return kErrorNoMoreItems; }
  long DeleteKey(KeyHandle, std::string_view, std::uint32_t) override { return kErrorAccessDenied; }
  long DeleteValue(KeyHandle, std::string_view) override { return kErrorAccessDenied; }
  long CloseKey(KeyHandle key) override {
    return paths_.erase(key) == 1 ? kErrorSuccess : kErrorInvalidHandle;
  }
  // The wide calls: make reads through them (finding nothing) what it may have to put back.
  long CreateKeyWide(KeyHandle base, std::wstring_view path, std::uint32_t, std::uint32_t,
                     KeyHandle& key) override {
    key = Handle(base, path);
    log += "create " + Utf8(paths_[key]) + "\n";
    return kErrorSuccess;
  }
  // Nothing is there before make writes it, as on a registry without the folder.
  long OpenKeyWide(KeyHandle, std::wstring_view, std::uint32_t, std::uint32_t, KeyHandle&) override {
    return kErrorFileNotFound;
  }
  long SetValueWide(KeyHandle key, std::wstring_view name, long type,
                    const std::vector<std::uint8_t>& data) override {
    log += SetLine(paths_[key], std::wstring(name), type, std::string(data.begin(), data.end()));
    return kErrorSuccess;
  }
  long QueryValueWide(KeyHandle, std::wstring_view, long&, std::vector<std::uint8_t>&) override {
    return kErrorFileNotFound;
  }
  long EnumKeyWide(KeyHandle, std::uint32_t, std::wstring&) override { return kErrorNoMoreItems; }
  long EnumValueWide(KeyHandle, std::uint32_t, std::wstring&) override { return kErrorNoMoreItems; }
  long ReadValueAtWide(KeyHandle, std::uint32_t, std::wstring&, long&, std::vector<std::uint8_t>&) override {
    return kErrorNoMoreItems;
  }
  long DeleteTree(KeyHandle, std::wstring_view, std::uint32_t) override { return kErrorAccessDenied; }
  long DeleteValueWide(KeyHandle, std::wstring_view) override { return kErrorAccessDenied; }

  static std::string Utf8(const std::wstring& text) { return nw::Utf8(text); }
  static std::string SetLine(const std::wstring& key, const std::wstring& name, long type,
                             std::string_view bytes) {
    return "set " + Utf8(key) + " \"" + Utf8(name) + "\" " + std::to_string(type) + ":" + HexBytes(bytes) +
           "\n";
  }

  std::string log;

 private:
  KeyHandle Handle(KeyHandle base, std::string_view path) { return Handle(base, FromAnsi(path, codePage_)); }
  KeyHandle Handle(KeyHandle base, std::wstring_view path) {
    const auto known = paths_.find(base);
    const std::wstring from =
        known != paths_.end() ? known->second : nwk::RootName(static_cast<RootKey>(base));
    paths_[++next_] = from + L"\\" + std::wstring(path);
    return next_;
  }
  CodePage codePage_;
  std::map<KeyHandle, std::wstring> paths_;
  std::set<std::wstring> created_;
  KeyHandle next_ = 0x1000;
};

// What an importer asks of the registry for the file's steps.
std::string ImportLog(const std::vector<RegistryStep>& steps) {
  std::string log;
  for (const RegistryStep& step : steps) {
    const std::wstring key = nwk::RootName(step.root) + L"\\" + step.keyPath;
    if (step.action == Action::CreateKey) {
      log += "create " + CallLog::Utf8(key) + "\n";
    } else if (const auto* text = std::get_if<std::wstring>(&step.data)) {
      log += CallLog::SetLine(key, step.valueName, step.type, Utf16Le(*text + L'\0'));
    } else {
      const auto& bytes = std::get<std::vector<std::uint8_t>>(step.data);
      log += CallLog::SetLine(key, step.valueName, step.type,
                              std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    }
  }
  return log;
}

// A REG_SZ as the file holds it: UTF-16LE ending in its one NUL.
bool StringValue(const std::vector<std::uint8_t>& bytes, std::wstring& text) {
  if (bytes.size() < 2 || bytes.size() % 2 != 0 || bytes[bytes.size() - 2] != 0 || bytes.back() != 0)
    return false;
  text = FromUtf16Le(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size() - 2));
  return text.find(L'\0') == std::wstring::npos;
}

// The file's sections and values as registry steps, or a fault.
std::string AsSteps(const std::vector<RegEntry>& entries, std::vector<RegistryStep>& steps) {
  for (const RegEntry& entry : entries) {
    if (entry.kind == RegEntry::Kind::DeleteKey) return "a deletion in the layout file: " + Show(entry.path);
    if (entry.kind == RegEntry::Kind::Key) {
      steps.push_back({Action::CreateKey, entry.root, entry.path, {}, 0, {}});
      continue;
    }
    RegistryStep step{Action::SetValue, entry.root, entry.path, entry.valueName, entry.type, {}};
    if (entry.type == kRegSz) {
      std::wstring text;
      if (!StringValue(entry.data, text)) return "a string value that is not one NUL-terminated text";
      step.data = text;
    } else if (entry.type == kRegBinary) {
      step.data = entry.data;
    } else {
      return "a value of type " + std::to_string(entry.type);
    }
    steps.push_back(std::move(step));
  }
  return {};
}

std::string Describe(const RegistryStep& step) {
  std::string text = (step.action == Action::CreateKey ? "key " : "value ") + Utf8(nwk::RootName(step.root)) +
                     "\\" + Show(step.keyPath);
  if (step.action == Action::SetValue) {
    text += " \"" + Show(step.valueName) + "\" type " + std::to_string(step.type);
    if (const auto* s = std::get_if<std::wstring>(&step.data)) text += " \"" + Show(*s) + "\"";
  }
  return text;
}

bool SameStep(const RegistryStep& a, const RegistryStep& b) {
  return a.action == b.action && a.root == b.root && a.keyPath == b.keyPath && a.valueName == b.valueName &&
         (a.action == Action::CreateKey || (a.type == b.type && a.data == b.data));
}

// The file `write` makes, read back by the strict reader. Nothing where the
// definition is rightly refused a .reg form (`fault` stays empty) or where
// anything else went wrong (`fault` says what).
std::optional<std::vector<RegEntry>> WriteAndRead(const std::function<std::string()>& write, bool refused,
                                                  const std::string& where, std::string& fault) {
  std::string bytes;
  try {
    bytes = write();
  } catch (const nwk::NoRegForm& failure) {
    if (!refused) fault = where + "refused a key name a .reg file can hold: " + Show(failure.key);
    return std::nullopt;
  }
  std::vector<RegEntry> entries;
  try {
    entries = ReadRegFile(bytes);
  } catch (const RegSyntaxError& error) {
    fault = where + "the strict reader refuses the file: " + error.what();
    return std::nullopt;
  }
  if (refused) {
    fault = where + "wrote a key name that has no .reg form";
    return std::nullopt;
  }
  return entries;
}

std::string CheckLayout(const FolderDefinition& definition, Placement placement, Scope scope,
                        CodePage codePage) {
  const std::string where = Where(placement, scope);
  const std::vector<RegistryStep> layout = LayoutSteps(definition, placement, scope);
  std::string fault;
  const std::optional<std::vector<RegEntry>> entries =
      WriteAndRead([&] { return nwk::RegFile(layout); }, LayoutRefused(definition), where, fault);
  if (!entries) return fault;

  // The file says exactly the layout, step by step...
  std::vector<RegistryStep> read;
  if (fault = AsSteps(*entries, read); !fault.empty()) return where + fault;
  for (std::size_t i = 0; i < std::max(read.size(), layout.size()); ++i) {
    if (i >= read.size()) return where + "the file lacks " + Describe(layout[i]);
    if (i >= layout.size()) return where + "the file adds " + Describe(read[i]);
    if (!SameStep(read[i], layout[i]))
      return where + "the file holds " + Describe(read[i]) + " where make writes " + Describe(layout[i]);
  }
  // ...and imported, it asks the registry for what make asks, in the same
  // order, down to the last character.
  CallLog made(codePage);
  FakePlatform platform(made);
  MakeLink(platform.link, definition, placement, scope);
  if (const std::string imported = ImportLog(read); imported != made.log)
    return where + "the imported file and make ask different things of the registry:\n" + imported +
           "--- make:\n" + made.log;
  return {};
}

std::string CheckRemoval(const FolderDefinition& definition, Scope scope, CodePage codePage) {
  const std::string where = std::string("export --remove") + (scope == Scope::User ? " --user" : "") + ": ";
  const std::vector<RemovalKey> keys = RemovalKeys(definition, scope);
  std::string fault;
  const std::optional<std::vector<RegEntry>> read =
      WriteAndRead([&] { return nwk::RemovalRegFile(keys); }, RemovalRefused(definition), where, fault);
  if (!read) return fault;
  const std::vector<RegEntry>& entries = *read;

  // Exactly the three deletions of remove...
  if (entries.size() != keys.size())
    return where + std::to_string(entries.size()) + " entries, not 3 deletions";
  for (std::size_t i = 0; i < keys.size(); ++i) {
    const RegEntry expected{RegEntry::Kind::DeleteKey,
                            keys[i].parent.root,
                            keys[i].parent.path + L"\\" + keys[i].name,
                            {},
                            0,
                            {}};
    if (!(entries[i] == expected))
      return where + "entry " + std::to_string(i + 1) + " is not the deletion of " + Show(expected.path);
  }
  // ...which, over a registry holding the folder in both places beside its
  // neighbours, leave what remove leaves.
  auto populated = [&](std::unique_ptr<MemoryRegistry>& registry) {
    registry = std::make_unique<MemoryRegistry>(codePage);
    const FolderDefinition* folders[] = {&kNeighbour, &definition};
    for (const FolderDefinition* folder : folders) {
      const FolderPlaces places = PlacesOf(scope, folder->FolderClsid);
      std::vector<RegistryStep> steps = ClassSteps(*folder, places);
      for (Placement placement : {Placement::Desktop, Placement::MyComputer}) {
        const std::vector<RegistryStep> where = PlacementSteps(places, placement);
        steps.insert(steps.end(), where.begin(), where.end());
      }
      try {
        ApplySteps(*registry, steps);
      } catch (const RegistryError&) {
      }
    }
  };
  std::unique_ptr<MemoryRegistry> removed, imported;
  populated(removed);
  populated(imported);
  {
    FakePlatform platform(*removed);
    try {
      RemoveLink(platform.link, definition, scope);
    } catch (const RegistryError&) {
    }
  }
  for (const RegEntry& entry : entries) imported->DeleteTree(RootHandle(entry.root), entry.path, kAccess);
  const std::string left = Dump(*removed), importedLeft = Dump(*imported);
  if (left != importedLeft)
    return where + "the imported file and remove leave different registries:\n" + importedLeft +
           "\n--- remove:\n" + left;
  return {};
}

}  // namespace

std::string CheckExports(const FolderDefinition& definition, CodePage codePage, int which) {
  int number = 0;
  for (Scope scope : {Scope::Machine, Scope::User}) {
    for (Placement placement : {Placement::Desktop, Placement::MyComputer, Placement::Manual}) {
      if (which != kEveryExport && which != number++) continue;
      if (std::string fault = CheckLayout(definition, placement, scope, codePage); !fault.empty())
        return fault;
    }
    if (which != kEveryExport && which != number++) continue;
    if (std::string fault = CheckRemoval(definition, scope, codePage); !fault.empty()) return fault;
  }
  return {};
}

}  // namespace nw::test
