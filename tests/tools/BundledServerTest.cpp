// The program's own pieces against the bundled feed server, started by its
// script on a free loopback port: the ping reports "Connected", the update
// check stays quiet until version.txt announces a newer version, the feed
// reads with its Cyrillic titles intact, and every ticker gives a thumbnail.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "feedparser/SimpleRSS.h"
#include "feeds/ThumbnailPng.h"
#include "feeds/ThumbnailUrl.h"
#include "net/HttpClient.h"
#include "platform/UiPorts.h"
#include "service/ServiceCalls.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/ServiceCallsFixture.h"

namespace quarlen {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::StartsWith;

const std::string Tools = std::string(QUARLEN_SOURCE_DIR) + "/tools/feedserver/";

std::string Quoted(const std::string& s) { return "'" + s + "'"; }

class BundledServer : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (std::system("command -v nginx >/dev/null 2>&1 || test -x /usr/sbin/nginx") != 0) {
      return;
    }
    port_ = testhttp::UnusedPort();
    state_ = std::string(QUARLEN_BINARY_DIR) + "/tests/tools/bundled-" + std::to_string(::getpid());
    fs::remove_all(state_);
    started_ = std::system((Quoted(Tools + "start") + " " + Quoted(state_) + " " + std::to_string(port_)).c_str()) == 0;
  }
  static void TearDownTestSuite() {
    if (started_) std::system((Quoted(Tools + "stop") + " " + Quoted(state_)).c_str());
    std::error_code ec;
    fs::remove_all(state_, ec);
  }
  void SetUp() override {
    if (state_.empty()) GTEST_SKIP() << "nginx is not installed";
    ASSERT_TRUE(started_) << "tools/feedserver/start failed";
  }

  static std::string Base() { return "http://127.0.0.1:" + std::to_string(port_); }
  static void PublishVersion(const std::string& version) {
    ASSERT_EQ(
        std::system((Quoted(Tools + "publish") + " --state " + Quoted(state_) + " --version " + version + " >/dev/null")
                        .c_str()),
        0);
  }

  static inline int port_ = 0;
  static inline std::string state_;
  static inline bool started_ = false;

  testservice::ServiceProgram program{Base()};
  ServiceCalls& calls = program.calls;
};

TEST_F(BundledServer, PingSaysConnected) {
  EXPECT_TRUE(program.Ping());
  EXPECT_THAT(program.statusBar.texts, ElementsAre("Connected"));
}

TEST_F(BundledServer, UpdateCheckAsksOnlyOnceANewerVersionIsAnnounced) {
  program.CheckForUpdates();
  EXPECT_THAT(program.boxes.questions, ElementsAre());
  EXPECT_THAT(program.statusBar.texts, ElementsAre("Connected"));

  PublishVersion("1.2.10.0");
  program.boxes.answer = true;
  program.CheckForUpdates();
  PublishVersion("1.2.5.149");
  EXPECT_THAT(program.boxes.questions, ElementsAre(std::string("Confirm|") + UpdateQuestion));
  EXPECT_THAT(program.opener.opened, ElementsAre(Base() + "/download/"));
  EXPECT_EQ(program.window.terminated, 1);
}

TEST_F(BundledServer, FeedReadsWithCyrillicTitlesAndEveryTickerGivesAThumbnail) {
  const ServerEndpoints endpoints(Base());
  THttpClient client(THttpClientKind::MainClient, nullptr);
  TSimpleRSS rss;
  rss.LoadFromString(client.Get(endpoints.FeedUrl(), FeedBodyCap));
  rss.XMLFile().SetActive(true);
  rss.Parse();
  ASSERT_GE(rss.Items().Count(), 18);
  std::vector<std::string> titles;
  for (int i = 0; i < rss.Items().Count(); ++i) {
    const TRSSItem& item = rss.Items()[i];
    titles.push_back(item.Title());
    EXPECT_THAT(item.Link(), StartsWith(Base() + "/news/"));
    EXPECT_FALSE(item.Author().Name().empty());
    const std::string chart = DecodeChartUrl(item.Ticker());
    EXPECT_THAT(chart, StartsWith(Base() + "/charts/chart.php?"));
    RgbImage thumbnail;
    EXPECT_TRUE(TryDecodeThumbnailPng(client.Get(chart), thumbnail)) << chart;
  }
  EXPECT_THAT(titles, ::testing::Contains("Сбербанк отчитался о рекордной чистой прибыли за квартал"));
  EXPECT_THAT(titles, ::testing::Contains("S&P 500 ends the week at a record high"));
}

TEST_F(BundledServer, ChannelFilesAndRedirectAnswerAsTheProgramExpects) {
  const ServerEndpoints endpoints(Base());
  THttpClient client(THttpClientKind::MainClient, nullptr);
  EXPECT_EQ(client.Get(endpoints.ChannelNamesUrl()), "Markets\r\nCalendar\r\nTop Movers\r\n");
  EXPECT_EQ(client.Get(endpoints.ChannelRefreshRatesUrl()), "60\r\n0\r\n300\r\n");
  EXPECT_EQ(client.Get(endpoints.ChannelLinksUrl()), Base() + "/channels/markets.html\r\n" + Base() +
                                                         "/channels/calendar.html\r\n" + Base() +
                                                         "/channels/movers.html\r\n");
  // The redirect page is for the browser: its script sends the browser on.
  EXPECT_THAT(client.Get(endpoints.RedirectUrl(Base() + "/news/0020.html")),
              ::testing::HasSubstr("window.location.replace(target)"));
}

}  // namespace
}  // namespace quarlen
