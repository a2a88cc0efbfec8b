#pragma once
// UTF-8 text to and from the UTF-16 text of the Windows API (Windows builds only).
#include <string>
#include <string_view>

namespace quarlen {

// The UTF-16 form of UTF-8 text; invalid sequences become U+FFFD.
std::wstring WideFromUtf8(std::string_view text);
// The UTF-8 form of UTF-16 text.
std::string Utf8FromWide(std::wstring_view text);

}  // namespace quarlen
