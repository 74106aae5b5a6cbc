#include "platform/Version.h"

#include <cwchar>

#ifdef _WIN32
#include <windows.h>

#include <cstring>
#endif

namespace nw {

std::wstring FormatVersion(const VersionNumbers& version) {
  wchar_t text[64];
  std::swprintf(text, 64, L"v%u.%02u.%04u", version.major, version.minor, version.revision);
  return text;
}

#ifdef _WIN32

VersionNumbers ProgramVersion() {
  VersionNumbers version;
  HRSRC info =
      FindResourceW(nullptr, MAKEINTRESOURCEW(VS_VERSION_INFO), MAKEINTRESOURCEW(16) /* RT_VERSION */);
  if (info == nullptr) return version;
  HGLOBAL loaded = LoadResource(nullptr, info);
  const auto* bytes = static_cast<const unsigned char*>(LockResource(loaded));
  const DWORD size = SizeofResource(nullptr, info);
  if (bytes == nullptr) return version;
  // The fixed part of the resource starts with its signature, aligned to 4 bytes.
  for (DWORD offset = 0; offset + sizeof(VS_FIXEDFILEINFO) <= size; offset += 4) {
    VS_FIXEDFILEINFO fixed;
    std::memcpy(&fixed, bytes + offset, sizeof fixed);
    if (fixed.dwSignature == 0xFEEF04BD) {
      version.major = HIWORD(fixed.dwFileVersionMS);
      version.minor = LOWORD(fixed.dwFileVersionMS);
      version.revision = LOWORD(fixed.dwFileVersionLS);
      break;
    }
  }
  return version;
}

#endif

}  // namespace nw
