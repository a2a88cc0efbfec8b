#include "feedparser/Utf8.h"

#include <cerrno>
#include <cstdint>

#include "platform/CodePage.h"

namespace quarlen {

namespace {
// The length of the well-formed UTF-8 sequence at text[at], 0 when there is none.
std::size_t Utf8SequenceLength(std::string_view text, std::size_t at) {
  const std::size_t n = text.size();
  auto byte = [&](std::size_t k) { return k < n ? static_cast<unsigned char>(text[k]) : 0u; };
  auto cont = [&](std::size_t k) { return k < n && (byte(k) & 0xC0) == 0x80; };
  const unsigned c = byte(at);
  if (c < 0x80) return 1;
  if (c >= 0xC2 && c <= 0xDF) return cont(at + 1) ? 2 : 0;
  if (c >= 0xE0 && c <= 0xEF) {
    const bool ok =
        cont(at + 1) && cont(at + 2) && !(c == 0xE0 && byte(at + 1) < 0xA0) && !(c == 0xED && byte(at + 1) > 0x9F);
    return ok ? 3 : 0;
  }
  if (c >= 0xF0 && c <= 0xF4) {
    const bool ok = cont(at + 1) && cont(at + 2) && cont(at + 3) && !(c == 0xF0 && byte(at + 1) < 0x90) &&
                    !(c == 0xF4 && byte(at + 1) > 0x8F);
    return ok ? 4 : 0;
  }
  return 0;
}
}  // namespace

bool IsValidUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t len = Utf8SequenceLength(text, i);
    if (len == 0) return false;
    i += len;
  }
  return true;
}

std::string ToValidUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t len = Utf8SequenceLength(text, i);
    if (len == 0) {
      out += "\xEF\xBF\xBD";
      ++i;
    } else {
      out.append(text, i, len);
      i += len;
    }
  }
  return out;
}

std::string Utf8OrWindows1251(std::string_view text) {
  if (IsValidUtf8(text)) return std::string(text);
  return CodePageToUtf8(text, "WINDOWS-1251").value_or(ToValidUtf8(text));
}

}  // namespace quarlen
