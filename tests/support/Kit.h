// What many suites need: the settings file's magic line, the keys of a
// registered folder, a settings file on disk, the rights to read a key.
// Written out here as the files and the registry hold them, not taken from
// the program, so that a wrong text in the program fails the tests.
#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "EasyReg/Registry.h"

namespace nw::test {

// The first line of every settings file, without and with its line end.
inline const std::string kMagic = "Hollowpine's Nookway v1_[A1]";
inline const std::string kMagicLine = kMagic + "\r\n";

// Where a class is registered, below the hive of its scope, and where the
// Desktop and My Computer list the folders placed in them.
inline const std::string kClassesKey = "Software\\Classes\\CLSID\\";
inline const std::string kExplorerKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\";
inline const std::string kDesktopNameSpace = kExplorerKey + "Desktop\\NameSpace\\";
inline const std::string kMyComputerNameSpace = kExplorerKey + "MyComputer\\NameSpace\\";

// Every key a registration of the CLSID may leave, in both scopes: the class
// key and the two namespace entries, the machine's first.
std::vector<std::pair<RootKey, std::string>> FolderKeys(const std::string& clsid);
// Removes them all (a test's sandbox, before and after it runs).
void RemoveFolderKeys(Registry& registry, const std::string& clsid);

// A settings file in a folder of its own under the temporary folder, both
// removed with the object. Tests run side by side, so each folder is unique.
class SettingsFile {
 public:
  explicit SettingsFile(const std::string& bytes, const std::string& name = "folder.nwk");
  ~SettingsFile();
  SettingsFile(const SettingsFile&) = delete;
  SettingsFile& operator=(const SettingsFile&) = delete;
  std::wstring path() const { return path_.wstring(); }
  std::wstring dir() const { return dir_.wstring(); }

 private:
  std::filesystem::path dir_, path_;
};

}  // namespace nw::test
