// Windows Installer as nwk uses it: the system's own msi.dll, loaded from the
// system folder when a command needs it, for writing a folder's package and
// for finding the packages installed.
#pragma once

#include <windows.h>

#include <string>

#include "nwk/Package.h"

namespace nw::nwk {

class Win32Installer final : public Installer {
 public:
  Win32Installer();
  ~Win32Installer() override;
  std::unique_ptr<InstallerDatabase> Create(const std::wstring& path) override;
  Sha1Digest Hash(const std::string& bytes) override;
  Arch NativeArch() override;
  std::string ProgramIcon() override;
  std::vector<InstalledProduct> RelatedProducts(const std::wstring& upgradeCode) override;

  struct Msi;

 private:
  // msi.dll is loaded when a command first needs it.
  const Msi& Functions();
  std::unique_ptr<Msi> msi_;
};

// The images of the module's icon group up to maxSize pixels wide, as an .ico
// file; empty when it has none.
std::string IconFile(HMODULE module, const wchar_t* group, unsigned maxSize);

}  // namespace nw::nwk
