// The property nwk's .reg exports are held to, for the fuzzer and the tests:
// a file exported from a definition, read back by the strict reader, gives
// exactly what "make" writes, or exactly what "remove" deletes, and nothing
// else; an export is refused only for a key name no .reg file can hold.
#pragma once

#include <string>

#include "NW_Core/NW_Core.h"

namespace nw::test {

// Checks the exports of a complete definition in the given code page: each
// placement and scope, and the removal file of each scope, eight files in all,
// or only the one of that number (0 to 7), which keeps a fuzzing run fast.
// Each is read back and compared with the steps of make or remove, then
// imported into an in-memory registry and compared with what make or remove
// leave there. Empty when all hold; otherwise what went wrong, and where.
inline constexpr int kEveryExport = -1;
inline constexpr int kExports = 8;
std::string CheckExports(const FolderDefinition& definition, CodePage codePage = {},
                         int which = kEveryExport);

}  // namespace nw::test
