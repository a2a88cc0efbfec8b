// Load-and-parse of feeds through TSimpleRSS, beside libxml2 parsing the same
// bytes into a tree and freeing it, for three shapes: the program's own kind
// of feed (50 items with long texts, windows-1251, about 50 KB), 50 short
// items, and 5,000 items. After the runs it prints the ratio of the two per
// shape, and how long the largest hostile documents the feed cap lets through
// take to be parsed or refused.
//
// --parse-once=ours|libxml2 --shape=N parses shape N once as a warm-up, then
// once more inside MeasuredParseOurs / MeasuredParseLibXml2, and runs no
// benchmark: bench/parse_ratios.sh counts the instructions of that one call
// with callgrind (--toggle-collect), which other load on the machine does not
// disturb.

#include "feedparser/SimpleRSS.h"
#include "feedparser/XmlDom.h"

#include <benchmark/benchmark.h>
#include <libxml/parser.h>

#include <cstdio>
#include <map>
#include <string>
#include <string_view>

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
// items with title, ticker, link, description, dates, guid and category; the
// description holds the sentence sentences times.
std::string MakeFeed(int items, int sentences) {
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
    for (int k = 0; k < sentences; ++k)
      xml += "Индекс прибавил за день, объём торгов вырос, покупатели ждут новых данных. ";
    xml += "</description>\n<author>Редакция</author>\n<category>Рынок акций</category>\n";
    xml += "<guid isPermaLink=\"false\">news-" + n + "</guid>\n";
    xml += "<dc:date>2005-05-03T18:14:20+04:00</dc:date>\n";
    xml += "<pubDate>Tue, 03 May 2005 18:" + std::string(i % 60 < 10 ? "0" : "") + std::to_string(i % 60) +
           ":20 +0400</pubDate>\n</item>\n";
  }
  xml += "</channel>\n</rss>\n";
  return ToWindows1251(xml);
}

struct Shape {
  const char* name;
  int items;
  int sentences;
};
constexpr Shape Shapes[] = {{"text-heavy", 50, 7}, {"short", 50, 1}, {"many", 5000, 1}};

const std::string& Feed(int shape) {
  static const std::string feeds[] = {MakeFeed(Shapes[0].items, Shapes[0].sentences),
                                      MakeFeed(Shapes[1].items, Shapes[1].sentences),
                                      MakeFeed(Shapes[2].items, Shapes[2].sentences)};
  return feeds[shape];
}

int ParseOurs(const std::string& feed) {
  quarlen::TSimpleRSS rss;
  rss.LoadFromString(feed);
  rss.XMLFile().SetActive(true);
  rss.Parse();
  return rss.Items().Count();
}

bool ParseLibXml2(const std::string& feed) {
  xmlDocPtr doc = xmlReadMemory(feed.data(), static_cast<int>(feed.size()), nullptr, nullptr, XML_PARSE_NONET);
  const bool parsed = doc != nullptr;
  xmlFreeDoc(doc);
  return parsed;
}

// The counted calls, kept out of line so that callgrind collects exactly them
// by name; the warm-up and the timed loops call the two parses directly.
[[gnu::noinline]] void MeasuredParseOurs(const std::string& feed) { benchmark::DoNotOptimize(ParseOurs(feed)); }
[[gnu::noinline]] void MeasuredParseLibXml2(const std::string& feed) { benchmark::DoNotOptimize(ParseLibXml2(feed)); }

void BM_SimpleRSSLoadAndParse(benchmark::State& state) {
  const std::string& feed = Feed(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(ParseOurs(feed));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * feed.size()));
}
BENCHMARK(BM_SimpleRSSLoadAndParse)->DenseRange(0, 2);

void BM_LibXml2ReadMemory(benchmark::State& state) {
  const std::string& feed = Feed(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(ParseLibXml2(feed));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * feed.size()));
}
BENCHMARK(BM_LibXml2ReadMemory)->DenseRange(0, 2);

// 16 MiB, the feed cap, of elements that each carry attributes apiece:
// 1001 is refused before parsing; 25 is about the most that the
// document-wide attribute budget lets fill the whole cap.
std::string AttributeFlood(int attributes) {
  std::string element = "<e";
  for (int i = 0; i < attributes; ++i) element += " a" + std::to_string(i) + "=\"\"";
  element += "/>\n";
  std::string xml = "<r>\n";
  const std::size_t cap = 16u << 20;
  while (xml.size() + element.size() + 5 < cap) xml += element;
  return xml + "</r>";
}

