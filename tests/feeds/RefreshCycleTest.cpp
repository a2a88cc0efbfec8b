#include "feeds/RefreshCycle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <functional>
#include <future>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "feeds/ArticleActions.h"
#include "feeds/ArticleStore.h"
#include "feeds/ListFile.h"
#include "feeds/ThumbnailPng.h"
#include "net/NetworkLoop.h"
#include "platform/AtomicFile.h"
#include "tests/feeds/TestPng.h"
#include "tests/support/DroppingListener.h"
#include "tests/support/FakePorts.h"
#include "tests/support/FaultyFileOps.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/QueuedUiThread.h"
#include "tests/support/TempFolder.h"

namespace quarlen {
namespace {

using testhttp::LoopbackHttpServer;
using testhttp::ScriptedResponse;

constexpr const char* FeedPath = "/feeds/messenger4.xml.win-1251";

struct FakeSettings : INotificationSettings {
  bool sound = true, balloon = true, browser = true;
  int keep = 20;
  bool PlaySound() const override { return sound; }
  bool ShowBaloon() const override { return balloon; }
  bool ShowBrowser() const override { return browser; }
  int KeepArticles() const override { return keep; }
};

// What the window is told of failed saves: "first" or "again" per failure, "saved" after them.
struct FakeSaveAlarm : ISaveAlarm {
  std::vector<std::string> told;
  void ListsNotSaved(const std::string&, bool first) override { told.emplace_back(first ? "first" : "again"); }
  void ListsSavedAgain() override { told.emplace_back("saved"); }
};

struct FeedItem {
  std::string title;
  std::string link;
  std::string description = "Description";  // empty: no description element
  std::string symbol = "ABC";
  std::string author = "Desk";  // empty: the item has no author element
};

std::string XmlEscape(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '&')
      out += "&amp;";
    else if (c == '<')
      out += "&lt;";
    else
      out += c;
  }
  return out;
}

// The chart target of a symbol on the scripted server, as the bundled server names it.
std::string ChartTarget(const std::string& symbol) {
  return "/charts/chart.php?size=86x60&symbol=" + symbol + "&chartstyle=line";
}

RgbImage ChartOf(const std::string& symbol) {
  unsigned h = 7;
  for (char c : symbol) h = h * 31 + static_cast<unsigned char>(c);
  return RgbImage(86, 60, static_cast<std::uint8_t>(h), static_cast<std::uint8_t>(h >> 8), 40);
}

class RefreshCycleTest : public ::testing::Test {
 protected:
  RefreshCycleTest()
      : store_(
            folder_.Slash(), [this](const std::string& t) { errors_.push_back(t); }, [] {}, &fileOps_,
            [this] { return today_; }),
        client_(THttpClientKind::MainClient, loop_, ui_),
        cycle_(
            store_, client_, server_.BaseUrl() + FeedPath, settings_,
            [this](THttpClient& c) {
              ++profiles_;
              c.SetUserAgent("Quarlen Messenger test");
              c.ResetProxy();
            },
            [this](PingDone done) {
              ++pings_;
              status_.SetStatusText("Connected");
              if (onPing_) onPing_();
              // Answered on a later turn of the UI thread, as the real ping is.
              ui_.Post([done = std::move(done), ok = pingOk_] { done(ok); });
            },
            RefreshCyclePorts{status_, tray_, window_, &progress_, &alarm_, &feedAge_},
            [this] {
              ++gridFills_;
              store_.LoadLists();
            },
            CycleThreads{worker_, ui_, loop_}) {}

  // One whole cycle: started, then the UI thread's loop runs until it is over.
  void Fetch() {
    cycle_.FetchRSS();
    ASSERT_TRUE(ui_.RunUntil([this] { return !cycle_.Busy(); }));
  }

  // The ticker text of a symbol: the chart URL, percent-encoded as the feed
  // has it, on chartBase_ when one is set.
  std::string Ticker(const std::string& symbol) {
    return testhttp::EncodeAsTicker((chartBase_.empty() ? server_.BaseUrl() : chartBase_) + ChartTarget(symbol));
  }

  void ServeChart(const std::string& symbol) {
    ScriptedResponse r;
    r.contentType = "image/png";
    const RgbImage c = ChartOf(symbol);
    r.body = testpng::SolidRgbPng(86, 60, c.pixels[0], c.pixels[1], c.pixels[2]);
    server_.Set(ChartTarget(symbol), r);
  }

  std::string Feed(const std::vector<FeedItem>& items) {
    std::string xml =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<rss version=\"2.0\"><channel>"
        "<title>News</title><link>http://127.0.0.1/</link><description>d</description>\n";
    for (const FeedItem& item : items) {
      ServeChart(item.symbol);
      xml += "<item><title>" + XmlEscape(item.title) + "</title><link>" + XmlEscape(item.link) + "</link>" +
             (item.description.empty() ? "" : "<description>" + XmlEscape(item.description) + "</description>") +
             (item.author.empty() ? "" : "<author>" + XmlEscape(item.author) + "</author>") +
             "<pubDate>Mon, 06 May 2024 09:30:00 GMT</pubDate>" + "<ticker>" + Ticker(item.symbol) +
             "</ticker></item>\n";
    }
    return xml + "</channel></rss>\n";
  }

  void ServeFeed(const std::vector<FeedItem>& items) { server_.Set(FeedPath, Feed(items)); }

  // Empties the store in memory; SeedStore then writes it to disk.
  void ResetStore() {
    store_.url.clear(), store_.ticker.clear(), store_.subject.clear(), store_.description.clear();
    store_.date.clear(), store_.read.clear(), store_.jvilRefreshCharts.clear();
    store_.gone = GoneList();
  }

