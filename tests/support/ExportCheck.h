// The property nwk's .reg exports are held to, for the fuzzer and the tests:
// a file exported from a definition, read back by the strict reader, gives
// exactly what "make" writes, or exactly what "remove" deletes, and nothing
// else; an export is refused only for a key name no .reg file can hold.
#pragma once

#include <string>

#include "NW_Core/NW_Core.h"

namespace nw::test {

// Checks every export of a complete definition (each placement and scope, and
// the removal file of each scope) over the in-memory registry in the given
// code page. Empty when all hold; otherwise what went wrong, and where.
std::string CheckExports(const FolderDefinition& definition, CodePage codePage = {});

}  // namespace nw::test
