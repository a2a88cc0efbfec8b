#include "feeds/ChartThumbnails.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "feeds/ThumbnailPng.h"
#include "feeds/ThumbnailUrl.h"
#include "net/NetworkLoop.h"
#include "tests/feeds/TestPng.h"
#include "tests/support/FakePorts.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/QueuedUiThread.h"

namespace quarlen {
namespace {

using testhttp::EncodeAsTicker;
using testhttp::LoopbackHttpServer;
using testhttp::ScriptedResponse;

std::string EncodedTicker(const LoopbackHttpServer& server, const std::string& target) {
  return EncodeAsTicker(server.BaseUrl() + target);
}

RgbImage Solid(int i) {
  return RgbImage(ChartThumbnailWidth, ChartThumbnailHeight, static_cast<std::uint8_t>(i * 10), 100,
                  static_cast<std::uint8_t>(200 - i));
}

class ChartThumbnailsTest : public ::testing::Test {
 protected:
  ChartThumbnailsTest()
      : thumbnails_(
            NetworkContext{loop_, ui_},
            [this](THttpClient& c) {
              ++profileApplied_;
              c.SetUserAgent("Quarlen Messenger test");
              c.ResetProxy();
            },
            status_, &progress_) {}

  // One whole refresh, the UI thread's loop run until it is over; charts gets the result.
  void Refresh(const std::vector<std::string>& tickers, std::vector<RgbImage>& charts) {
    bool done = false;
    thumbnails_.RefreshChartThumbnails(tickers, [&](std::vector<RgbImage> result) {
      charts = std::move(result);
      done = true;
    });
    ASSERT_TRUE(ui_.RunUntil([&] { return done; }));
  }
  RgbImage Fetch(const std::string& ticker) {
    std::optional<RgbImage> chart;
    thumbnails_.FetchChartThumbnail(ticker, [&](RgbImage result) { chart = std::move(result); });
    EXPECT_TRUE(ui_.RunUntil([&] { return chart.has_value(); }));
    return chart.value_or(RgbImage());
  }

  // Serves a distinct solid chart for article i at /chart?s=Si and returns its ticker.
  std::string ServeChart(int i) {
    const std::string target = "/chart.php?symbol=S" + std::to_string(i) + "&chartstyle=bar";
    ScriptedResponse r;
    r.contentType = "image/png";
    const RgbImage colour = Solid(i);
    r.body = testpng::SolidRgbPng(86, 60, colour.pixels[0], colour.pixels[1], colour.pixels[2]);
    server_.Set(target, r);
    return EncodedTicker(server_, target);
  }

