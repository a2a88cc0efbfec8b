// The banner rule: the page while the feed server answers, else the notice,
// and no second ping while one still waits.
#include "view/Banner.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace quarlen {
namespace {

struct FakeBrowser : IBannerBrowser {
  void Navigate(const std::string& url) override { shown.push_back("navigate " + url); }
  void LoadHtml(const std::string& html) override { shown.push_back("html " + html); }
  std::vector<std::string> shown;
};

TEST(Banner, OnlineShowsThePageOfflineTheNoticeAndARefreshWhilePingingDoesNothing) {
  FakeBrowser browser;
  int pings = 0;
  PingDone waiting;  // the ping under way: the test answers it
  Banner banner(
      browser,
      [&](PingDone done) {
        ++pings;
        waiting = std::move(done);
      },
      "http://site.example");

  banner.RefreshBanner();
  std::exchange(waiting, nullptr)(true);
  banner.RefreshBanner();
  banner.RefreshBanner();  // the banner timer fires while the ping waits
  EXPECT_TRUE(banner.Pinging());
  std::exchange(waiting, nullptr)(false);
  EXPECT_FALSE(banner.Pinging());

  EXPECT_EQ(pings, 2);
  EXPECT_EQ(browser.shown, (std::vector<std::string>{"navigate http://site.example/mt/mtfreetitles.php",
                                                     std::string("html ") + NoConnectionHtml}));
  EXPECT_EQ(std::string(NoConnectionHtml),
            "<span style=\"font-family: Verdana, Arial, Helvetica, sans-serif;\tfont-size: x-small;\t"
            "font-weight: bold;\">No connection to the Internet is currently available.</span>");
}

}  // namespace
}  // namespace quarlen
