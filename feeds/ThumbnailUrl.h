#pragma once
// The address of an article's chart: the feed's ticker text is a percent-encoded URL.
#include <string>
#include <string_view>

namespace quarlen {

// Percent-decodes a ticker text into the chart URL. Every "+" becomes a space;
// then, left to right, "%" and the two characters after it become the byte
// they give in hexadecimal when that lies between 1 and 255, and vanish (all
// three) when the value is 0 or the characters are not hexadecimal. At the end
// of the text "%" with one following character takes that one as the number,
// and a lone "%" vanishes. Everything else stays. Never fails.
std::string DecodeChartUrl(std::string_view encoded);

}  // namespace quarlen
