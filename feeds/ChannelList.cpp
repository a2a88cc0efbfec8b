#include "feeds/ChannelList.h"

#include <charconv>

#include "feedparser/Utf8.h"
#include "feeds/ListFile.h"
#include "platform/AsciiText.h"

namespace quarlen {

int ParseChannelRefreshRate(std::string_view line) {
  // Blanks around the number and a leading plus sign are what a hand-edited
  // file holds; anything else is irregular and stops the channel's timer
  // rather than raising an error box in the middle of building the tabs.
  std::string_view digits = TrimAscii(line, " \t");
  if (!digits.empty() && digits.front() == '+') digits.remove_prefix(1);
  if (digits.empty() || digits.front() < '0' || digits.front() > '9') return 0;
  long long value = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (error != std::errc() || end != digits.data() + digits.size()) return 0;
  if (value < 0 || value > MaxChannelRefreshRate) return 0;
  return static_cast<int>(value);
}

std::vector<Channel> ParseChannelFiles(std::string_view names, std::string_view links, std::string_view rates) {
  // The server writes its texts in its single-byte code page; a names file
  // that is valid UTF-8 is taken as such.
  const std::vector<std::string> nameLines = ParseListText(Utf8OrWindows1251(names));
  const std::vector<std::string> linkLines = ParseListText(links);
  const std::vector<std::string> rateLines = ParseListText(rates);
  std::vector<Channel> channels;
  channels.reserve(nameLines.size());
  for (std::size_t i = 0; i < nameLines.size(); ++i) {
    Channel channel;
    channel.name = nameLines[i];
    if (i < linkLines.size()) {
      channel.link = linkLines[i];
      if (i < rateLines.size()) channel.refreshRate = ParseChannelRefreshRate(rateLines[i]);
    }
    // Without a page there is nothing to reload: the channel stays blank.
    if (channel.link.empty()) channel.refreshRate = 0;
    channels.push_back(std::move(channel));
  }
  return channels;
}

}  // namespace quarlen
