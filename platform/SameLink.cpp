#include "platform/SameLink.h"

#include <algorithm>

namespace quarlen {

namespace {
char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
}  // namespace

// Host names and schemes are ASCII and fold; anything else in a URL is either
// percent-encoded or significant, so folding only ASCII keeps two links that
// differ in a Cyrillic letter apart, as the list files already hold them.
bool SameLink(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
}

std::string LinkKey(std::string_view link) {
  std::string key(link);
  for (char& c : key) c = AsciiLower(c);
  return key;
}

}  // namespace quarlen
