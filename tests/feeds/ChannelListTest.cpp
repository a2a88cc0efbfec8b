#include "feeds/ChannelList.h"

#include <gtest/gtest.h>

namespace quarlen {
namespace {

TEST(ChannelListTest, ReadsRegularAndIrregularFiles) {
  struct Case {
    const char* what;
    std::string names, links, rates;
    std::vector<Channel> expected;
  };
  const std::vector<Case> cases = {
      {"three channels",
       "A\r\nB\r\nC\r\n",
       "http://a\r\nhttp://b\r\nhttp://c\r\n",
       "60\r\n0\r\n300\r\n",
       {{"A", "http://a", 60}, {"B", "http://b", 0}, {"C", "http://c", 300}}},
      {"lone CR and LF, no last line end",
       "A\rB\nC",
       "a\rb\nc",
       "1\n2\r3",
       {{"A", "a", 1}, {"B", "b", 2}, {"C", "c", 3}}},
      {"no names", "", "a\r\n", "5\r\n", {}},
      {"an empty name line", "\r\nB\r\n", "a\r\nb\r\n", "5\r\n6\r\n", {{"", "a", 5}, {"B", "b", 6}}},
      {"links line missing", "A\r\nB\r\n", "a\r\n", "5\r\n6\r\n", {{"A", "a", 5}, {"B", "", 0}}},
      {"empty link line", "A\r\n", "\r\n", "5\r\n", {{"A", "", 0}}},
      {"rates line missing", "A\r\nB\r\n", "a\r\nb\r\n", "5\r\n", {{"A", "a", 5}, {"B", "b", 0}}},
      {"more links and rates than names", "A\r\n", "a\r\nb\r\nc\r\n", "5\r\n6\r\n", {{"A", "a", 5}}},
      {"rates that are no whole number",
       "A\nB\nC\nD\nE\nF",
       "a\nb\nc\nd\ne\nf",
       "1.5\nabc\n\n0x10\n12s\n$1F",
       {{"A", "a", 0}, {"B", "b", 0}, {"C", "c", 0}, {"D", "d", 0}, {"E", "e", 0}, {"F", "f", 0}}},
      {"negative, signed, blanks, huge",
       "A\nB\nC\nD\nE",
       "a\nb\nc\nd\ne",
       "-60\n+7\n 30 \n2147484\n99999999999999999999",
       {{"A", "a", 0}, {"B", "b", 7}, {"C", "c", 30}, {"D", "d", 0}, {"E", "e", 0}}},
      {"largest rate the timer takes", "A", "a", "2147483", {{"A", "a", 2147483}}},
      {"names in UTF-8",
       "\xD0\x9D\xD0\xBE\xD0\xB2\xD0\xBE\xD1\x81\xD1\x82\xD0\xB8\r\n",
       "a",
       "1",
       {{"\xD0\x9D\xD0\xBE\xD0\xB2\xD0\xBE\xD1\x81\xD1\x82\xD0\xB8", "a", 1}}},
      {"names in windows-1251",
       "\xCD\xEE\xE2\xEE\xF1\xF2\xE8\r\xAB\xC1\xE8\xF0\xE6\xE0\xBB \x98\r\n",
       "a\nb",
       "1\n2",
       {{"\xD0\x9D\xD0\xBE\xD0\xB2\xD0\xBE\xD1\x81\xD1\x82\xD0\xB8", "a", 1},
        {"\xC2\xAB\xD0\x91\xD0\xB8\xD1\x80\xD0\xB6\xD0\xB0\xC2\xBB \xEF\xBF\xBD", "b", 2}}},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseChannelFiles(c.names, c.links, c.rates), c.expected) << c.what;
}

}  // namespace
}  // namespace quarlen
