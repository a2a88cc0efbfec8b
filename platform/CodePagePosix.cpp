#include <iconv.h>

#include <bit>
#include <cerrno>
#include <cstdint>
#include <string>

#include "platform/CodePage.h"

namespace quarlen {

std::optional<std::string> CodePageToUtf8(std::string_view text, std::string_view charset) {
  iconv_t cd = ::iconv_open("UTF-8", std::string(charset).c_str());
  // iconv lacks some spellings feeds use ("win-1251"); their number names the page too.
  if (const unsigned page = WindowsCodePageOf(charset);
      std::bit_cast<std::uintptr_t>(cd) == UINTPTR_MAX && page >= 874 && page <= 1258) {
    cd = ::iconv_open("UTF-8", ("CP" + std::to_string(page)).c_str());
  }
  if (std::bit_cast<std::uintptr_t>(cd) == UINTPTR_MAX) return std::nullopt;
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