  // Puts articles into the list files as an earlier run left them.
  void SeedStore(int count, const std::string& read = "read") {
    for (int i = 0; i < count; ++i) {
      const std::string symbol = "S" + std::to_string(i);
      ServeChart(symbol);
      store_.url.push_back("http://news.example/s" + std::to_string(i) + ".html");
      store_.ticker.push_back(Ticker(symbol));
      store_.subject.push_back("Stored " + std::to_string(i));
      store_.description.push_back("Old text");
      store_.date.push_back("Desk - Jan 1 2024");
      store_.read.push_back(read);
      store_.jvilRefreshCharts.push_back(BlankThumbnail());
    }
    store_.latest = {"http://news.example/old-latest.html"};
    store_.latest_subject = {"Old latest"};
    store_.SaveLists();
    store_.LoadLists();
  }

  std::vector<std::string> ListFileBytes() {
    std::vector<std::string> out;
    for (const char* f : {ArticleStore::UrlFile, ArticleStore::TickerFile, ArticleStore::SubjectFile,
                          ArticleStore::DescriptionFile, ArticleStore::DateFile, ArticleStore::ReadFile,
                          ArticleStore::LatestFile, ArticleStore::LatestSubjectFile, ArticleStore::ChartsFile})
      out.push_back(test::ReadBytes(store_.PathOf(f)).value_or("<missing>"));
    return out;
  }

  int ChartRequests() const {
    int n = 0;
    for (const auto& r : server_.Requests()) n += r.rfind("/charts/", 0) == 0;
    return n;
  }

  test::TempFolder folder_;
  LoopbackHttpServer server_;
  test::FaultyFileOps fileOps_;
  std::vector<std::string> errors_;
  test::FakeStatusBar status_;
  test::FakeTray tray_;
  test::FakeMainWindow window_;
  FakeSettings settings_;
  test::FakeProgress progress_;
  std::string chartBase_;  // where the feed's charts are; empty: server_
  FakeSaveAlarm alarm_;
  test::FakeFeedAge feedAge_;
  std::chrono::sys_days today_ = std::chrono::sys_days(std::chrono::year(2026) / 12 / 10);
  bool pingOk_ = true;
  std::function<void()> onPing_;
  int pings_ = 0, profiles_ = 0, gridFills_ = 0;
  ArticleStore store_;
  test::QueuedUiThread ui_;
  NetworkLoop loop_;
  WorkerThread worker_;
  THttpClient client_;
  RefreshCycle cycle_;
};

TEST_F(RefreshCycleTest, FirstCycleFillsTheStoreAnnouncesAndSavesWhatTheGridShows) {
  ServeFeed({{"First & foremost", "http://news.example/1.html", "Line one\nline two", "AAA", "Ann"},
             {"Second", "http://news.example/2.html", "Two", "BBB", ""},
             {"Third", "http://news.example/3.html", "Three", "UNREF"}});
  const auto before = std::chrono::system_clock::now();
  Fetch();

  EXPECT_FALSE(cycle_.Busy());
  // The age of the news: read once, during the cycle.
  ASSERT_EQ(feedAge_.reads.size(), 1u);
  EXPECT_GE(feedAge_.reads[0], before);
  EXPECT_LE(feedAge_.reads[0], std::chrono::system_clock::now());
  EXPECT_EQ(feedAge_.failures, 0);
  EXPECT_EQ(store_.url, (std::vector<std::string>{"http://news.example/1.html", "http://news.example/2.html",
                                                  "http://news.example/3.html"}));
  EXPECT_EQ(store_.subject, (std::vector<std::string>{"First && foremost", "Second", "Third"}));
  ASSERT_EQ(store_.Count(), 3u);
  EXPECT_EQ(store_.description[0], "Line oneline two");
  EXPECT_EQ(store_.read, (std::vector<std::string>{"unread", "unread", "unread"}));
  EXPECT_EQ(store_.latest, store_.url);
  EXPECT_EQ(store_.latest_subject, (std::vector<std::string>{"First & foremost", "Second", "Third"}));
  EXPECT_EQ(store_.ticker[1], Ticker("BBB"));
  EXPECT_EQ(store_.date[0].rfind("Ann - ", 0), 0u) << store_.date[0];
  EXPECT_EQ(store_.date[1].rfind(" - ", 0), 0u) << store_.date[1];
  EXPECT_NE(store_.date[0].find(" 6 2024"), std::string::npos) << store_.date[0];
  // After the grid rebuild the painted copies match the working lists.
  EXPECT_EQ(gridFills_, 1);
  EXPECT_EQ(store_.url_view, store_.url);
  ASSERT_EQ(store_.jvilCharts.size(), 3u);
  EXPECT_EQ(store_.jvilCharts[0], ChartOf("AAA"));
  EXPECT_EQ(store_.jvilCharts[2], ChartOf("UNREF"));

  const std::string base = server_.BaseUrl();
  EXPECT_EQ(status_.texts,
            (std::vector<std::string>{"Connected", "Loading saved lists", "Fetching XML", "Parsing XML",
                                      "Refreshing chart for " + base + ChartTarget("UNREF"),
                                      "Refreshing chart for " + base + ChartTarget("BBB"),
                                      "Refreshing chart for " + base + ChartTarget("AAA"), "Saving lists", "Ready"}));
  // The charts come over several connections at once, in any order.
  auto requests = server_.Requests();
  ASSERT_EQ(requests.size(), 4u);
  EXPECT_EQ(requests[0], FeedPath);
  std::sort(requests.begin() + 1, requests.end());
  EXPECT_EQ(requests,
            (std::vector<std::string>{FeedPath, ChartTarget("AAA"), ChartTarget("BBB"), ChartTarget("UNREF")}));
  EXPECT_EQ(profiles_, 4);  // the feed and each chart
  EXPECT_EQ(progress_.shown.back(), std::make_pair(3, 3));
  EXPECT_EQ(progress_.hidden, 1);

  EXPECT_EQ(tray_.icons, std::vector<int>{1});
  EXPECT_EQ(tray_.balloons,
            (std::vector<std::pair<std::string, std::string>>{{"New Quarlen article", "First & foremost"}}));
  EXPECT_EQ(window_.beeps, 1);
  EXPECT_EQ(window_.shown, 1);
  EXPECT_EQ(window_.fronted, 1);
  EXPECT_EQ(window_.tickerTexts, std::vector<std::string>{"AAA"});

  // The files hold what the grid shows.
  ArticleStore reread(
      folder_.Slash(), [](const std::string&) {}, [] {});
  reread.LoadLists();
  EXPECT_EQ(reread.url, store_.url);
  EXPECT_EQ(reread.subject, store_.subject);
  EXPECT_EQ(reread.latest_subject, store_.latest_subject);
  EXPECT_EQ(reread.jvilCharts, store_.jvilCharts);
}

