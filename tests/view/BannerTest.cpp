// The banner rule: the page while the feed server answers, else the notice,
// and no second ping while one still waits.
#include "view/Banner.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace quarlen {
namespace {

struct FakeBrowser : IBannerBrowser {
  void Navigate(const std::string& url) override { shown.push_back("navigate " + url); }
  void LoadHtml(const std::string& html) override { shown.push_back("html " + html); }
  std::vector<std::string> shown;
};

TEST(Banner, OnlineShowsThePageOfflineTheNoticeAndANestedRefreshDoesNothing) {
  FakeBrowser browser;
  int pings = 0;
  bool online = true;
  std::function<void()> duringPing;
  Banner banner(
      browser,
      [&] {
        ++pings;
        if (duringPing) duringPing();
        return online;
      },
      "http://site.example");

  banner.RefreshBanner();
  online = false;
  duringPing = [&] { banner.RefreshBanner(); };  // the banner timer fires inside the ping
  banner.RefreshBanner();

  EXPECT_EQ(pings, 2);
  EXPECT_EQ(browser.shown, (std::vector<std::string>{"navigate http://site.example/mt/mtfreetitles.php",
                                                     std::string("html ") + NoConnectionHtml}));
  EXPECT_EQ(std::string(NoConnectionHtml),
            "<span style=\"font-family: Verdana, Arial, Helvetica, sans-serif;\tfont-size: x-small;\t"
            "font-weight: bold;\">No connection to the Internet is currently available.</span>");
}

}  // namespace
}  // namespace quarlen
