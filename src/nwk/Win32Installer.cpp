#include "nwk/Win32Installer.h"

#include <msi.h>
#include <msidefs.h>
#include <msiquery.h>
#include <wincrypt.h>
#include <wtypes.h>

#include <cstring>
#include <optional>

#include "platform/Module.h"

namespace nw::nwk {
namespace {}  // namespace

// The functions of msi.dll that nwk calls, found when it is loaded.
struct Win32Installer::Msi {
  decltype(&MsiOpenDatabaseW) openDatabase = nullptr;
  decltype(&MsiDatabaseOpenViewW) openView = nullptr;
  decltype(&MsiViewExecute) execute = nullptr;
  decltype(&MsiViewClose) closeView = nullptr;
  decltype(&MsiCreateRecord) createRecord = nullptr;
  decltype(&MsiRecordSetStringW) setString = nullptr;
  decltype(&MsiRecordSetInteger) setInteger = nullptr;
  decltype(&MsiRecordSetStreamW) setStream = nullptr;
  decltype(&MsiDatabaseImportW) import = nullptr;
  decltype(&MsiGetSummaryInformationW) summary = nullptr;
  decltype(&MsiSummaryInfoSetPropertyW) setSummary = nullptr;
  decltype(&MsiSummaryInfoPersist) persist = nullptr;
  decltype(&MsiDatabaseCommit) commit = nullptr;
  decltype(&MsiCloseHandle) close = nullptr;
  decltype(&MsiEnumRelatedProductsW) relatedProducts = nullptr;
  decltype(&MsiGetProductInfoW) productInfo = nullptr;
};

namespace {

using Msi = Win32Installer::Msi;

std::optional<Msi> LoadMsi() {
  const HMODULE module = LoadSystemLibrary(L"msi.dll");
  if (module == nullptr) return std::nullopt;
  Msi msi;
  auto find = [&](auto& function, const char* name) {
    function = FindFunction<std::remove_reference_t<decltype(function)>>(module, name);
    return function != nullptr;
  };
  const bool all =
      find(msi.openDatabase, "MsiOpenDatabaseW") && find(msi.openView, "MsiDatabaseOpenViewW") &&
      find(msi.execute, "MsiViewExecute") && find(msi.closeView, "MsiViewClose") &&
      find(msi.createRecord, "MsiCreateRecord") && find(msi.setString, "MsiRecordSetStringW") &&
      find(msi.setInteger, "MsiRecordSetInteger") && find(msi.setStream, "MsiRecordSetStreamW") &&
      find(msi.import, "MsiDatabaseImportW") && find(msi.summary, "MsiGetSummaryInformationW") &&
      find(msi.setSummary, "MsiSummaryInfoSetPropertyW") && find(msi.persist, "MsiSummaryInfoPersist") &&
      find(msi.commit, "MsiDatabaseCommit") && find(msi.close, "MsiCloseHandle") &&
      find(msi.relatedProducts, "MsiEnumRelatedProductsW") && find(msi.productInfo, "MsiGetProductInfoW");
  if (!all) return std::nullopt;
  return msi;
}

// Owns one handle of Windows Installer.
class MsiHandle {
 public:
  explicit MsiHandle(const Msi& msi, MSIHANDLE handle = 0) : msi_(msi), handle_(handle) {}
  MsiHandle(const MsiHandle&) = delete;
  MsiHandle& operator=(const MsiHandle&) = delete;
  ~MsiHandle() {
    if (handle_ != 0) msi_.close(handle_);
  }
  MSIHANDLE get() const { return handle_; }
  MSIHANDLE* put() {
    if (handle_ != 0) msi_.close(handle_);
    handle_ = 0;
    return &handle_;
  }

