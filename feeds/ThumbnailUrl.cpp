#include "feeds/ThumbnailUrl.h"

#include <algorithm>

namespace quarlen {

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::string DecodeChartUrl(std::string_view encoded) {
  std::string out;
  out.reserve(encoded.size());
  std::size_t i = 0;
  while (i < encoded.size()) {
    const char c = encoded[i];
    if (c == '+') {
      out += ' ';
      ++i;
      continue;
    }
    if (c != '%') {
      out += c;
      ++i;
      continue;
    }
    // The escape always consumes "%" and up to two characters, whatever they
    // hold, so a bad escape never leaves half of itself behind.
    const std::size_t digits = std::min<std::size_t>(2, encoded.size() - i - 1);
    int value = digits == 0 ? -1 : 0;
    for (std::size_t d = 0; d < digits; ++d) {
      const int digit = HexDigit(encoded[i + 1 + d]);
      if (digit < 0) {
        value = -1;
        break;
      }
      value = value * 16 + digit;
    }
    if (value >= 1 && value <= 255) out += static_cast<char>(value);
    i += 1 + digits;
  }
  return out;
}

}  // namespace quarlen
