#pragma once
// The channel list the feed server publishes as three plain text files: tab
// captions, page URLs and refresh rates, line i of each for channel i.
#include <string>
#include <string_view>
#include <vector>

namespace quarlen {

// The largest rate the refresh timer can take (its interval is rate x 1000 ms).
inline constexpr int MaxChannelRefreshRate = 2147483;

struct Channel {
  std::string name;     // the tab caption in UTF-8
  std::string link;     // the page URL; empty when the links file has no line for it
  int refreshRate = 0;  // seconds between reloads while active; 0 = none

  bool operator==(const Channel&) const = default;
};

// One channel per line of the names file (lines split as the list files are;
// UTF-8 when it is valid UTF-8, else windows-1251).
// Irregular files never fail: a channel without a links line gets no link and
// rate 0; a missing rates line, a rate that is not a decimal whole number, a
// negative rate or one over MaxChannelRefreshRate gives rate 0; links and
// rates beyond the names are ignored.
std::vector<Channel> ParseChannelFiles(std::string_view names, std::string_view links, std::string_view rates);

// A rates line read as a decimal whole number of seconds ("60", " 300 ",
// "+5"); 0 for anything else or anything out of range.
int ParseChannelRefreshRate(std::string_view line);

}  // namespace quarlen