 private:
  const Msi& msi_;
  MSIHANDLE handle_;
};

void Check(UINT result, const char* what) {
  if (result != ERROR_SUCCESS)
    throw std::runtime_error(std::string(what) + " failed (error " + std::to_string(result) + ")");
}

// A folder of the user's temporary files for the run, removed with what it holds.
class ScratchFolder {
 public:
  ScratchFolder() {
    wchar_t base[MAX_PATH + 1];
    const DWORD length = GetTempPathW(MAX_PATH + 1, base);
    if (length == 0 || length > MAX_PATH) throw std::runtime_error("no folder for temporary files");
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
      std::wstring path = std::wstring(base) + L"nwk-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                          std::to_wstring(GetTickCount() + attempt);
      if (CreateDirectoryW(path.c_str(), nullptr)) {
        path_ = path;
        return;
      }
    }
    throw std::runtime_error("no folder for temporary files");
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  ~ScratchFolder() {
    for (const std::wstring& file : files_) DeleteFileW(file.c_str());
    RemoveDirectoryW(path_.c_str());
  }
  const std::wstring& Path() const { return path_; }
  // Writes a file of the folder and gives its full path.
  std::wstring Write(const std::wstring& name, const std::string& bytes) {
    const std::wstring file = path_ + L"\\" + name;
    files_.push_back(file);
    HANDLE handle = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_TEMPORARY, nullptr);
    if (handle == INVALID_HANDLE_VALUE) throw std::runtime_error("a temporary file cannot be written");
    DWORD written = 0;
    const BOOL wrote = WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(handle);
    if (!wrote || written != bytes.size()) throw std::runtime_error("a temporary file cannot be written");
    return file;
  }

 private:
  std::wstring path_;
  std::vector<std::wstring> files_;
};

// A package written beside its final path and moved there only once it is
// whole, so a failure never leaves a half-written package behind.
class Win32Database final : public InstallerDatabase {
 public:
  Win32Database(const Msi& msi, const std::wstring& path)
      : msi_(msi),
        path_(path),
        partial_(path + L"." + std::to_wstring(GetCurrentProcessId()) + L".partial"),
        database_(msi) {
    DeleteFileW(partial_.c_str());
    Check(msi_.openDatabase(partial_.c_str(), MSIDBOPEN_CREATE, database_.put()), "creating the package");
  }
  ~Win32Database() override {
    database_.put();  // closed first, so the file can go
    if (!done_) DeleteFileW(partial_.c_str());
  }

  void SetCodePage(int codePage) override {
    const std::string table = "\r\n\r\n" + std::to_string(codePage) + "\t_ForceCodepage\r\n";
    scratch_.Write(L"codepage.idt", table);
    Check(msi_.import(database_.get(), scratch_.Path().c_str(), L"codepage.idt"), "setting the code page");
  }

  void Execute(const std::wstring& sql, const std::vector<Field>& fields) override {
    MsiHandle view(msi_);
    Check(msi_.openView(database_.get(), sql.c_str(), view.put()), "preparing a statement");
    MsiHandle record(msi_);
    if (!fields.empty()) {
      *record.put() = msi_.createRecord(static_cast<UINT>(fields.size()));
      if (record.get() == 0) throw std::runtime_error("a record cannot be made");
      for (std::size_t i = 0; i < fields.size(); ++i) {
        const UINT index = static_cast<UINT>(i + 1);
        if (const int* number = std::get_if<int>(&fields[i]))
          Check(msi_.setInteger(record.get(), index, *number), "setting a number");
        if (const std::wstring* text = std::get_if<std::wstring>(&fields[i]))
          Check(msi_.setString(record.get(), index, text->c_str()), "setting a text");
        if (const StreamBytes* stream = std::get_if<StreamBytes>(&fields[i])) {
          const std::wstring file = scratch_.Write(L"stream" + std::to_wstring(++streams_), stream->bytes);
          Check(msi_.setStream(record.get(), index, file.c_str()), "setting a stream");
        }
      }
    }
    Check(msi_.execute(view.get(), record.get()), "running a statement");
    msi_.closeView(view.get());
  }

