// Feeds arbitrary bytes to the channel-file reader as the three files (split at
// the first two byte-1 separators). Whatever arrives, there is one channel per
// names line, every rate is one the reload timer can take, and a channel
// without a page has rate 0.
// Run: fuzz_channelfiles fuzz/channelfiles/corpus
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "feeds/ChannelList.h"
#include "feeds/ListFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view rest(reinterpret_cast<const char*>(data), size);
  std::string_view parts[3];
  for (int i = 0; i < 2; ++i) {
    const std::size_t cut = rest.find('\x01');
    parts[i] = rest.substr(0, cut);
    rest = cut == std::string_view::npos ? std::string_view() : rest.substr(cut + 1);
  }
  parts[2] = rest;
  const auto channels = quarlen::ParseChannelFiles(parts[0], parts[1], parts[2]);
  if (channels.size() != quarlen::ParseListText(parts[0]).size()) std::abort();
  for (const auto& channel : channels) {
    if (channel.refreshRate < 0 || channel.refreshRate > quarlen::MaxChannelRefreshRate) std::abort();
    if (channel.link.empty() && channel.refreshRate != 0) std::abort();
  }
  return 0;
}
