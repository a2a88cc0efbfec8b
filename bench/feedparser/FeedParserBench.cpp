// Load-and-parse of the program's own kind of feed (50 items, windows-1251,
// about 50 KB) through TSimpleRSS, beside libxml2 parsing the same bytes into
// a tree and freeing it. After the runs it prints the ratio of the two.

#include "feedparser/SimpleRSS.h"

#include <benchmark/benchmark.h>
#include <libxml/parser.h>

#include <cstdio>
#include <map>
#include <string>

namespace {

// UTF-8 Cyrillic and ASCII to windows-1251 (only the letters the generator uses).
std::string ToWindows1251(const std::string& utf8) {
  std::string out;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x80) {
      out += static_cast<char>(c);
      continue;
    }
    const unsigned cp = ((c & 0x1F) << 6) | (static_cast<unsigned char>(utf8[++i]) & 0x3F);
    if (cp >= 0x410 && cp <= 0x44F)
      out += static_cast<char>(0xC0 + (cp - 0x410));
    else if (cp == 0x401)
      out += static_cast<char>(0xA8);
    else if (cp == 0x451)
      out += static_cast<char>(0xB8);
    else if (cp == 0xAB)
      out += static_cast<char>(0xAB);
    else if (cp == 0xBB)
      out += static_cast<char>(0xBB);
    else
      out += '?';
  }
  return out;
}

// A feed shaped like the one the feed server delivers: channel header, then
// items with title, ticker, link, description, dates, guid and category.
std::string MakeFeed(int items) {
  std::string xml =
      "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n"
      "<rss version=\"2.0\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\">\n<channel>\n"
      "<title>Новости рынка</title>\n<link>http://127.0.0.1:8421/</link>\n"
      "<description>Котировки, сделки и заголовки дня</description>\n"
      "<language>ru</language>\n<pubDate>Tue, 03 May 2005 18:14:20 GMT</pubDate>\n"
      "<lastBuildDate>Tue, 03 May 2005 18:14:20 GMT</lastBuildDate>\n<ttl>5</ttl>\n";
  for (int i = 0; i < items; ++i) {
    const std::string n = std::to_string(i + 1);
    xml += "<item>\n<title>Акции компании №" + n + " выросли на фоне отчёта «за квартал»</title>\n";
    xml += "<ticker>http://127.0.0.1:8421/chart.php?s=TCK" + n + "&amp;p=d&amp;w=86&amp;h=60</ticker>\n";
    xml += "<link>http://127.0.0.1:8421/news/2005/05/03/" + n + ".html</link>\n<description>";
    for (int k = 0; k < 7; ++k)
      xml += "Индекс прибавил за день, объём торгов вырос, покупатели ждут новых данных. ";
    xml += "</description>\n<author>Редакция</author>\n<category>Рынок акций</category>\n";
    xml += "<guid isPermaLink=\"false\">news-" + n + "</guid>\n";
    xml += "<dc:date>2005-05-03T18:14:20+04:00</dc:date>\n";
    xml += "<pubDate>Tue, 03 May 2005 18:" + std::string(i % 60 < 10 ? "0" : "") +
           std::to_string(i % 60) + ":20 +0400</pubDate>\n</item>\n";
  }
  xml += "</channel>\n</rss>\n";
  return ToWindows1251(xml);
}

const std::string& Feed() {
  static const std::string feed = MakeFeed(50);
  return feed;
}

void BM_SimpleRSSLoadAndParse(benchmark::State& state) {
  const std::string& feed = Feed();
  for (auto _ : state) {
    quarlen::TSimpleRSS rss;
    rss.LoadFromString(feed);
    rss.XMLFile().SetActive(true);
    rss.Parse();
    benchmark::DoNotOptimize(rss.Items().Count());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * feed.size()));
}
BENCHMARK(BM_SimpleRSSLoadAndParse);

void BM_LibXml2ReadMemory(benchmark::State& state) {
  const std::string& feed = Feed();
  for (auto _ : state) {
    xmlDocPtr doc = xmlReadMemory(feed.data(), static_cast<int>(feed.size()), nullptr, nullptr,
                                  XML_PARSE_NONET);
    benchmark::DoNotOptimize(doc);
    xmlFreeDoc(doc);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * feed.size()));
}
BENCHMARK(BM_LibXml2ReadMemory);

// Console output as usual, plus the per-iteration times kept for the ratio.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  RatioReporter() : ConsoleReporter(OO_None) {}
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs)
      if (run.run_type == Run::RT_Iteration && run.iterations > 0)
        times_[run.run_name.function_name] = run.GetAdjustedRealTime();
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> times_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  {  // Fail loudly rather than time a feed the library rejects.
    quarlen::TSimpleRSS rss;
    rss.LoadFromString(Feed());
    rss.XMLFile().SetActive(true);
    rss.Parse();
    std::printf("feed: %zu bytes, %d items\n", Feed().size(), rss.Items().Count());
  }
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const auto ours = reporter.times_.find("BM_SimpleRSSLoadAndParse");
  const auto lib = reporter.times_.find("BM_LibXml2ReadMemory");
  if (ours != reporter.times_.end() && lib != reporter.times_.end() && lib->second > 0)
    std::printf("TSimpleRSS load-and-parse: %.1f us, xmlReadMemory + xmlFreeDoc: %.1f us, ratio %.2f\n",
                ours->second / 1000.0, lib->second / 1000.0, ours->second / lib->second);
  benchmark::Shutdown();
  return 0;
}
