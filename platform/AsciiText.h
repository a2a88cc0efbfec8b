#pragma once
// Letter case, digits and white space of ASCII text. Only the ASCII letters
// fold; every other byte (UTF-8 sequences included) stays as it is, whatever
// the locale, because file names, keys, URLs and protocol words are ASCII.
#include <string>
#include <string_view>

namespace quarlen {

// The white space TrimAscii removes unless told otherwise.
inline constexpr std::string_view AsciiBlanks = " \t\r\n\v\f";

bool IsAsciiDigit(char c);   // '0' to '9'
bool IsAsciiLetter(char c);  // 'A' to 'Z', 'a' to 'z'
char AsciiLower(char c);     // 'A' to 'Z' become 'a' to 'z'; anything else is returned as it is
char AsciiUpper(char c);     // 'a' to 'z' become 'A' to 'Z'; anything else is returned as it is
std::string AsciiLowered(std::string_view text);
std::string AsciiUppered(std::string_view text);

// True when a and b are equal with ASCII letter case folded.
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);
// True when text begins with prefix, ASCII letter case folded.
bool StartsWithIgnoringAsciiCase(std::string_view text, std::string_view prefix);

// text without the characters of blanks at either end.
std::string_view TrimAscii(std::string_view text, std::string_view blanks = AsciiBlanks);

}  // namespace quarlen
