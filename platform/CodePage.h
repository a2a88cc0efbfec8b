#pragma once
// Text in the single-byte code pages that feeds and list files are written in.
#include <optional>
#include <string>
#include <string_view>

namespace quarlen {

// The Windows number of a single-byte code page named as feeds declare it
// ("windows-1251", "cp1251", "koi8-r", "iso-8859-5", "ibm866"; case does not
// matter); 0 for a name it does not know.
unsigned WindowsCodePageOf(std::string_view charset);

// text of that code page as UTF-8, through the system's own conversion; a byte
// the code page lacks becomes U+FFFD. nullopt when the system can't convert it.
std::optional<std::string> CodePageToUtf8(std::string_view text, std::string_view charset);

}  // namespace quarlen
