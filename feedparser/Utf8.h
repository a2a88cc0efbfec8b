#pragma once
// Checking and repairing UTF-8 text of unknown origin; shared by the XML
// document layer and the readers above it.
#include <string>
#include <string_view>

namespace quarlen {

// True when text is well-formed UTF-8 (no overlong forms, no surrogates).
bool IsValidUtf8(std::string_view text);

// text with every byte that does not start a well-formed UTF-8 sequence
// replaced by U+FFFD.
std::string ToValidUtf8(std::string_view text);

// text itself when it is valid UTF-8, else text decoded from windows-1251 (the
// feed server's single-byte code page); the one byte that code page leaves
// undefined becomes U+FFFD.
std::string Utf8OrWindows1251(std::string_view text);

}  // namespace quarlen
