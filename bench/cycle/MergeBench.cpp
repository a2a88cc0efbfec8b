// Times the merge, the trim and the gone list's upkeep of one refresh on a
// large feed: n items, half of them already stored, a keep limit of half the
// feed (so the rest is trimmed into the gone list), with the gone list empty
// or full of older links. The parse is done once, outside the timing.
//
//   merge_bench [benchmark options]
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

#include "feedparser/SimpleRSS.h"
#include "feeds/ArticleStore.h"
#include "feeds/RefreshCycle.h"

namespace quarlen {
namespace {

std::string Link(int i) { return "http://news.example/articles/" + std::to_string(i) + ".html"; }

void ParseFeed(TSimpleRSS& rss, int items) {
  std::string xml =
      "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<rss version=\"2.0\"><channel>"
      "<title>News</title><link>http://127.0.0.1/</link><description>d</description>\n";
  for (int i = 0; i < items; ++i) {
    xml += "<item><title>Article " + std::to_string(i) + "</title><link>" + Link(i) +
           "</link><description>Text</description><author>Desk</author>"
           "<pubDate>Mon, 06 May 2024 09:30:00 GMT</pubDate><ticker>x%3DABC%26chartstyle</ticker></item>\n";
  }
  rss.LoadFromString(xml + "</channel></rss>\n");
  rss.XMLFile().SetActive(true);
  rss.Parse();
}

// range(1): links the gone list holds before the refresh, none of them in
// the feed and all within the week (the list at its cap after a feed that
// moved on): each is kept, and past the cap the longest-absent go.
void BM_MergeTrimSettle(benchmark::State& state) {
  const int items = static_cast<int>(state.range(0));
  const auto today = std::chrono::sys_days(std::chrono::year(2026) / 12 / 10);
  TSimpleRSS rss;
  ParseFeed(rss, items);
  for (auto _ : state) {
    state.PauseTiming();
    ArticleStore store(
        "/nonexistent/", [](const std::string&) {}, [] {}, nullptr, [today] { return today; });
    for (int i = 0; i < state.range(1); ++i)
      store.gone.Add("http://old.example/" + std::to_string(i), "read", today - std::chrono::days(i % 7));
    for (int i = items / 2; i < items; ++i) {  // the older half is stored already
      store.url.push_back(Link(i));
      store.subject.push_back("Stored");
      store.description.push_back("");
      store.date.push_back("");
      store.ticker.push_back("");
      store.read.push_back("read");
    }
    state.ResumeTiming();
    MergeFeedItems(store, rss.Items());
    TrimArticles(store, items / 2);
    SettleGoneArticles(store, rss.Items(), items / 2);
    benchmark::DoNotOptimize(store.url.data());
  }
  state.SetItemsProcessed(state.iterations() * items);
}
BENCHMARK(BM_MergeTrimSettle)
    ->Args({5000, 0})
    ->Args({28000, 0})
    ->Args({5000, static_cast<int>(GoneList::MaxLinks)})
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quarlen

BENCHMARK_MAIN();