  void SetSummary(const Summary& summary) override {
    MsiHandle info(msi_);
    Check(msi_.summary(database_.get(), nullptr, 20, info.put()), "opening the summary");
    auto number = [&](UINT id, UINT type, int value) {
      Check(msi_.setSummary(info.get(), id, type, value, nullptr, nullptr),
            ("setting summary property " + std::to_string(id)).c_str());
    };
    auto text = [&](UINT id, const std::wstring& value) {
      Check(msi_.setSummary(info.get(), id, VT_LPSTR, 0, nullptr, value.c_str()),
            ("setting summary property " + std::to_string(id)).c_str());
    };
    // The security property's number of the system headers is another's.
    constexpr UINT kSecurity = 19;
    if (summary.codePage != 0) number(PID_CODEPAGE, VT_I2, summary.codePage);
    text(PID_TITLE, summary.title);
    text(PID_SUBJECT, summary.subject);
    text(PID_AUTHOR, summary.author);
    text(PID_KEYWORDS, summary.keywords);
    text(PID_COMMENTS, summary.comments);
    text(PID_TEMPLATE, summary.platforms);
    text(PID_REVNUMBER, summary.packageCode);
    number(PID_PAGECOUNT, VT_I4, summary.pageCount);
    number(PID_WORDCOUNT, VT_I4, summary.wordCount);
    number(kSecurity, VT_I4, summary.security);
    Check(msi_.persist(info.get()), "writing the summary");
  }

  void Commit() override {
    Check(msi_.commit(database_.get()), "writing the package");
    database_.put();
    if (!MoveFileExW(partial_.c_str(), path_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
      throw std::runtime_error("the package cannot be put in place (error " + std::to_string(GetLastError()) +
                               ")");
    done_ = true;
  }

 private:
  const Msi& msi_;
  std::wstring path_;
  std::wstring partial_;
  MsiHandle database_;
  ScratchFolder scratch_;
  unsigned streams_ = 0;
  bool done_ = false;
};

// Releases a cryptographic provider or hash.
struct CryptProvider {
  HCRYPTPROV handle = 0;
  ~CryptProvider() {
    if (handle != 0) CryptReleaseContext(handle, 0);
  }
};
struct CryptHash {
  HCRYPTHASH handle = 0;
  ~CryptHash() {
    if (handle != 0) CryptDestroyHash(handle);
  }
};

std::uint16_t Word(const std::uint8_t* at) {
  return static_cast<std::uint16_t>(at[0] | at[1] << 8);
}
void PutWord(std::string& out, std::uint32_t value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>(value >> 8 & 0xFF);
}
void PutDword(std::string& out, std::uint32_t value) {
  PutWord(out, value & 0xFFFF);
  PutWord(out, value >> 16);
}

// The bytes of one resource of the module; empty when it has none.
std::string ResourceBytes(HMODULE module, const wchar_t* name, const wchar_t* type) {
  HRSRC found = FindResourceW(module, name, type);
  if (found == nullptr) return {};
  HGLOBAL loaded = LoadResource(module, found);
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (data == nullptr) return {};
  return std::string(static_cast<const char*>(data), SizeofResource(module, found));
}

// The module that holds this code.
HMODULE ThisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&ThisModule), &module);
  return module;
}

}  // namespace