// Stored articles are "http://news.example/s<i>.html" ("Stored <i>", read);
// the expectations name them s<i>, new ones by their link's last part.
TEST_F(RefreshCycleTest, MergeCases) {
  struct Case {
    const char* name;
    int stored;
    int keep;
    std::vector<FeedItem> items;
    std::vector<std::string> urls;      // short names, see above
    std::vector<std::string> subjects;  // empty: not checked
    std::vector<std::string> reads;
    std::vector<std::string> latest;
    std::vector<std::string> latestSubjects;
    std::string tickerText;                   // "-": the ticker box is not set
    std::vector<std::string> gone = {};       // gone list lines before the cycle
    std::vector<std::string> goneAfter = {};  // and after it
  };
  auto link = [](const std::string& name) { return "http://news.example/" + name + ".html"; };
  const std::vector<Case> cases = {
      {"two new above a known one, in document order",
       2,
       20,
       {{"N1", link("n1"), "", "ONE"}, {"N2", link("n2"), "", "TWO"}, {"S0 again", link("s0")}},
       {"n1", "n2", "s0", "s1"},
       {"N1", "N2", "S0 again", "Stored 1"},
       {"unread", "unread", "read", "read"},
       {"n1", "n2"},
       {"N1", "N2"},
       "ONE"},
      {"a link differing in letter case updates in place",
       3,
       20,
       {{"Renamed", "HTTP://NEWS.EXAMPLE/S1.html", "New text", "NEW"}},
       {"s0", "S1-upper", "s2"},
       {},
       {"read", "read", "read"},
       {},
       {},
       "-"},
      {"duplicate links in one document give one article",
       1,
       20,
       {{"Near start", link("d"), "", "DUP1"}, {"Near end", link("d"), "", "DUP2"}},
       {"d", "s0"},
       {"Near start", "Stored 0"},
       {"unread", "read"},
       {"d"},
       {"Near end"},
       "DUP2"},
      {"nothing new", 2, 20, {{"S1 again", link("s1")}}, {"s0", "s1"}, {}, {"read", "read"}, {}, {}, "-"},
      {"no items at all keeps the known articles", 2, 20, {}, {"s0", "s1"}, {}, {"read", "read"}, {}, {}, "-"},
      {"keep 5 with 7 stored and 2 new",
       7,
       5,
       {{"N1", link("n1"), "", "ONE"}, {"N2", link("n2"), "", "TWO"}},
       {"n1", "n2", "s0", "s1", "s2"},
       {},
       {"unread", "unread", "read", "read", "read"},
       {"n1", "n2"},
       {"N1", "N2"},
       "ONE",
       {},
       // Trimmed, though the feed does not carry them: it may carry them again within the week.
       {"2026-12-10 read " + link("s3"), "2026-12-10 read " + link("s4"), "2026-12-10 read " + link("s5"),
        "2026-12-10 read " + link("s6")}},
      {"more new than the keep limit",
       1,
       5,
       {{"N1", link("n1")},
        {"N2", link("n2")},
        {"N3", link("n3")},
        {"N4", link("n4")},
        {"N5", link("n5")},
        {"N6", link("n6")},
        {"N7", link("n7")}},
       {"n1", "n2", "n3", "n4", "n5"},
       {},
       std::vector<std::string>(5, "unread"),
       {"n1", "n2", "n3", "n4", "n5", "n6", "n7"},
       {"N1", "N2", "N3", "N4", "N5", "N6", "N7"},
       "ABC",
       {},
       {"2026-12-10 unread " + link("n6"), "2026-12-10 unread " + link("n7"), "2026-12-10 read " + link("s0")}},
      {"a trimmed link is no news and returns below the stored ones while there is room",
       2,
       20,
       {{"N1", link("n1"), "", "ONE"}, {"T1", link("t1")}, {"T2", link("t2")}},
       {"n1", "s0", "s1", "t1", "t2"},
       {},
       {"unread", "read", "read", "read", "unread"},
       {"n1"},
       {"N1"},
       "ONE",
       {"read " + link("t1"), "unread " + link("t2"), "2026-12-03 read " + link("gone-from-feed"),
        "2026-12-02 deleted " + link("gone-for-a-week")},
       {"2026-12-03 read " + link("gone-from-feed")}},
      {"a deleted link never returns",
       1,
       20,
       {{"D", link("d")}, {"S0", link("s0")}},
       {"s0"},
       {},
       {"read"},
       {},
       {},
       "-",
       {"deleted " + link("d")},
       {"2026-12-10 deleted " + link("d")}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // A fresh store on disk for every case; without a gone list file it is a
    // store saved before there was one.
    ResetStore();
    SeedStore(c.stored);
    std::filesystem::remove(store_.PathOf(ArticleStore::GoneFile));
    if (!c.gone.empty()) WriteListFile(store_.PathOf(ArticleStore::GoneFile), c.gone);
    settings_.keep = c.keep;
    tray_ = test::FakeTray();
    window_.tickerTexts.clear();
    window_.beeps = 0;
    server_.ClearRequests();
    ServeFeed(c.items);

    Fetch();

    std::vector<std::string> urls;
    for (const std::string& u : c.urls) urls.push_back(u == "S1-upper" ? "HTTP://NEWS.EXAMPLE/S1.html" : link(u));
    std::vector<std::string> latest;
    for (const std::string& u : c.latest) latest.push_back(link(u));
    EXPECT_EQ(store_.url, urls);
    if (!c.subjects.empty()) {
      EXPECT_EQ(store_.subject, c.subjects);
    }
    EXPECT_EQ(store_.read, c.reads);
    EXPECT_EQ(store_.latest, latest);
    EXPECT_EQ(store_.latest_subject, c.latestSubjects);
    EXPECT_EQ(ReadListFile(store_.PathOf(ArticleStore::GoneFile)), c.goneAfter);
    EXPECT_EQ(store_.ticker.size(), urls.size());
    EXPECT_EQ(store_.jvilCharts.size(), urls.size());
    EXPECT_EQ(ChartRequests(), static_cast<int>(urls.size()));
    const bool anyNew = !latest.empty();
    EXPECT_EQ(tray_.icons, std::vector<int>{anyNew ? 1 : 0});
    ASSERT_EQ(tray_.balloons.size(), anyNew ? 1u : 0u);
    EXPECT_EQ(window_.beeps, anyNew ? 1 : 0);
    if (anyNew) {
      EXPECT_EQ(tray_.balloons[0].second, c.latestSubjects.at(0));
    }
    if (c.tickerText == "-") {
      EXPECT_TRUE(window_.tickerTexts.empty());
    } else {
      EXPECT_EQ(window_.tickerTexts, std::vector<std::string>{c.tickerText});
    }
  }
}

// A feed longer than the keep limit is news once: not again after the keep
// limit trimmed the rest, after a delete, or after the server reordered and
// retitled items.
TEST_F(RefreshCycleTest, AFeedLongerThanTheKeepLimitIsNewsOnlyOnce) {
  auto link = [](int i) { return "http://news.example/f" + std::to_string(i) + ".html"; };
  for (int keep : {5, 20}) {
    SCOPED_TRACE(keep);
    ResetStore();
    SeedStore(0);
    settings_.keep = keep;
    tray_ = test::FakeTray();
    std::vector<FeedItem> items;
    for (int i = 0; i < 35; ++i) items.push_back({"Item " + std::to_string(i), link(i), "", "F" + std::to_string(i)});
    ServeFeed(items);
    Fetch();
    ASSERT_EQ(store_.Count(), static_cast<std::size_t>(keep));

    // The user reads item 1 and deletes item 0; the server swaps items 1 and 2
    // and retitles item 3.
    store_.SetRead(1, true);
    store_.DeleteArticle(0);
    store_.SaveLists();
    std::swap(items[1], items[2]);
    items[3].title = "Retitled";
    ServeFeed(items);
    Fetch();
    Fetch();

    EXPECT_EQ(tray_.icons, (std::vector<int>{1, 0, 0}));
    EXPECT_EQ(tray_.balloons.size(), 1u);
    std::vector<std::string> expected;
    for (int i = 1; i <= keep; ++i) expected.push_back(link(i));  // item keep fills the deleted one's room
    EXPECT_EQ(store_.url, expected);
    EXPECT_EQ(store_.read.front(), "read");
    EXPECT_EQ(store_.subject[2], "Retitled");
    EXPECT_EQ(store_.gone.Count(), 35u - keep);

    // A feed that is empty one day, short the next and full on the third
    // announces nothing, trims nothing away and brings no deleted one back.
    const auto start = today_;
    const std::vector<std::pair<int, std::vector<FeedItem>>> days = {{1, {}}, {2, {items[30], items[0]}}, {3, items}};
    for (const auto& [day, feed] : days) {
      today_ = start + std::chrono::days(day);
      ServeFeed(feed);
      Fetch();
    }
    EXPECT_EQ(tray_.icons, (std::vector<int>{1, 0, 0, 0, 0, 0}));
    EXPECT_EQ(store_.url, expected);
    today_ = start;
  }
}

TEST_F(RefreshCycleTest, CaseOnlyUpdateRewritesTheArticleButKeepsReadStateAndPlace) {
  SeedStore(3);
  ServeFeed({{"Renamed & new", "HTTP://NEWS.EXAMPLE/S1.html", "New\ntext", "NEW", "Bob"}});
  Fetch();
  ASSERT_EQ(store_.Count(), 3u);
  EXPECT_EQ(store_.url[1], "HTTP://NEWS.EXAMPLE/S1.html");
  EXPECT_EQ(store_.subject[1], "Renamed && new");
  EXPECT_EQ(store_.description[1], "Newtext");
  EXPECT_EQ(store_.ticker[1], Ticker("NEW"));
  EXPECT_EQ(store_.date[1].rfind("Bob - ", 0), 0u);
  EXPECT_EQ(store_.read[1], "read");
  EXPECT_EQ(store_.jvilCharts[1], ChartOf("NEW"));
  EXPECT_TRUE(store_.latest.empty());  // the old latest lists are emptied by a parse
}

TEST_F(RefreshCycleTest, FailedFetchOrParseLeavesStoreAndLatestListsAsTheyWere) {
  struct Case {
    const char* name;
    std::function<void()> serve;
    std::string lastStep;
    std::string lastText;  // the status line the failure leaves
  };
  const std::vector<Case> cases = {
      {"404", [this] { server_.Remove(FeedPath); }, "Fetching XML", "Feed not read: HTTP/1.1 404 Not Found"},
      {"500",
       [this] {
         ScriptedResponse r;
         r.statusLine = "HTTP/1.1 500 Internal Server Error";
         r.body = Feed({{"New", "http://news.example/new.html"}});
         server_.Set(FeedPath, r);
       },
       "Fetching XML", "Feed not read: HTTP/1.1 500 Internal Server Error"},
      {"redirect",
       [this] {
         ScriptedResponse r;
         r.statusLine = "HTTP/1.1 301 Moved Permanently";
         server_.Set(FeedPath, r);
       },
       "Fetching XML", "Feed not read: HTTP/1.1 301 Moved Permanently"},
      {"malformed XML", [this] { server_.Set(FeedPath, "<rss><channel><item>"); }, "Parsing XML",
       "Feed not read: Premature end of data in tag item line 1 (line 1, column 21)"},
      {"empty body", [this] { server_.Set(FeedPath, ""); }, "Parsing XML", "Feed not read: Document is empty"},
      {"unknown format", [this] { server_.Set(FeedPath, "<html><body>x</body></html>"); }, "Parsing XML",
       "Feed not read: unkown format: html"},
      {"a web filter's page of its own",
       [this] {
         server_.Set(FeedPath,
                     "<!DOCTYPE html>\n<html><head><title>Blocked</title></head>"
                     "<body><p>This site is blocked by your organisation's policy.</p></body></html>");
       },
       "Parsing XML", "Feed not read: unkown format: html"},
      {"over the feed's cap", [this] { server_.Set(FeedPath, std::string(FeedBodyCap + 1, ' ')); }, "Fetching XML",
       "Feed not read: The response is larger than the limit of 16777216 bytes."},
      // Last: the server holds this one until the hangup below.
      {"past the download's deadline",
       [this] {
         cycle_.SetFeedDeadline(std::chrono::milliseconds(100));
         ScriptedResponse r;
         r.silent = true;
         server_.Set(FeedPath, r);
       },
       "Fetching XML", "Transfer timed out: the server did not complete its answer within 100 ms."},
  };
  SeedStore(3);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    c.serve();
    const auto before = ListFileBytes();
    status_.texts.clear();
    tray_ = test::FakeTray();
    server_.ClearRequests();
    feedAge_ = test::FakeFeedAge();
    Fetch();
    EXPECT_FALSE(cycle_.Busy());
    // The age of the news stays and says the refresh failed.
    EXPECT_TRUE(feedAge_.reads.empty());
    EXPECT_EQ(feedAge_.failures, 1);
    EXPECT_EQ(ListFileBytes(), before);
    EXPECT_EQ(store_.Count(), 3u);
    EXPECT_EQ(store_.latest_subject, std::vector<std::string>{"Old latest"});
    ASSERT_GE(status_.texts.size(), 2u);
    EXPECT_EQ(status_.texts[status_.texts.size() - 2], c.lastStep);
    EXPECT_EQ(status_.texts.back(), c.lastText);
    EXPECT_EQ(ChartRequests(), 0);
    EXPECT_TRUE(tray_.icons.empty());
    EXPECT_EQ(gridFills_, 0);
  }
  server_.Hangup();
  // A later cycle works normally, with a feed larger than other answers may
  // be: under the cycle's own deadline again, since a body over 4 MiB can take
  // longer than 100 ms on a loaded machine.
  cycle_.SetFeedDeadline(FeedTransferDeadline);
  server_.Set(FeedPath,
              Feed({{"Fresh", "http://news.example/fresh.html"}}) + "<!--" + std::string(DefaultBodyCap, ' ') + "-->");
  Fetch();
  EXPECT_EQ(store_.url.front(), "http://news.example/fresh.html");
  EXPECT_EQ(store_.latest_subject, std::vector<std::string>{"Fresh"});
}

