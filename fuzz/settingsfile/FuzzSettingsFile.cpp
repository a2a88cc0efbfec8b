// Feeds arbitrary bytes to the settings store as its file. Whatever the file
// holds, reading never crashes; a file that parses takes a written value and
// gives it back exactly (under a "Configuration" root), and a file that does not parse is never overwritten.
// Run: fuzz_settingsfile fuzz/settingsfile/corpus
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "settings/SettingsStore.h"

namespace {
std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string path = "/tmp/fuzz-settings-" + std::to_string(::getpid()) + ".xml";
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  { std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes; }

  int errors = 0;
  quarlen::SettingsStore store(path, [&](const std::string&) { ++errors; });
  try {
    store.ReadBool("PlaySound", true);
    store.ReadInteger("RefreshInterval", 30);
    store.ReadString("Hostname", "");
  } catch (const quarlen::SettingsStoreError&) {
  }
  if (errors > 0) {
    try {
      store.WriteString("Probe", "x");
    } catch (const quarlen::SettingsStoreError&) {
    }
    if (Slurp(path) != bytes) std::abort();  // an unparsable file was overwritten
    return 0;
  }
  const std::string value = "a<b & \"c\" \xD0\x96 \r\n end";
  try {
    store.WriteString("Probe", value);
    // Values are read only from a root named exactly "Configuration".
    if (store.DocumentRootName() == quarlen::SettingsStore::RootName && store.ReadString("Probe", "") != value) {
      std::abort();
    }
  } catch (const quarlen::SettingsStoreError&) {
  }
  return 0;
}
