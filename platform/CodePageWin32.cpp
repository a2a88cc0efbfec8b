#include <windows.h>

#include "platform/CodePage.h"
#include "platform/WideText.h"

namespace quarlen {

std::optional<std::string> CodePageToUtf8(std::string_view text, std::string_view charset) {
  const unsigned page = WindowsCodePageOf(charset);
  if (page == 0 || !::IsValidCodePage(page)) return std::nullopt;
  if (text.empty()) return std::string();
  // Without MB_ERR_INVALID_CHARS a byte the code page lacks becomes U+FFFD (or
  // the page's own default character), as the conversion elsewhere does.
  const int size = static_cast<int>(text.size());
  const int length = ::MultiByteToWideChar(page, 0, text.data(), size, nullptr, 0);
  if (length <= 0) return std::nullopt;
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  ::MultiByteToWideChar(page, 0, text.data(), size, wide.data(), length);
  return Utf8FromWide(wide);
}

}  // namespace quarlen
