#include <windows.h>

#include "platform/CodePage.h"
#include "platform/WideText.h"

namespace quarlen {

std::optional<std::string> CodePageToUtf8(std::string_view text, std::string_view charset) {
  const unsigned page = WindowsCodePageOf(charset);
  if (page == 0 || !::IsValidCodePage(page)) return std::nullopt;
  if (text.empty()) return std::string();
  const int size = static_cast<int>(text.size());
  const int length = ::MultiByteToWideChar(page, 0, text.data(), size, nullptr, 0);
  if (length <= 0) return std::nullopt;
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  ::MultiByteToWideChar(page, 0, text.data(), size, wide.data(), length);
  // The windows-125x pages give a byte they lack (0x98 of 1251) as the C1
  // control of the same number, where no letter of theirs lies.
  if (page >= 1250 || page == 874) {
    for (wchar_t& c : wide) {
      if (c >= 0x80 && c <= 0x9F) c = 0xFFFD;
    }
  }
  return Utf8FromWide(wide);
}

}  // namespace quarlen