TEST_F(RefreshCycleTest, FailedPingEndsTheCycleBeforeAnyRequest) {
  SeedStore(2);
  const auto before = ListFileBytes();
  pingOk_ = false;
  onPing_ = [this] { status_.SetStatusText("Socket Error # 111\r\nConnection refused."); };
  ServeFeed({{"New", "http://news.example/new.html"}});
  server_.ClearRequests();
  status_.texts.clear();
  Fetch();
  EXPECT_FALSE(cycle_.Busy());
  EXPECT_TRUE(server_.Requests().empty());
  EXPECT_EQ(status_.texts.back(), "Socket Error # 111\r\nConnection refused.");
  EXPECT_EQ(feedAge_.failures, 1);
  EXPECT_TRUE(feedAge_.reads.empty());
  EXPECT_EQ(ListFileBytes(), before);
  EXPECT_TRUE(tray_.icons.empty());
}

TEST_F(RefreshCycleTest, ASecondFetchWhileACycleRunsReturnsAtTheGate) {
  ServeFeed({{"A", "http://news.example/a.html", "", "AAA"}, {"B", "http://news.example/b.html", "", "BBB"}});
  int reentered = 0;
  auto again = [&] {
    if (!cycle_.Busy()) return;
    ++reentered;
    cycle_.FetchRSS();
  };
  onPing_ = [&] {  // while the ping waits, the gate is already shut
    EXPECT_TRUE(cycle_.Busy());
    again();
  };
  cycle_.FetchRSS();
  // Every turn of the loop during the feed and chart downloads tries again.
  ASSERT_TRUE(ui_.RunUntil([&] {
    again();
    return !cycle_.Busy();
  }));
  EXPECT_GT(reentered, 3);
  EXPECT_EQ(pings_, 1);
  EXPECT_EQ(server_.CountOf(FeedPath), 1);
  EXPECT_EQ(ChartRequests(), 2);
  EXPECT_EQ(tray_.balloons.size(), 1u);
  EXPECT_FALSE(cycle_.Busy());
  // The gate opens again afterwards.
  onPing_ = nullptr;
  Fetch();
  EXPECT_EQ(pings_, 2);
  EXPECT_EQ(server_.CountOf(FeedPath), 2);
}