  LoopbackHttpServer server_;
  test::FakeStatusBar status_;
  test::FakeProgress progress_;
  int profileApplied_ = 0;
  test::QueuedUiThread ui_;
  NetworkLoop loop_;
  ChartThumbnails thumbnails_;
};

TEST_F(ChartThumbnailsTest, TwentyArticlesMakeTwentyRequestsOldestFirstAndImageIBelongsToArticleI) {
  std::vector<std::string> tickers;
  for (int i = 0; i < 20; ++i) tickers.push_back(ServeChart(i));
  std::vector<RgbImage> charts(3, BlankThumbnail());  // the previous refresh's pictures

  Refresh(tickers, charts);

  // They start oldest first; over several connections at once they may reach the server in another order.
  auto requests = server_.Requests();
  ASSERT_EQ(requests.size(), 20u);
  ASSERT_EQ(status_.texts.size(), 20u);
  std::vector<std::string> started;
  for (int n = 0; n < 20; ++n) {
    started.push_back("/chart.php?symbol=S" + std::to_string(19 - n) + "&chartstyle=bar");
    EXPECT_EQ(status_.texts[n], "Refreshing chart for " + server_.BaseUrl() + started.back());
  }
  std::sort(requests.begin(), requests.end());
  std::sort(started.begin(), started.end());
  EXPECT_EQ(requests, started);
  ASSERT_EQ(charts.size(), 20u);
  for (int i = 0; i < 20; ++i) EXPECT_EQ(charts[i], Solid(i)) << "image " << i;
  EXPECT_EQ(profileApplied_, 20);
  for (const std::string& head : server_.Heads())
    EXPECT_NE(head.find("User-Agent: Quarlen Messenger test\r\n"), std::string::npos);

  ASSERT_EQ(progress_.shown.size(), 21u);
  for (int k = 0; k <= 20; ++k) EXPECT_EQ(progress_.shown[k], std::make_pair(k, 20));
  EXPECT_EQ(progress_.hidden, 1);
}

TEST_F(ChartThumbnailsTest, AFailedChartIsBlankBetweenGoodNeighbours) {
  struct Case {
    const char* name;
    ScriptedResponse response;
    bool scripted = true;
  };
  auto png = [](int w, int h) {
    ScriptedResponse r;
    r.body = testpng::SolidRgbPng(w, h, 1, 2, 3);
    return r;
  };
  auto status = [](const char* line, std::string body) {
    ScriptedResponse r;
    r.statusLine = line;
    r.body = std::move(body);
    return r;
  };
  const std::vector<Case> cases = {
      {"404", {}, false},
      {"87x60", png(87, 60)},
      {"86x59", png(86, 59)},
      {"html with 200", status("HTTP/1.1 200 OK", "<html>chart server busy</html>")},
      {"500 with a png body",
       [&] {
         ScriptedResponse r = png(86, 60);
         r.statusLine = "HTTP/1.1 500 Internal Server Error";
         return r;
       }()},
      {"redirect", status("HTTP/1.1 302 Found", "")},
      {"empty body", status("HTTP/1.1 200 OK", "")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    server_.ClearRequests();
    const std::string bad = "/bad.png";
    if (c.scripted)
      server_.Set(bad, c.response);
    else
      server_.Remove(bad);
    std::vector<std::string> tickers = {ServeChart(0), EncodedTicker(server_, bad), ServeChart(2)};
    std::vector<RgbImage> charts;
    Refresh(tickers, charts);
    ASSERT_EQ(charts.size(), 3u);
    EXPECT_EQ(charts[0], Solid(0));
    EXPECT_EQ(charts[1], BlankThumbnail());
    EXPECT_EQ(charts[2], Solid(2));
    EXPECT_EQ(server_.Requests().size(), 3u);
  }
}

TEST_F(ChartThumbnailsTest, UnreachableChartServerGivesBlankThumbnails) {
  // A port that was just free: nothing listens there.
  std::string deadBase;
  {
    LoopbackHttpServer gone;
    deadBase = gone.BaseUrl();
  }
  std::vector<std::string> tickers = {ServeChart(0), deadBase + "/chart.png"};
  std::vector<RgbImage> charts;
  Refresh(tickers, charts);
  ASSERT_EQ(charts.size(), 2u);
  EXPECT_EQ(charts[0], Solid(0));
  EXPECT_EQ(charts[1], BlankThumbnail());
}

TEST_F(ChartThumbnailsTest, TickersThatAreNoUsableUrlGiveBlankThumbnailsWithoutARequest) {
  const std::string base = EncodedTicker(server_, "/c.php");
  const std::vector<std::string> tickers = {
      "",
      "garbage",
      "ftp%3A%2F%2F127.0.0.1%2Fchart.png",
      base + "%0D%0AX-Injected%3A+1",  // a decoded line break must not reach the wire
      base + "%0A",
  };
  std::vector<RgbImage> charts;
  Refresh(tickers, charts);
  EXPECT_EQ(charts, std::vector<RgbImage>(tickers.size(), BlankThumbnail()));
  for (const std::string& head : server_.Heads()) EXPECT_EQ(head.find("X-Injected"), std::string::npos) << head;
  EXPECT_EQ(status_.texts.size(), tickers.size());
}

TEST_F(ChartThumbnailsTest, DecodedTickerIsTheRequestedUrl) {
  // "+" is a space on the wire, %2F a slash, %3A a colon; the request layer
  // adds no encoding of its own.
  const std::string ticker = EncodedTicker(server_, "/c.php") + "%3Fs%3DA+B%2Fx";
  EXPECT_EQ(Fetch(ticker), BlankThumbnail());  // 404
  ASSERT_EQ(server_.Requests(), std::vector<std::string>{"/c.php?s=A B/x"});
  EXPECT_EQ(DecodeChartUrl(ticker), server_.BaseUrl() + "/c.php?s=A B/x");
}

TEST_F(ChartThumbnailsTest, FetchGivesTheServersPicture) {
  EXPECT_EQ(Fetch(ServeChart(1)), Solid(1));
  EXPECT_EQ(Fetch(ServeChart(2)), Solid(2));
}

TEST_F(ChartThumbnailsTest, EmptyStoreDownloadsNothingAndEmptiesTheList) {
  std::vector<RgbImage> charts(4, Solid(1));
  Refresh({}, charts);
  EXPECT_TRUE(charts.empty());
  EXPECT_TRUE(server_.Requests().empty());
  EXPECT_TRUE(status_.texts.empty());
  EXPECT_TRUE(progress_.shown.empty());
}

}  // namespace
}  // namespace quarlen
