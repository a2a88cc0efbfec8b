#include "feeds/ChannelTabs.h"

#include <gtest/gtest.h>

#include <map>
#include <stdexcept>

#include "platform/UiPorts.h"

namespace quarlen {
namespace {

// Every call into the window side, in order, as one line each.
struct FakeWindow : IChannelTabStrip, IChannelBrowsers, IChannelTimer, IChannelDownloader, IStatusBar {
  std::vector<std::string> log;
  std::map<std::string, std::string> files;  // url -> body; a missing url fails
  std::vector<bool> pingAnswers;             // consumed in order; true once used up
  std::function<void()> duringPing;
  int downloads = 0;

  void AddChannelTab(const std::string& caption) override { log.push_back("tab " + caption); }
  void Navigate(int channel, const std::string& url) override {
    log.push_back("go " + std::to_string(channel) + " " + url);
  }
  void LoadHtmlIntoBrowser(int channel, const std::string& html) override {
    log.push_back("html " + std::to_string(channel) + " " + html);
  }
  void Start(int intervalMs) override { log.push_back("timer " + std::to_string(intervalMs)); }
  void Stop() override { log.push_back("timer off"); }
  // The downloads and pings answer at once, inside the call; what a test
  // puts in duringPing happens while the ping waits.
  void Get(const std::string& url, Done done) override {
    ++downloads;
    const auto found = files.find(url);
    if (found == files.end()) return done(std::make_exception_ptr(std::runtime_error("HTTP/1.1 404 Not Found")), {});
    done(nullptr, found->second);
  }
  void SetStatusText(const std::string& text) override { log.push_back("status " + text); }
  void Ping(const PingDone& done) {
    log.push_back("ping");
    if (auto nested = std::exchange(duringPing, nullptr)) nested();
    bool answer = true;
    if (!pingAnswers.empty()) {
      answer = pingAnswers.front();
      pingAnswers.erase(pingAnswers.begin());
    }
    done(answer);
  }
  std::vector<std::string> Take() { return std::exchange(log, {}); }
};

class ChannelTabsTest : public testing::Test {
 protected:
  ChannelTabsTest() {
    window.files = {{"n", "Markets\r\nCalendar\r\nNews\r\n"},
                    {"l", "http://a/\r\nhttp://b/\r\nhttp://c/\r\n"},
                    {"r", "60\r\n0\r\n300\r\n"}};
  }
  FakeWindow window;
  ChannelTabs tabs{ChannelTabsPorts{window, window, window, window, window}, ChannelFileUrls{"n", "l", "r"},
                   [this](const PingDone& done) { window.Ping(done); }, "OFFLINE"};
};

using Log = std::vector<std::string>;

TEST_F(ChannelTabsTest, OnlyTheActiveChannelHoldsItsPageAtItsOwnRate) {
  EXPECT_FALSE(tabs.ChannelLinks());
  tabs.FetchChannels();
  EXPECT_EQ(window.Take(), (Log{"status Fetching channel list...", "status Fetching channels...", "tab Markets",
                                "tab Calendar", "tab News", "status Ready", "timer 60000", "ping", "go 0 http://a/"}));
  EXPECT_EQ(tabs.ChannelRefreshRates(), (std::vector<int>{60, 0, 300}));

  tabs.timerRefreshChannelTimer();
  EXPECT_EQ(window.Take(), (Log{"ping", "go 0 http://a/"}));
  tabs.tabsChannelsChange(1);
  EXPECT_EQ(window.Take(),
            (Log{"go 0 about:blank", "go 1 about:blank", "go 2 about:blank", "timer off", "ping", "go 1 http://b/"}));
  tabs.tabsChannelsChange(1);  // reselecting the active tab
  tabs.tabsChannelsChange(3);  // no such tab
  EXPECT_EQ(window.Take(), Log{});
  tabs.tabsChannelsChange(2);
  EXPECT_EQ(window.Take(), (Log{"go 0 about:blank", "go 1 about:blank", "go 2 about:blank", "timer 300000", "ping",
                                "go 2 http://c/"}));
  EXPECT_EQ(tabs.ActiveChannel(), 2);

  // The list is downloaded once per run.
  tabs.FetchChannels();
  EXPECT_EQ(window.downloads, 3);
  EXPECT_EQ(window.Take(), Log{});
}

TEST_F(ChannelTabsTest, AFailedDownloadLeavesNoTabsForTheRun) {
  window.files.erase("l");
  tabs.FetchChannels();
  EXPECT_EQ(window.Take(), Log{"status Fetching channel list..."});
  ASSERT_TRUE(tabs.ChannelLinks());
  EXPECT_TRUE(tabs.ChannelLinks()->empty());

  window.files["l"] = "http://a/\r\n";  // the server is back a minute later
  tabs.FetchChannels();
  tabs.timerRefreshChannelTimer();
  tabs.tabsChannelsChange(0);
  tabs.tabsChannelsChange(1);
  EXPECT_EQ(window.downloads, 2);
  EXPECT_EQ(window.Take(), Log{});
}

TEST_F(ChannelTabsTest, AnOfflineTickShowsTheNoticeAndTheNextTickLoads) {
  tabs.FetchChannels();
  window.Take();
  window.pingAnswers = {false, true};
  tabs.timerRefreshChannelTimer();
  EXPECT_EQ(window.Take(), (Log{"ping", "html 0 OFFLINE"}));
  tabs.timerRefreshChannelTimer();
  EXPECT_EQ(window.Take(), (Log{"ping", "go 0 http://a/"}));

  // A tab change while a tick's ping waits: the tick's late answer must not
  // put channel 0's page back, and a tick meanwhile adds no second ping.
  window.duringPing = [this] {
    tabs.timerRefreshChannelTimer();
    tabs.tabsChannelsChange(2);
  };
  tabs.timerRefreshChannelTimer();
  EXPECT_EQ(window.Take(), (Log{"ping", "go 0 about:blank", "go 1 about:blank", "go 2 about:blank", "timer 300000",
                                "ping", "go 2 http://c/"}));
}

TEST_F(ChannelTabsTest, IrregularFilesStillBuildEveryTab) {
  window.files = {{"n", "A\r\nB\r\n"}, {"l", "http://a/\r\n"}, {"r", "-5\r\n"}};
  tabs.FetchChannels();
  EXPECT_EQ(tabs.ChannelRefreshRates(), (std::vector<int>{0, 0}));
  tabs.tabsChannelsChange(1);
  EXPECT_EQ(window.Take(), (Log{"status Fetching channel list...", "status Fetching channels...", "tab A", "tab B",
                                "status Ready", "timer off", "ping", "go 0 http://a/", "go 0 about:blank",
                                "go 1 about:blank", "timer off", "ping", "go 1 about:blank"}));
}

}  // namespace
}  // namespace quarlen