// A full disk: each save fails until space is freed. The news is shown and
// announced from memory, one failure is told as the first, and the first save
// that succeeds writes everything the failed ones could not.
TEST_F(RefreshCycleTest, FailedSavesShowTheNewsFromMemoryAndTheNextGoodSaveWritesIt) {
  SeedStore(2, "unread");
  test::FakeUrlOpener browser;
  ArticleActions actions(
      store_, [this] { return cycle_.Running(); }, browser, ServerEndpoints("http://feeds.test"),
      [this] { store_.LoadLists(); }, &cycle_.Saves());
  const std::string n1 = "http://news.example/n1.html", n2 = "http://news.example/n2.html";
  const std::string s0 = "http://news.example/s0.html", s1 = "http://news.example/s1.html";
  const std::string notSaved = "Articles not saved: Cannot create file \"" + store_.PathOf(ArticleStore::UrlFile) +
                               "\". No space left on device";
  struct Step {
    const char* name;
    bool diskFull;
    std::function<void()> act;
    std::vector<std::string> urls;  // what the grid shows afterwards
    std::string told;               // what the alarm heard of it
    std::string status;             // the cycle's last status ("": no cycle)
    std::size_t balloons;           // so far
  };
  const std::vector<Step> steps = {
      {"a cycle",
       true,
       [&] {
         ServeFeed({{"N1", n1}}), Fetch();
       },
       {n1, s0, s1},
       "first",
       notSaved,
       1},
      {"a mark", true, [&] { actions.MarkArticleRead(0); }, {n1, s0, s1}, "again", "", 1},
      {"a delete", true, [&] { actions.DeleteArticle(2); }, {n1, s0}, "again", "", 1},
      {"a cycle on what memory holds",
       true,
       [&] {
         ServeFeed({{"N2", n2}, {"N1", n1}}), Fetch();
       },
       {n2, n1, s0},
       "again",
       notSaved,
       2},
      {"space freed: a cycle writes it all", false, [&] { Fetch(); }, {n2, n1, s0}, "saved", "Ready", 2},
      {"full again", true, [&] { actions.MarkArticleUnread(0); }, {n2, n1, s0}, "first", "", 2},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.name);
    const auto filesBefore = ListFileBytes();
    fileOps_.writes = 0;
    fileOps_.writesBeforeFailure = step.diskFull ? 0 : -1;
    alarm_.told.clear();
    status_.texts.clear();
    step.act();
    ASSERT_TRUE(ui_.RunUntil([this] { return !cycle_.Busy(); }));
    EXPECT_EQ(store_.url_view, step.urls);
    EXPECT_EQ(store_.jvilCharts.size(), step.urls.size());
    EXPECT_EQ(alarm_.told, std::vector<std::string>{step.told});
    EXPECT_EQ(status_.texts.empty() ? "" : status_.texts.back(), step.status);
    EXPECT_EQ(tray_.balloons.size(), step.balloons);
    EXPECT_TRUE(!step.diskFull || ListFileBytes() == filesBefore);  // the files stay whole, as they were
  }
  EXPECT_EQ(ReadListFile(store_.PathOf(ArticleStore::UrlFile)), (std::vector<std::string>{n2, n1, s0}));
  EXPECT_EQ(ReadListFile(store_.PathOf(ArticleStore::ReadFile)),
            (std::vector<std::string>{"unread", "read", "unread"}));
  EXPECT_EQ(ReadListFile(store_.PathOf(ArticleStore::GoneFile)),
            (std::vector<std::string>{"2026-12-10 deleted " + s1}));
}

