// A Windows Installer package for one folder: the tables that install exactly
// the registration "nwk make" writes, the codes that name the package, and
// what nwk needs of Windows Installer to write it and to find it installed.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

#include "NW_Core/NW_Core.h"

namespace nw::nwk {

// The platform a package is for.
enum class Arch { X86, X64 };

struct PackageOptions {
  Placement placement = Placement::Desktop;
  Scope scope = Scope::Machine;
  Arch arch = Arch::X64;
  std::wstring version = L"1.0.0";
};

using Sha1Digest = std::array<std::uint8_t, 20>;
using Sha1 = std::function<Sha1Digest(const std::string& bytes)>;

// One field of a row: null, a whole number, text, or the bytes of a stream.
struct StreamBytes {
  std::string bytes;
  bool operator==(const StreamBytes&) const = default;
};
using Field = std::variant<std::monostate, int, std::wstring, StreamBytes>;

struct Column {
  std::wstring name;
  std::wstring type;  // as CREATE TABLE takes it: "CHAR(72) NOT NULL", "LONGCHAR LOCALIZABLE", ...
};

struct Table {
  std::wstring name;
  std::vector<Column> columns;
  std::vector<std::wstring> keys;  // the primary key's columns
  std::vector<std::vector<Field>> rows;
};

// The package's summary information stream.
struct Summary {
  int codePage = 0;
  std::wstring title, subject, author, keywords, comments, platforms, packageCode;
  int pageCount = 200;  // the installer version it needs: 2.0, the first with 64-bit packages
  int wordCount = 2;    // long names, compressed (no files at all); 8 more: no elevation needed
  int security = 2;     // read-only recommended
};

struct PackagePlan {
  int codePage = 0;  // of the database's text; 0 when all of it is ASCII
  std::vector<Table> tables;
  Summary summary;
  std::wstring productCode;
  std::wstring upgradeCode;
  std::wstring productName;
};

// A definition a package cannot install exactly as "nwk make" writes it.
class PackageRefused : public std::runtime_error {
 public:
  PackageRefused(int line, std::wstring reason)
      : std::runtime_error("cannot be packaged"), line(line), reason(std::move(reason)) {}
  int line;  // of the settings file
  std::wstring reason;
};

// Text as Windows Installer's Formatted columns read it back literally: every
// "[", "]", "{" and "}" escaped as "[\[]" and so on.
std::wstring FormattedLiteral(const std::wstring& text);
// A string value as the Value column of the Registry table: formatted
// literally, with a leading "#" doubled so that it stays text.
std::wstring RegistryStringValue(const std::wstring& text);

// A name-based UUID (version 5) in braces and upper case.
std::wstring NameBasedUuid(const std::array<std::uint8_t, 16>& nameSpace, const std::string& name,
                           const Sha1& sha1);
// The upgrade code of a folder's packages: from the folder's identity alone
// (CLSID, scope, placement, platform), so that every later package of the
// same folder replaces the one installed.
std::wstring UpgradeCode(const std::wstring& clsid, Scope scope, Placement placement, Arch arch,
                         const Sha1& sha1);

// True for a version Windows Installer takes: "X.Y.Z", X and Y up to 255, Z up to 65535.
bool IsProductVersion(const std::wstring& version);

// The package of the definition. The product code and package code follow
// from the content, so the same input gives the same package. Throws
// PackageRefused for text a package cannot carry exactly.
PackagePlan PlanPackage(const FolderDefinition& definition, const PackageOptions& options, CodePage codePage,
                        const std::string& icon, const Sha1& sha1);

// A new package database. Every step throws std::runtime_error on failure.
class InstallerDatabase {
 public:
  virtual ~InstallerDatabase() = default;
  virtual void SetCodePage(int codePage) = 0;
  // Runs one SQL statement with its "?" markers bound to the fields in order.
  virtual void Execute(const std::wstring& sql, const std::vector<Field>& fields) = 0;
  virtual void SetSummary(const Summary& summary) = 0;
  // Writes the database and puts it in place; nothing is left at the path before.
  virtual void Commit() = 0;
};
// Creates the tables, fills them and commits.
void WritePackage(const PackagePlan& plan, InstallerDatabase& database);

// A product that Windows Installer has installed.
struct InstalledProduct {
  std::wstring productCode;
  std::wstring name;
};

// What nwk needs of Windows Installer and of the system around it.
class Installer {
 public:
  virtual ~Installer() = default;
  // Throws std::runtime_error when the file cannot be made there.
  virtual std::unique_ptr<InstallerDatabase> Create(const std::wstring& path) = 0;
  virtual Sha1Digest Hash(const std::string& bytes) = 0;
  // The platform of the running Windows itself (x64 for the 32-bit nwk on 64-bit Windows).
  virtual Arch NativeArch() = 0;
  // The program's icon as an .ico file; empty when there is none.
  virtual std::string ProgramIcon() = 0;
  // The installed products of that upgrade code, for this user or the machine.
  virtual std::vector<InstalledProduct> RelatedProducts(const std::wstring& upgradeCode) = 0;
};

// The installed packages that own a folder of this CLSID in this scope: any
// placement, either platform.
std::vector<InstalledProduct> OwningPackages(Installer& installer, const std::wstring& clsid, Scope scope);

}  // namespace nw::nwk
