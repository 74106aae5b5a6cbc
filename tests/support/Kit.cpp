#include "support/Kit.h"

#include <fstream>
#include <system_error>

#include "support/RegistryDump.h"

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

namespace nw::test {

namespace fs = std::filesystem;

std::vector<std::pair<RootKey, std::string>> FolderKeys(const std::string& clsid) {
  std::vector<std::pair<RootKey, std::string>> keys;
  for (RootKey hive : {kHkeyLocalMachine, kHkeyCurrentUser})
    for (const std::string& parent : {kClassesKey, kDesktopNameSpace, kMyComputerNameSpace})
      keys.emplace_back(hive, parent + clsid);
  return keys;
}

void RemoveFolderKeys(Registry& registry, const std::string& clsid) {
  for (const auto& [root, path] : FolderKeys(clsid)) RemoveTree(registry, root, path);
}

SettingsFile::SettingsFile(const std::string& bytes, const std::string& name) {
#ifdef _WIN32
  const unsigned long process = static_cast<unsigned long>(_getpid());
#else
  const unsigned long process = static_cast<unsigned long>(getpid());
#endif
  static int count = 0;
  dir_ = fs::temp_directory_path() / ("nw-test-" + std::to_string(process) + "-" + std::to_string(++count));
  fs::create_directories(dir_);
  path_ = dir_ / name;
  std::ofstream(path_, std::ios::binary) << bytes;
}

SettingsFile::~SettingsFile() {
  std::error_code ignored;
  fs::remove_all(dir_, ignored);
}

}  // namespace nw::test