// A busy disk: the first write off the test's own (UI) thread waits until
// the test lets it go; a write on the UI thread, which must not happen, is
// only noted.
struct HeldDisk {
  std::promise<void> entered, release;
  std::shared_future<void> go = release.get_future().share();
  std::future<void> writing = entered.get_future();
  std::atomic<bool> held{false}, onUiThread{false};

  static std::shared_ptr<HeldDisk> Under(test::FaultyFileOps& ops) {
    auto disk = std::make_shared<HeldDisk>();
    ops.beforeWrite = [disk, ui = std::this_thread::get_id()] {
      if (std::this_thread::get_id() == ui) return disk->onUiThread.store(true);
      if (disk->held.exchange(true)) return;
      disk->entered.set_value();
      disk->go.wait();
    };
    return disk;
  }
  bool Writing() const { return writing.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }
};

TEST_F(RefreshCycleTest, TheListsAreWrittenOffTheUiThreadAndTheCycleEndsOnceTheyAre) {
  const auto disk = HeldDisk::Under(fileOps_);
  ServeFeed({{"New", "http://news.example/new.html"}});
  cycle_.FetchRSS();
  ASSERT_TRUE(ui_.RunUntil([&] { return disk->Writing(); }, std::chrono::seconds(10)));
  bool ran = false;
  ui_.Post([&ran] { ran = true; });
  ASSERT_TRUE(ui_.RunUntil([&ran] { return ran; }));
  EXPECT_TRUE(cycle_.Busy());
  EXPECT_EQ(status_.texts.back(), "Saving lists");
  EXPECT_EQ(gridFills_, 0);
  EXPECT_TRUE(tray_.icons.empty());

  disk->release.set_value();
  ASSERT_TRUE(ui_.RunUntil([this] { return !cycle_.Busy(); }));
  EXPECT_FALSE(disk->onUiThread);
  EXPECT_EQ(gridFills_, 1);
  EXPECT_EQ(store_.url, std::vector<std::string>{"http://news.example/new.html"});
  EXPECT_EQ(status_.texts.back(), "Ready");
  EXPECT_EQ(tray_.icons, std::vector<int>{1});
}

