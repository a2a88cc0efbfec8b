#include "feeds/ThumbnailUrl.h"

#include <gtest/gtest.h>

namespace quarlen {
namespace {

TEST(ThumbnailUrlTest, DecodesTickerTexts) {
  struct Case {
    std::string encoded;
    std::string decoded;
  };
  const std::vector<Case> cases = {
      {"", ""},
      {"plain", "plain"},
      {"http%3A%2F%2Fcharts.example%2Fc.php%3Fsymbol%3DABC%26chartstyle%3Dbar",
       "http://charts.example/c.php?symbol=ABC&chartstyle=bar"},
      {"a+b++c", "a b  c"},
      {"%2B+%2b", "+ +"},  // an encoded plus stays a plus
      {"%41%62", "Ab"},    // both letter cases of hex digits
      {"x%00y", "xy"},     // value 0 gives nothing
      {"x%zzy", "xy"},     // not hexadecimal: all three dropped
      {"x%4gy", "xy"},     // half hexadecimal: all three dropped
      {"x%+41", "x1"},     // the plus became a space first
      {"%%41", "1"},       // "%%4" is no number, "1" stays
      {"100%", "100"},     // lone percent at the end
      {"ab%4", "ab\x04"},  // one character left: it is the number
      {"ab%0", "ab"},      // ... and 0 still gives nothing
      {"ab%g", "ab"},
      {"%FF%80", "\xFF\x80"},  // high bytes pass through as bytes
      {"%D0%9F", "\xD0\x9F"},  // UTF-8 of a Cyrillic letter
      {"%25", "%"},            // a decoded percent is not scanned again
      {"%2541", "%41"},
  };
  for (const Case& c : cases) EXPECT_EQ(DecodeChartUrl(c.encoded), c.decoded) << c.encoded;
}

}  // namespace
}  // namespace quarlen
