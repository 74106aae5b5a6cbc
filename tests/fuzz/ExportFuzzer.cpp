// Feeds arbitrary bytes to the settings reader and, when it takes them, holds
// every .reg export of the definition to what make and remove do.
#include <cstdio>
#include <cstdlib>

#include "NW_Core/NW_Core.h"
#include "support/ExportCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::FILE* stream = fmemopen(const_cast<std::uint8_t*>(data), size, "rb");
  if (stream == nullptr) return 0;  // fmemopen refuses an empty buffer
  nw::TextInput input(stream);
  nw::FolderDefinition definition;
  // The input's length picks one of the eight exports, and the code page:
  // 1252, or 932 with its double-byte characters.
  const nw::CodePage codePage((size / nw::test::kExports) % 2 == 0 ? 1252 : 932);
  if (!nw::ReadDefinition(input, definition, codePage)) return 0;
  const std::string fault =
      nw::test::CheckExports(definition, codePage, static_cast<int>(size % nw::test::kExports));
  if (!fault.empty()) {
    std::fprintf(stderr, "export fault: %s\n", fault.c_str());
    std::abort();
  }
  return 0;
}
