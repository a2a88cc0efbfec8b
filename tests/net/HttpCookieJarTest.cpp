// The cookie jar's bounds and expiry, on a clock the test moves.
#include "net/HttpCookieJar.h"

#include <gtest/gtest.h>

namespace quarlen {
namespace {

TEST(HttpCookieJar, HonoursExpiry) {
  const std::time_t start = 2000000000;  // Wed, 18 May 2033 03:33:20 GMT
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      // "+N": N seconds pass
      {{"a=1; Expires=Thu, 01 Jan 1970 00:00:01 GMT"}, ""},
      {{"a=1", "b=2", "a=3; expires=Sun, 06 Nov 1994 08:49:37 GMT"}, "b=2"},
      {{"a=1; Expires=Wed, 18 May 2033 03:33:30 GMT", "+9"}, "a=1"},
      {{"a=1; Expires=Wednesday, 18-May-33 03:33:30 GMT", "+10"}, ""},
      {{"a=1; Expires=Wed May 18 03:33:30 2033", "+10"}, ""},
      {{"a=1; Max-Age=10", "+10"}, ""},
      {{"a=1; Max-Age=100; Expires=Thu, 01 Jan 1970 00:00:01 GMT"}, "a=1"},  // Max-Age wins
      {{"a=1", "a=2; Max-Age=-1"}, ""},
      {{"a=1; Max-Age=soon; Expires=32 May 2033 03:33:30", "+99999"}, "a=1"},  // both unreadable
      {{"a=1", "b=2", "a=3"}, "a=3; b=2"},
  };
  for (const auto& [steps, expected] : cases) {
    std::time_t now = start;
    HttpCookieJar jar([&] { return now; });
    for (const std::string& step : steps) {
      if (step.front() == '+')
        now += std::stol(step.substr(1));
      else
        jar.Remember("feeds.example", step, false);
    }
    EXPECT_EQ(jar.CookieHeader("feeds.example"), expected) << steps.front();
  }
}

TEST(HttpCookieJar, StaysWithinItsBounds) {
  HttpCookieJar jar;
  // A server that sets a new cookie on every answer: 50 a host, the oldest go first.
  std::string expected;
  for (int i = 0; i < 60; ++i) {
    jar.Remember("feeds.example", "c" + std::to_string(i) + "=v", false);
    if (i >= 10) expected += (expected.empty() ? "c" : "; c") + std::to_string(i) + "=v";
  }
  EXPECT_EQ(jar.CookieHeader("feeds.example"), expected);
  EXPECT_EQ(jar.CountFor("FEEDS.example"), MaxCookiesPerHost);
  // 4096 bytes a cookie, 8192 bytes a header: the third big one is left out,
  // the short one after it still fits.
  const std::string big(4090, 'x');
  for (const char* name : {"a=", "b=", "c=", "e="}) jar.Remember("charts.example", name + big, false);
  jar.Remember("charts.example", "f=1", false);
  EXPECT_EQ(jar.CookieHeader("charts.example"), "a=" + big + "; b=" + big + "; f=1");
  jar.Remember("banner.example", "d=" + std::string(4095, 'x'), false);  // 4097 bytes: ignored
  jar.Remember("banner.example", "g=" + std::string(4094, 'x'), false);
  EXPECT_EQ(jar.CookieHeader("banner.example"), "g=" + std::string(4094, 'x'));
  // 3000 cookies in all: the oldest host's go first.
  for (int i = 0; i < 3000; ++i) jar.Remember("h" + std::to_string(i / 50), "c" + std::to_string(i) + "=v", false);
  EXPECT_EQ(jar.CookieHeader("feeds.example") + jar.CookieHeader("banner.example"), "");
  EXPECT_NE(jar.CookieHeader("h0"), "");
  EXPECT_EQ(jar.Count(), MaxCookies);
}

TEST(HttpCookieJar, SecureCookiesGoOverHttpsOnly) {
  HttpCookieJar jar;
  for (const char* cookie : {"plain=1", "token=2; Secure", "session=3; path=/; SECURE=yes; HttpOnly", "later=4"}) {
    jar.Remember("feeds.example", cookie, false);
  }
  EXPECT_EQ(jar.CookieHeader("feeds.example"), "plain=1; later=4");
  EXPECT_EQ(jar.CookieHeader("feeds.example", true), "plain=1; token=2; session=3; later=4");
  // Set again without the attribute, the cookie may travel in the clear again.
  jar.Remember("feeds.example", "token=5", false);
  EXPECT_EQ(jar.CookieHeader("feeds.example"), "plain=1; token=5; later=4");
}

}  // namespace
}  // namespace quarlen