TEST_F(RefreshCycleTest, MarksAskedForWhileASaveIsWrittenFollowItAndTheNextCycleLoadsThem) {
  SeedStore(3, "unread");
  ServeFeed({{"Stored 1", "http://news.example/s1.html", "", "S1"}});
  test::FakeUrlOpener browser;
  int rows = 0;
  ArticleActions actions(
      store_, [this] { return cycle_.Running(); }, browser, ServerEndpoints("http://feeds.test"),
      [&] { ++rows, store_.LoadLists(); }, &cycle_.Saves());
  store_.url_view = store_.url;
  const std::vector<std::string> links = store_.url;
  const auto disk = HeldDisk::Under(fileOps_);
  actions.MarkArticleRead(2);
  ASSERT_TRUE(ui_.RunUntil([&] { return disk->Writing(); }, std::chrono::seconds(10)));
  // While the mark is written, as Return then Delete at once: the delete of
  // row 0 follows it, and a cycle asked for now waits for both before it
  // loads the lists; a mark asked for once the cycle runs is dropped.
  EXPECT_TRUE(cycle_.Busy());
  actions.DeleteArticle(0);
  cycle_.FetchRSS();
  actions.MarkArticleRead(1);
  EXPECT_EQ(pings_, 0);
  EXPECT_EQ(rows, 0);

  disk->release.set_value();
  ASSERT_TRUE(ui_.RunUntil([this] { return pings_ == 1 && !cycle_.Busy(); }));
  EXPECT_FALSE(disk->onUiThread);
  EXPECT_GE(rows, 2);
  EXPECT_EQ(ReadListFile(store_.PathOf(ArticleStore::UrlFile)), (std::vector<std::string>{links[1], links[2]}));
  EXPECT_EQ(ReadListFile(store_.PathOf(ArticleStore::ReadFile)), (std::vector<std::string>{"unread", "read"}));
}

TEST_F(RefreshCycleTest, NotificationFollowsTheLiveSettings) {
  settings_.balloon = false;
  settings_.sound = false;
  settings_.browser = false;
  ServeFeed({{"A", "http://news.example/a.html", "", "SYM"}});
  Fetch();
  EXPECT_EQ(tray_.icons, std::vector<int>{1});
  EXPECT_TRUE(tray_.balloons.empty());
  EXPECT_EQ(window_.beeps, 0);
  EXPECT_EQ(window_.shown + window_.fronted, 0);
  EXPECT_EQ(window_.tickerTexts, std::vector<std::string>{"SYM"});
}

TEST_F(RefreshCycleTest, Windows1251FeedArrivesAsUtf8) {
  // "Привет" in windows-1251 and in UTF-8.
  const std::string cp1251 = "\xCF\xF0\xE8\xE2\xE5\xF2";
  const std::string utf8 = "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82";
  std::string feed = Feed({{cp1251, "http://news.example/ru.html", cp1251 + " & co", "SBER"}});
  feed.replace(feed.find("utf-8"), 5, "windows-1251");
  server_.Set(FeedPath, feed);
  Fetch();
  ASSERT_EQ(store_.Count(), 1u);
  EXPECT_EQ(store_.subject[0], utf8);
  EXPECT_EQ(store_.description[0], utf8 + " && co");
  EXPECT_EQ(tray_.balloons.at(0).second, utf8);
}

// Eight new articles whose charts are on a host of their own. The news is
// shown and announced whatever that host does; a host that could not be
// reached is asked once per connection, not once per chart.
TEST_F(RefreshCycleTest, TheNewsNeverWaitsForTheChartHost) {
  struct Case {
    const char* name;
    std::function<std::string()> chartHost;  // its base URL
    bool answers;                            // the charts are the host's pictures, not blank
    bool loadingAtNews;                      // charts still come when the news is announced
    int chartRequests;                       // "Refreshing chart for" texts: requests started
  };
  LoopbackHttpServer hanging;
  ScriptedResponse silent;
  silent.silent = true;
  std::string deadBase;
  {
    LoopbackHttpServer gone;
    deadBase = gone.BaseUrl();
  }
#ifndef _WIN32
  testhttp::DroppingListener dropping;
#endif
  std::vector<Case> cases = {
      {"answering", [this] { return server_.BaseUrl(); }, true, false, 8},
      {"refusing", [&] { return deadBase; }, false, false, 4},
      {"hanging", [&] { return hanging.BaseUrl(); }, false, true, 8},
#ifndef _WIN32
      {"dropping every packet", [&] { return dropping.BaseUrl(); }, false, true, 4},
#endif
  };
  // The grace is long enough for loopback charts, the connect limit longer
  // still; the hanging host is let go after the news.
  cycle_.SetChartGrace(std::chrono::milliseconds(1500));
  cycle_.SetChartConnectTimeout(std::chrono::milliseconds(4000));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ResetStore();
    SeedStore(0);
    chartBase_ = c.chartHost();
    std::vector<FeedItem> items;
    for (int i = 0; i < 8; ++i) {
      const std::string symbol = "C" + std::to_string(i);
      items.push_back({"News " + std::to_string(i), "http://news.example/c" + std::to_string(i) + ".html", "", symbol});
      hanging.Set(ChartTarget(symbol), silent);
    }
    ServeFeed(items);
    tray_ = test::FakeTray();
    status_.texts.clear();
    gridFills_ = 0;

    cycle_.FetchRSS();
    ASSERT_TRUE(ui_.RunUntil([this] { return !tray_.icons.empty(); }));
    // The announcement: the rows are in the grid, the article actions are free again.
    EXPECT_EQ(tray_.balloons.size(), 1u);
    EXPECT_FALSE(cycle_.Running());
    EXPECT_EQ(gridFills_, 1);
    ASSERT_EQ(store_.url_view.size(), 8u);
    EXPECT_EQ(cycle_.ChartsLoading(), c.loadingAtNews);
    EXPECT_EQ(store_.jvilCharts[0], c.answers ? ChartOf("C0") : BlankThumbnail());

    // Each hangup lets the requests held so far go; later ones wait for the next.
    ASSERT_TRUE(ui_.RunUntil([&] {
      hanging.Hangup();
      return !cycle_.Busy();
    }));
    EXPECT_EQ(status_.texts.back(), "Ready");
    std::set<std::string> started;  // each chart's text shows as its request starts
    for (const std::string& t : status_.texts)
      if (t.rfind("Refreshing chart for " + chartBase_, 0) == 0) started.insert(t);
    EXPECT_EQ(started.size(), static_cast<std::size_t>(c.chartRequests));
    EXPECT_EQ(tray_.icons, std::vector<int>{1});
    // The charts file follows, with every chart that came.
    ArticleStore reread(
        folder_.Slash(), [](const std::string&) {}, [] {});
    reread.LoadLists();
    ASSERT_EQ(reread.jvilCharts.size(), 8u);
    EXPECT_EQ(reread.jvilCharts[7], c.answers ? ChartOf("C7") : BlankThumbnail());
  }
}