void BM_HostileAttributes16MiB(benchmark::State& state) {
  const std::string xml = AttributeFlood(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    quarlen::TXMLDocument document;
    document.SetXML(xml);
    try {
      document.SetActive(true);
    } catch (const quarlen::TXMLDocError&) {
    }
    benchmark::DoNotOptimize(document.Active());
  }
}
BENCHMARK(BM_HostileAttributes16MiB)->Arg(1001)->Arg(25)->Unit(benchmark::kMillisecond)->Iterations(3);

// Console output as usual, plus the per-iteration times kept for the ratio
// (wall clock and CPU time): the median of the repetitions when there are
// several, else the one run.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  struct Times {
    double real = 0;
    double cpu = 0;
  };
  RatioReporter() : ConsoleReporter(OO_None) {}
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      const std::string key = run.run_name.function_name + "/" + run.run_name.args;
      const Times times{run.GetAdjustedRealTime(), run.GetAdjustedCPUTime()};
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
        times_[key] = times;
        medians_[key] = true;
      } else if (run.run_type == Run::RT_Iteration && run.iterations > 0 && !medians_[key]) {
        times_[key] = times;
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, Times> times_;

 private:
  std::map<std::string, bool> medians_;
};

// --parse-once=WHICH --shape=N: 0 after the two parses, 2 on unknown arguments.
int ParseOnce(std::string_view which, std::string_view shapeText) {
  const int shape = shapeText.size() == 1 ? shapeText[0] - '0' : -1;
  if (shape < 0 || shape > 2 || (which != "ours" && which != "libxml2")) {
    std::fprintf(stderr, "usage: feedparser_bench --parse-once=ours|libxml2 --shape=0|1|2\n");
    return 2;
  }
  const std::string& feed = Feed(shape);
  // The first parse pays for libxml2's one-time set-up (encoding tables,
  // dictionaries) and for the process's first allocations; only the second
  // is counted.
  if (which == "ours") {
    benchmark::DoNotOptimize(ParseOurs(feed));
    MeasuredParseOurs(feed);
  } else {
    benchmark::DoNotOptimize(ParseLibXml2(feed));
    MeasuredParseLibXml2(feed);
  }
  std::printf("%s feed: %zu bytes, parsed twice by %s\n", Shapes[shape].name, feed.size(), which.data());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string_view(argv[1]).starts_with("--parse-once=") &&
      std::string_view(argv[2]).starts_with("--shape="))
    return ParseOnce(std::string_view(argv[1]).substr(13), std::string_view(argv[2]).substr(8));
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  for (int shape = 0; shape < 3; ++shape) {  // Fail loudly rather than time a feed the library rejects.
    quarlen::TSimpleRSS rss;
    rss.LoadFromString(Feed(shape));
    rss.XMLFile().SetActive(true);
    rss.Parse();
    std::printf("%s feed: %zu bytes, %d items\n", Shapes[shape].name, Feed(shape).size(), rss.Items().Count());
  }
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  for (int shape = 0; shape < 3; ++shape) {
    const std::string arg = "/" + std::to_string(shape);
    const auto ours = reporter.times_.find("BM_SimpleRSSLoadAndParse" + arg);
    const auto lib = reporter.times_.find("BM_LibXml2ReadMemory" + arg);
    if (ours == reporter.times_.end() || lib == reporter.times_.end() || lib->second.real <= 0 || lib->second.cpu <= 0)
      continue;
    const RatioReporter::Times& a = ours->second;
    const RatioReporter::Times& b = lib->second;
    std::printf(
        "%s: TSimpleRSS load-and-parse %.1f us, xmlReadMemory + xmlFreeDoc %.1f us, ratio %.2f "
        "(CPU time %.1f us / %.1f us, ratio %.2f)\n",
        Shapes[shape].name, a.real / 1000.0, b.real / 1000.0, a.real / b.real, a.cpu / 1000.0, b.cpu / 1000.0,
        a.cpu / b.cpu);
  }
  benchmark::Shutdown();
  return 0;
}
