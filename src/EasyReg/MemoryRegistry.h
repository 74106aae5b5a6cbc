// A registry held in memory that answers like the Windows registry: names and
// text are held as Windows holds them, in Unicode, and the ANSI entry points
// convert them with the code page as Windows does (names are split and
// compared as Unicode text, so a double-byte character never counts as two or
// splits at a trail byte; text values are UTF-16LE, read and written through
// the ANSI calls in the code page, so both kinds of call agree on every
// value); key names match in any letter case and keep the case they were
// created with, a create makes every missing key on its path, a key with
// subkeys cannot be deleted, values keep their type and exact bytes, no
// lasting key is created below a volatile one, a link is followed on the way
// (links name keys of the machine's hive, \Registry\Machine\...; any other
// target is not found), and handles to deleted keys stop working.
//
// It has no HKEY_CLASSES_ROOT. That root is a view: Windows merges the user's
// classes over the machine's and may write to either, Wine shows the
// machine's alone. The program names the hive it means, and a call through
// the view is refused here as an invalid handle, so that any that remains
// fails its tests.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "EasyReg/Registry.h"
#include "platform/AnsiText.h"

namespace nw {

class MemoryRegistry final : public Registry {
 public:
  // One backend call, as seen by the journal and the fault injector.
  struct Call {
    std::string operation;  // "CreateKey", "OpenKey", "SetValue", "DeleteKey", ...
    std::string path;       // the key the call addresses, from its root
    std::string name;       // value name or subkey name, where the call has one
  };

  // Names and text in the given ANSI code page, by default the system's.
  explicit MemoryRegistry(CodePage codePage = {});
  ~MemoryRegistry() override;

  long CreateKey(KeyHandle base, std::string_view path, std::uint32_t access, KeyHandle& key) override;
  long OpenKey(KeyHandle base, std::string_view path, std::uint32_t access, KeyHandle& key) override;
  long SetValue(KeyHandle key, std::string_view name, long type,
                const std::vector<std::uint8_t>& data) override;
  long DeleteValue(KeyHandle key, std::string_view name) override;
  long QueryValue(KeyHandle key, std::string_view name, long& type, std::vector<std::uint8_t>& data) override;
  long EnumKey(KeyHandle key, std::uint32_t index, std::string& name) override;
  long EnumValue(KeyHandle key, std::uint32_t index, std::string& name) override;
  long DeleteKey(KeyHandle parent, std::string_view subkey, std::uint32_t access) override;
  long CloseKey(KeyHandle key) override;
  CodePage AnsiCodePage() const override { return codePage_; }

  long CreateKeyWide(KeyHandle base, std::wstring_view path, std::uint32_t options, std::uint32_t access,
                     KeyHandle& key) override;
  long OpenKeyWide(KeyHandle base, std::wstring_view path, std::uint32_t options, std::uint32_t access,
                   KeyHandle& key) override;
  long SetValueWide(KeyHandle key, std::wstring_view name, long type,
                    const std::vector<std::uint8_t>& data) override;
  long DeleteValueWide(KeyHandle key, std::wstring_view name) override;
  long QueryValueWide(KeyHandle key, std::wstring_view name, long& type,
                      std::vector<std::uint8_t>& data) override;
  long EnumKeyWide(KeyHandle key, std::uint32_t index, std::wstring& name) override;
  long EnumValueWide(KeyHandle key, std::uint32_t index, std::wstring& name) override;
  long ReadValueAtWide(KeyHandle key, std::uint32_t index, std::wstring& name, long& type,
                       std::vector<std::uint8_t>& data) override;
  long DeleteTree(KeyHandle parent, std::wstring_view subkey, std::uint32_t access) override;

  // Every call made so far that changes or opens a key (reads are not
  // journaled), through either kind of entry point; names in the code page.
  const std::vector<Call>& Journal() const { return journal_; }
  void ClearJournal() { journal_.clear(); }
  // Called before each journaled call; a non-zero answer makes that call fail
  // with the answer as its result, changing nothing.
  std::function<long(const Call&)> inject;
  // Called before each read ("QueryValue", "EnumKey", "EnumValue"), which is
  // not journaled; a non-zero answer makes the read fail with it.
  std::function<long(const Call&)> injectRead;
  // Number of handles opened and not yet closed.
  std::size_t OpenHandles() const { return handles_.size(); }
  // Creates the keys missing on the path as volatile ones, as a create with
  // REG_OPTION_VOLATILE does: a lasting key cannot be created below them.
  long CreateVolatileKey(KeyHandle base, std::string_view path);

 private:
  struct Node;
  struct Value {
    std::wstring name;
    long type;
    std::vector<std::uint8_t> data;  // text as UTF-16LE
  };
  // Names in the order the registry lists them: by their lower-case UTF-16 units.
  using Folded = std::u16string;
  struct Node {
    std::wstring name;
    std::string path;  // from the root, in the code page, for the journal
    Node* parent = nullptr;
    bool deleted = false;
    bool isVolatile = false;
    bool isLink = false;
    std::map<Folded, std::shared_ptr<Node>> children;  // by folded name
    std::vector<Value> values;                         // by folded name
  };
  struct Open {
    std::shared_ptr<Node> node;
    std::uint32_t access;
  };

  // How a path is walked: whether missing keys are made, and what the last
  // key is made as or opened as.
  struct Walk {
    bool create = false;
    std::uint32_t options = 0;
  };
  // A path as the ANSI entry points take it (at most 260 characters), or as the wide ones do.
  enum class Entry { Ansi, Wide };

  // Opens the key at the path, or with `create` creates it and every missing
  // key on the way.
  long Reach(bool create, KeyHandle base, std::wstring_view path, Entry entry, std::uint32_t options,
             std::uint32_t access, KeyHandle& key);
  long Find(std::shared_ptr<Node> node, std::vector<std::wstring> parts, const Walk& walk,
            std::shared_ptr<Node>& found);
  bool LinkTarget(const Node& link, std::vector<std::wstring>& parts) const;
  long SetValueOf(KeyHandle key, std::wstring_view name, long type, const std::vector<std::uint8_t>& data);
  long DeleteValueOf(KeyHandle key, std::wstring_view name);
  long QueryValueOf(KeyHandle key, std::wstring_view name, long& type, std::vector<std::uint8_t>& data);
  long EnumKeyOf(KeyHandle key, std::uint32_t index, std::wstring& name);
  long EnumValueOf(KeyHandle key, std::uint32_t index, std::wstring& name);
  long Resolve(KeyHandle base, std::shared_ptr<Node>& node, std::uint32_t need) const;
  long SplitPath(std::wstring_view path, Entry entry, std::vector<std::wstring>& parts) const;
  std::string Ansi(std::wstring_view text) const { return ToAnsi(text, codePage_); }
  static Folded Fold(std::wstring_view name);
  long Journaled(const Call& call);
  long Read(const Call& call) const { return injectRead ? injectRead(call) : kErrorSuccess; }
  KeyHandle NewHandle(std::shared_ptr<Node> node, std::uint32_t access);

  CodePage codePage_;
  std::shared_ptr<Node> currentUser_, localMachine_;
  std::map<KeyHandle, Open> handles_;
  KeyHandle nextHandle_ = 0x1000;
  std::vector<Call> journal_;
};

}  // namespace nw