// Charts that come after the news land on the row of their link: a delete
// made meanwhile moves the rows up, and no picture goes to a neighbour.
TEST_F(RefreshCycleTest, ALateChartLandsOnItsLinksRowAfterADelete) {
  LoopbackHttpServer charts;
  chartBase_ = charts.BaseUrl();
  for (const std::string symbol : {"AAA", "BBB", "CCC"}) {
    ScriptedResponse r;
    r.contentType = "image/png";
    const RgbImage c = ChartOf(symbol);
    r.body = testpng::SolidRgbPng(86, 60, c.pixels[0], c.pixels[1], c.pixels[2]);
    r.delay = std::chrono::milliseconds(2000);
    charts.Set(ChartTarget(symbol), r);
  }
  ServeFeed({{"A", "http://news.example/a.html", "", "AAA"},
             {"B", "http://news.example/b.html", "", "BBB"},
             {"C", "http://news.example/c.html", "", "CCC"}});
  cycle_.SetChartGrace(std::chrono::milliseconds(50));
  test::FakeUrlOpener browser;
  ArticleActions actions(
      store_, [this] { return cycle_.Running(); }, browser, ServerEndpoints("http://feeds.test"),
      [this] { store_.LoadLists(); }, &cycle_.Saves());

  cycle_.FetchRSS();
  ASSERT_TRUE(ui_.RunUntil([this] { return !tray_.icons.empty(); }));
  ASSERT_TRUE(cycle_.ChartsLoading());
  actions.DeleteArticle(0);
  ASSERT_TRUE(ui_.RunUntil([this] { return !cycle_.Busy(); }));

  EXPECT_EQ(store_.url, (std::vector<std::string>{"http://news.example/b.html", "http://news.example/c.html"}));
  EXPECT_EQ(store_.jvilCharts, (std::vector<RgbImage>{ChartOf("BBB"), ChartOf("CCC")}));
  ArticleStore reread(
      folder_.Slash(), [](const std::string&) {}, [] {});
  reread.LoadLists();
  EXPECT_EQ(reread.url, store_.url);
  EXPECT_EQ(reread.jvilCharts, store_.jvilCharts);
}

TEST(RefreshCycleTextTest, CleanText) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"", ""},
      {"plain", "plain"},
      {"S&P 500", "S&&P 500"},
      {"&&", "&&&&"},
      {"a&b&c", "a&&b&&c"},
      {"line one\nline two\n", "line oneline two"},
      {"crlf\r\nend", "crlf\rend"},  // carriage returns stay
      {"&\n&", "&&&&"},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(CleanText(in), out) << in;
}

TEST(RefreshCycleTextTest, ExtractTickerSymbol) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"http%3A%2F%2Fc.example%2Fc.php%3Fsize%3D86x60%26symbol%3DABC%26chartstyle%3Dbar", "ABC"},
      {"symbol%3DABC%26chartstyle%3Dbar", "ABC"},
      {"symbol%3DABC%26CHARTSTYLE%3Dbar", "ABC"},  // case ignored for chartstyle
      {"symbol%3DUNREF%26chartstyle%3Dline", "QQQQ"},
      {"symbol%3DUNREFX%26chartstyle%3Dline", "UNREFX"},
      {"symbol%3DABC", ""},                         // no chartstyle: empty box
      {"%26chartstyle%3Dbar", ""},                  // chartstyle first: nothing before it
      {"a%3Db%3DXYZ%26chartstyle", "XYZ"},          // the last %3D counts
      {"symbol%3D%26chartstyle", ""},               // empty symbol
      {"symbol%3dABC%26chartstyle", "mbol%3dABC"},  // %3D is case-sensitive: no %3D found
      {"AB%26chartstyle", ""},                      // no %3D and two characters: nothing
      {"a%26chartstyle%3DX%26chartstyle", ""},      // the first chartstyle counts
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(ExtractTickerSymbol(in), out) << in;
}

}  // namespace
}  // namespace quarlen