std::string IconFile(HMODULE module, const wchar_t* group, unsigned maxSize) {
  // An icon group lists its images as 14-byte entries that name each image's
  // resource; an .ico file lists them as 16-byte entries that give each
  // image's place in the file.
  const std::string directory = ResourceBytes(module, group, RT_GROUP_ICON);
  if (directory.size() < 6) return {};
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(directory.data());
  const std::size_t count = Word(bytes + 4);
  if (directory.size() < 6 + 14 * count) return {};
  std::vector<const std::uint8_t*> entries;
  std::vector<std::string> images;
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t* entry = bytes + 6 + 14 * i;
    // A width of 0 stands for 256.
    if (entry[0] == 0 || entry[0] > maxSize) continue;
    entries.push_back(entry);
    images.push_back(ResourceBytes(module, MAKEINTRESOURCEW(Word(entry + 12)), RT_ICON));
    if (images.back().empty()) return {};
  }
  if (images.empty()) return {};
  std::string file;
  PutWord(file, 0);
  PutWord(file, 1);
  PutWord(file, static_cast<std::uint32_t>(images.size()));
  std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * images.size());
  for (std::size_t i = 0; i < images.size(); ++i) {
    const std::uint8_t* entry = entries[i];
    file.append(reinterpret_cast<const char*>(entry), 8);  // size, colours, planes, bits
    PutDword(file, static_cast<std::uint32_t>(images[i].size()));
    PutDword(file, offset);
    offset += static_cast<std::uint32_t>(images[i].size());
  }
  for (const std::string& image : images) file += image;
  return file;
}

Win32Installer::Win32Installer() = default;
Win32Installer::~Win32Installer() = default;

const Win32Installer::Msi& Win32Installer::Functions() {
  if (!msi_) {
    std::optional<Msi> loaded = LoadMsi();
    if (!loaded) throw std::runtime_error("Windows Installer (msi.dll) cannot be loaded");
    msi_ = std::make_unique<Msi>(*loaded);
  }
  return *msi_;
}

std::unique_ptr<InstallerDatabase> Win32Installer::Create(const std::wstring& path) {
  return std::make_unique<Win32Database>(Functions(), path);
}

Sha1Digest Win32Installer::Hash(const std::string& bytes) {
  CryptProvider provider;
  if (!CryptAcquireContextW(&provider.handle, nullptr, nullptr, PROV_RSA_FULL,
                            CRYPT_VERIFYCONTEXT | CRYPT_SILENT))
    throw std::runtime_error("the system's hash functions are missing");
  CryptHash hash;
  if (!CryptCreateHash(provider.handle, CALG_SHA1, 0, 0, &hash.handle) ||
      !CryptHashData(hash.handle, reinterpret_cast<const BYTE*>(bytes.data()),
                     static_cast<DWORD>(bytes.size()), 0))
    throw std::runtime_error("hashing failed");
  Sha1Digest digest{};
  DWORD size = static_cast<DWORD>(digest.size());
  if (!CryptGetHashParam(hash.handle, HP_HASHVAL, digest.data(), &size, 0) || size != digest.size())
    throw std::runtime_error("hashing failed");
  return digest;
}

Arch Win32Installer::NativeArch() {
  SYSTEM_INFO info{};
  GetNativeSystemInfo(&info);
  return info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_INTEL ? Arch::X86 : Arch::X64;
}

std::string Win32Installer::ProgramIcon() {
  // Programs and Features draws the icon at the size of a small icon: 16
  // pixels at 100 percent, 48 at 300.
  return IconFile(ThisModule(), MAKEINTRESOURCEW(1), 48);
}

std::vector<InstalledProduct> Win32Installer::RelatedProducts(const std::wstring& upgradeCode) {
  const Msi& msi = Functions();
  std::vector<InstalledProduct> products;
  for (DWORD index = 0;; ++index) {
    wchar_t code[39] = {};
    const UINT result = msi.relatedProducts(upgradeCode.c_str(), 0, index, code);
    if (result == ERROR_NO_MORE_ITEMS) break;
    if (result != ERROR_SUCCESS)
      throw std::runtime_error("Windows Installer cannot list its products (error " + std::to_string(result) +
                               ")");
    InstalledProduct product{code, {}};
    DWORD length = 0;
    wchar_t none[1] = {};
    if (msi.productInfo(code, L"ProductName", none, &length) == ERROR_MORE_DATA) {
      std::wstring name(length + 1, L'\0');
      length += 1;
      if (msi.productInfo(code, L"ProductName", name.data(), &length) == ERROR_SUCCESS) {
        name.resize(length);
        product.name = name;
      }
    }
    products.push_back(std::move(product));
  }
  return products;
}

}  // namespace nw::nwk
