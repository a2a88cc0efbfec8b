// Feeds arbitrary bytes to the list-file reader. Whatever arrives, no entry
// holds a line break or a byte 0, and writing the entries and reading them
// back gives the same list; read as the gone list, the lines it keeps read
// back as themselves.
// Run: fuzz_listfiles fuzz/listfiles/corpus
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "feeds/GoneList.h"
#include "feeds/ListFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const auto entries = quarlen::ParseListText(bytes);
  for (const auto& e : entries)
    if (e.find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos) std::abort();
  if (quarlen::ParseListText(quarlen::FormatListText(entries)) != entries) std::abort();
  const std::chrono::sys_days today{std::chrono::days(20000)};
  const auto gone = quarlen::GoneList::FromLines(entries, today).Lines();
  if (quarlen::GoneList::FromLines(gone, today).Lines() != gone) std::abort();
  return 0;
}
