#include "platform/Version.h"

#ifdef _WIN32
#include <windows.h>

#include <cstring>
#endif

namespace nw {

namespace {

// The number in decimal, with leading zeros up to `width` digits.
std::wstring Decimal(unsigned number, std::size_t width) {
  std::wstring digits;
  do {
    digits.insert(digits.begin(), static_cast<wchar_t>(L'0' + number % 10));
    number /= 10;
  } while (number != 0);
  if (digits.size() < width) digits.insert(0, width - digits.size(), L'0');
  return digits;
}

}  // namespace

std::wstring FormatVersion(const VersionNumbers& version) {
  return L"v" + Decimal(version.major, 1) + L"." + Decimal(version.minor, 2) + L"." +
         Decimal(version.revision, 4);
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
