// The cookie jar's bounds and expiry, on a clock the test moves.
#include "settings/HttpCookieJar.h"

#include <gtest/gtest.h>

#include "settings/HttpCookieDate.h"

namespace quarlen {
namespace {

constexpr std::time_t Start = 2000000000;  // 2033-05-18

struct JarCase {
  const char* name;
  std::vector<std::string> setCookies;  // "+N" moves the clock N seconds on
  std::string expected;
};

TEST(HttpCookieJar, HonoursExpiry) {
  const JarCase cases[] = {
      {"past Expires never sent", {"a=1; Expires=Thu, 01 Jan 1970 00:00:01 GMT"}, ""},
      {"past Expires removes a kept cookie", {"a=1", "b=2", "a=3; expires=Sun, 06 Nov 1994 08:49:37 GMT"}, "b=2"},
      {"future Expires kept until then", {"a=1; Expires=Wed, 18 May 2033 03:33:30 GMT", "+9"}, "a=1"},
      {"future Expires passes", {"a=1; Expires=Wed, 18 May 2033 03:33:30 GMT", "+10"}, ""},
      {"Max-Age counts from now", {"a=1; Max-Age=10", "+9"}, "a=1"},
      {"Max-Age passes", {"a=1; Max-Age=10", "+10"}, ""},
      {"Max-Age wins over Expires", {"a=1; Max-Age=100; Expires=Thu, 01 Jan 1970 00:00:01 GMT"}, "a=1"},
      {"negative Max-Age removes", {"a=1", "a=2; Max-Age=-1"}, ""},
      {"unreadable Max-Age and Expires ignored", {"a=1; Max-Age=soon; Expires=tomorrow", "+99999"}, "a=1"},
      {"replacing keeps the first place", {"a=1", "b=2", "a=3"}, "a=3; b=2"},
  };
  for (const auto& c : cases) {
    std::time_t now = Start;
    HttpCookieJar jar([&] { return now; });
    for (const std::string& step : c.setCookies) {
      if (step.front() == '+') {
        now += std::stol(step.substr(1));
      } else {
        jar.Remember("feeds.example", step, false);
      }
    }
    EXPECT_EQ(jar.CookieHeader("feeds.example"), c.expected) << c.name;
  }
}

TEST(HttpCookieJar, StaysWithinItsBounds) {
  HttpCookieJar jar;
  // A server that sets a new cookie on every answer: the oldest go first.
  for (int i = 0; i < 60; ++i) jar.Remember("feeds.example", "c" + std::to_string(i) + "=v", false);
  std::string expected;
  for (int i = 10; i < 60; ++i) expected += (expected.empty() ? "c" : "; c") + std::to_string(i) + "=v";
  EXPECT_EQ(jar.CookieHeader("feeds.example"), expected);

  // 4096 bytes a cookie, 8192 bytes a header: the third big one is left out,
  // the short one after it still fits.
  const std::string big(4090, 'x');
  jar.Remember("charts.example", "a=" + big + "; a", false);
  jar.Remember("charts.example", "b=" + big, false);
  jar.Remember("charts.example", "c=" + big, false);
  jar.Remember("charts.example", "e=1", false);
  EXPECT_EQ(jar.CookieHeader("charts.example"), "a=" + big + "; b=" + big + "; e=1");
  jar.Remember("banner.example", "d=" + std::string(4095, 'x'), false);  // 4097 bytes: ignored
  jar.Remember("banner.example", "f=" + std::string(4094, 'x'), false);
  EXPECT_EQ(jar.CookieHeader("banner.example"), "f=" + std::string(4094, 'x'));

  // 3000 cookies in all: the oldest host's go first.
  for (int host = 0; host < 60; ++host) {
    for (int i = 0; i < 50; ++i) jar.Remember("h" + std::to_string(host), "c" + std::to_string(i) + "=v", false);
  }
  EXPECT_EQ(jar.CookieHeader("feeds.example"), "");
  EXPECT_EQ(jar.CookieHeader("charts.example"), "");
  EXPECT_EQ(jar.CookieHeader("banner.example"), "");
  EXPECT_NE(jar.CookieHeader("h0"), "");
}

TEST(HttpCookieJar, ReadsTheDateFormatsServersWrite) {
  const std::pair<const char*, std::optional<std::time_t>> cases[] = {
      {"Wed, 18 May 2033 03:33:20 GMT", Start},
      {"Wednesday, 18-May-33 03:33:20 GMT", Start},
      {"Wed May 18 03:33:20 2033", Start},
      {"18 may 2033 3:33:20", Start},
      {"Thu, 01 Jan 1970 00:00:00 GMT", 0},
      {"Wed, 18 May 2033 GMT", std::nullopt},
      {"Wed, 32 May 2033 03:33:20 GMT", std::nullopt},
      {"Wed, 18 Mai 2033 03:33:20 GMT", std::nullopt},
      {"Wed, 18 May 1600 03:33:20 GMT", std::nullopt},
      {"Wed, 18 May 2033 24:00:00 GMT", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(ParseCookieDate(text), expected) << text;
}

}  // namespace
}  // namespace quarlen
