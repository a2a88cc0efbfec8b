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

}  // namespace quarlen
