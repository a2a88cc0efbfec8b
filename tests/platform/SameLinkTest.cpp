#include "platform/SameLink.h"

#include <gtest/gtest.h>

namespace quarlen {
namespace {

TEST(SameLink, FoldsAsciiLettersOnly) {
  const struct {
    const char* a;
    const char* b;
    bool same;
  } cases[] = {
      {"http://News.test/A", "http://news.test/a", true},
      {"http://news.test/\xD0\x96", "http://news.test/\xD0\xB6", false},  // Cyrillic Zhe in both cases
      {"http://news.test/a", "http://news.test/a/", false},
      {"", "", true},
  };
  for (const auto& c : cases) EXPECT_EQ(SameLink(c.a, c.b), c.same) << c.a << " / " << c.b;
}

}  // namespace
}  // namespace quarlen
