// What both programs declare to Windows in their resources, read from the
// built files as Windows reads them: the manifest (execution level, the
// Windows versions they were made for, no code page of their own) and the
// version resource.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

struct Program {
  const char* name;
  std::wstring path;
  const char* executionLevel;
  const wchar_t* description;
};

std::vector<Program> Programs() {
  return {
      {"nookwayer.exe", L"Z:" NW_NOOKWAYER_EXE, "asInvoker", L"Creates a registry link (desktop/system)"},
      {"nwk.exe", L"Z:" NW_NWK_EXE, "asInvoker",
       L"Shows, exports, makes and removes Nookwayer folder definitions"},
  };
}

std::string Manifest(const std::wstring& path) {
  HMODULE module =
      LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  if (module == nullptr) return "(cannot load: " + std::to_string(GetLastError()) + ")";
  std::string text;
  if (HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24) /* RT_MANIFEST */)) {
    const auto* bytes = static_cast<const char*>(LockResource(LoadResource(module, info)));
    if (bytes != nullptr) text.assign(bytes, SizeofResource(module, info));
  }
  FreeLibrary(module);
  return text;
}

std::wstring VersionString(const std::wstring& path, const wchar_t* name) {
  DWORD ignored = 0;
  std::vector<char> block(GetFileVersionInfoSizeW(path.c_str(), &ignored));
  if (block.empty() || !GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(block.size()), block.data()))
    return L"(no version resource)";
  wchar_t* value = nullptr;
  UINT length = 0;
  const std::wstring query = L"\\StringFileInfo\\040904b0\\" + std::wstring(name);
  if (!VerQueryValueW(block.data(), query.c_str(), reinterpret_cast<void**>(&value), &length) ||
      value == nullptr)
    return L"(no " + std::wstring(name) + L")";
  return std::wstring(value, length > 0 ? length - 1 : 0);
}

TEST(Manifests, DeclareTheirRightsAndEveryWindowsFromVistaOn) {
  const char* const supportedOs[] = {
      "{e2011457-1546-43c5-a5fe-008deee3d3f0}",  // Vista
      "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  // 7
      "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  // 8
      "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  // 8.1
      "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  // 10 and 11
  };
  for (const Program& program : Programs()) {
    SCOPED_TRACE(program.name);
    const std::string manifest = Manifest(program.path);
    EXPECT_NE(manifest.find(std::string("requestedExecutionLevel level=\"") + program.executionLevel + "\""),
              std::string::npos)
        << manifest;
    for (const char* id : supportedOs)
      EXPECT_NE(manifest.find(std::string("<supportedOS Id=\"") + id + "\"/>"), std::string::npos) << id;
    // Text stays in the system's ANSI code page, which the registry's names use.
    EXPECT_EQ(manifest.find("activeCodePage"), std::string::npos);
  }
}

TEST(Manifests, BothProgramsCarryTheProjectsVersion) {
  const std::wstring version = NW_FILE_VERSION;
  for (const Program& program : Programs()) {
    SCOPED_TRACE(program.name);
    EXPECT_EQ(VersionString(program.path, L"FileVersion"), version);
    EXPECT_EQ(VersionString(program.path, L"ProductVersion"), version);
    EXPECT_EQ(VersionString(program.path, L"FileDescription"), program.description);
    EXPECT_EQ(VersionString(program.path, L"OriginalFilename"),
              std::wstring(program.name, program.name + std::strlen(program.name)));
  }
}

}  // namespace
