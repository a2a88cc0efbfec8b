#include "feedparser/Utf8.h"

#include <iconv.h>

#include <bit>
#include <cerrno>
#include <cstdint>

namespace quarlen {

namespace {
// iconv_open's failure value is (iconv_t)-1; compared through the pointer's
// bits, since a cast of -1 to a pointer defeats the compiler's alias tracking.
bool IconvOpenFailed(iconv_t cd) { return std::bit_cast<std::uintptr_t>(cd) == UINTPTR_MAX; }

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
  iconv_t cd = ::iconv_open("UTF-8", "WINDOWS-1251");
  if (IconvOpenFailed(cd)) return ToValidUtf8(text);
  std::string out;
  out.reserve(text.size() * 2);
  char* in = const_cast<char*>(text.data());
  std::size_t inLeft = text.size();
  char buffer[256];
  while (inLeft > 0) {
    char* outPtr = buffer;
    std::size_t outLeft = sizeof buffer;
    const std::size_t rc = ::iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
    // A full buffer (E2BIG) just goes round again; a byte the code page lacks is replaced.
    if (rc == static_cast<std::size_t>(-1) && errno != E2BIG) {
      out += "\xEF\xBF\xBD";
      ++in;
      --inLeft;
    }
  }
  ::iconv_close(cd);
  return out;
}

}  // namespace quarlen
