#include "platform/CodePage.h"

#include <charconv>

#include "platform/AsciiText.h"

namespace quarlen {
namespace {

bool TakePrefix(std::string_view& name, std::string_view prefix) {
  if (name.substr(0, prefix.size()) != prefix) return false;
  name.remove_prefix(prefix.size());
  return true;
}

unsigned Number(std::string_view digits) {
  unsigned value = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  return error == std::errc() && end == digits.data() + digits.size() ? value : 0;
}

}  // namespace

unsigned WindowsCodePageOf(std::string_view charset) {
  const std::string lowered = AsciiLowered(charset);
  std::string_view name = lowered;
  if (name == "koi8-r") return 20866;
  if (name == "koi8-u") return 21866;
  if (name == "ibm866" || name == "cp866") return 866;
  if (TakePrefix(name, "windows-") || TakePrefix(name, "cp") || TakePrefix(name, "win-")) {
    const unsigned page = Number(name);
    return (page >= 1250 && page <= 1258) || page == 874 ? page : 0;
  }
  if (TakePrefix(name, "iso-8859-") || TakePrefix(name, "iso8859-")) {
    const unsigned part = Number(name);
    // The parts Windows has a code page for: 28591 to 28599, 28603 and 28605.
    return (part >= 1 && part <= 9) || part == 13 || part == 15 ? 28590 + part : 0;
  }
  return 0;
}

}  // namespace quarlen
