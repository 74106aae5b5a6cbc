// The program's own version numbers and the text the main window shows for them.
#pragma once

#include <string>

namespace nw {

struct VersionNumbers {
  unsigned major = 0;
  unsigned minor = 0;
  unsigned revision = 0;
};

// "v" major "." minor (at least two digits) "." revision (at least four digits).
std::wstring FormatVersion(const VersionNumbers& version);

#ifdef _WIN32
// Read from the version resource of the running executable
// (FILEVERSION major,minor,0,revision).
VersionNumbers ProgramVersion();
#endif

}  // namespace nw
