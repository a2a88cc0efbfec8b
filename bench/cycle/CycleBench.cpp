// Times one whole refresh cycle: a ping, the feed with 50 articles, 50 chart
// downloads (86 x 60 PNGs), the merge, the save and the grid's reload, against
// a scripted HTTP server on 127.0.0.1 running on a thread of its own.
//
// "Time" is the wall-clock time of one cycle; "CPU" is the CPU time of the
// UI thread, the one that starts the cycle and runs its completions (the
// network thread, the worker that reads the feed and the server's thread are
// not counted). The counters total_ms and outside_waits_ms give the same two
// figures in ms.
//
//   cycle_bench [--feed-server=http://127.0.0.1:8421] [benchmark options]
//
// With --feed-server the cycle also runs against that server (the bundled one:
// tools/feedserver/start, then tools/feedserver/publish for more articles).
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "feeds/ArticleStore.h"
#include "feeds/RefreshCycle.h"
#include "feeds/ThumbnailPng.h"
#include "net/HttpClient.h"
#include "net/NetworkLoop.h"
#include "platform/BuildConfig.h"
#include "platform/WorkerThread.h"
#include "tests/feeds/TestPng.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/QueuedUiThread.h"

namespace quarlen {
namespace {

constexpr int Articles = 50;
constexpr const char* FeedPath = "/feeds/messenger4.xml.win-1251";

struct NullPorts : IStatusBar, ITrayIcon, IMainWindow {
  void SetStatusText(const std::string&) override {}
  void SetIconIndex(int) override {}
  void ShowBalloon(const std::string&, const std::string&) override {}
  void Beep() override {}
  void ShowFromTray() override {}
  void BringToFront() override {}
  void SetTickerText(const std::string&) override {}
  void EndProgramNow() override {}
};

struct Settings : INotificationSettings {
  bool PlaySound() const override { return true; }
  bool ShowBaloon() const override { return true; }
  bool ShowBrowser() const override { return true; }
  int KeepArticles() const override { return Articles; }
};

// A chart with a little structure, so the PNG holds real compressed data.
std::string ChartPng(int seed) {
  testpng::PngSpec spec;
  std::vector<std::vector<png_byte>> rows(60);
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 86; ++x) {
      const bool line = (y == 30 + ((x * seed) % 23) - 11);
      rows[y].insert(rows[y].end(), {static_cast<png_byte>(line ? 0 : 255), static_cast<png_byte>(line ? 90 : 250),
                                     static_cast<png_byte>(line ? 200 : 240 - y)});
    }
  return testpng::WritePng(spec, rows);
}

// Serves the ping, the feed and the charts; `generation` renames every link so
// that a cycle meets 50 new articles instead of 50 known ones.
void ServeFeed(testhttp::LoopbackHttpServer& server, int generation) {
  std::string xml =
      "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<rss version=\"2.0\"><channel>"
      "<title>Quarlen Messenger News</title><link>http://127.0.0.1/</link>"
      "<description>\xD0\x9D\xD0\xBE\xD0\xB2\xD0\xBE\xD1\x81\xD1\x82\xD0\xB8</description>\n";
  for (int i = 0; i < Articles; ++i) {
    const std::string symbol = "SYM" + std::to_string(i);
    const std::string target = "/charts/chart.php?size=86x60&symbol=" + symbol + "&chartstyle=line";
    testhttp::ScriptedResponse chart;
    chart.contentType = "image/png";
    chart.body = ChartPng(i + 1);
    server.Set(target, chart);
    xml +=
        "<item><title>\xD0\xA1\xD0\xB1\xD0\xB5\xD1\x80\xD0\xB1\xD0\xB0\xD0\xBD\xD0\xBA "
        "S&amp;P article " +
        std::to_string(i) + "</title><link>http://127.0.0.1/news/" + std::to_string(generation) + "-" +
        std::to_string(i) +
        ".html</link><description>Shares rose 2.1% in early trade;\nvolume was above "
        "average.</description><author>Desk</author>"
        "<pubDate>Mon, 06 May 2024 09:30:00 GMT</pubDate><ticker>" +
        quarlen::testhttp::EncodeAsTicker(server.BaseUrl() + target) + "</ticker></item>\n";
  }
  server.Set(FeedPath, xml + "</channel></rss>\n");
  server.Set(std::string("/ping.php?version=") + build::ProgramVersion + "&email=", "OK");
}

double ThreadCpuMs() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

// externalBase empty: the in-process scripted server; else a running feed server.
void RunCycles(benchmark::State& state, bool newArticlesEveryCycle, const std::string& externalBase = {}) {
  std::string folder = (std::filesystem::temp_directory_path() / "quarlen-cycle-XXXXXX").string();
  if (!::mkdtemp(folder.data())) {
    state.SkipWithError("no temporary folder");
    return;
  }
  {
    testhttp::LoopbackHttpServer server;
    ServeFeed(server, 0);
    const std::string base = externalBase.empty() ? server.BaseUrl() : externalBase;
    NullPorts ports;
    Settings settings;
    ArticleStore store(
        folder + "/", [](const std::string&) {}, [] {});
    test::QueuedUiThread ui;
    NetworkLoop loop;
    WorkerThread worker;
    THttpClient client(THttpClientKind::MainClient, loop, ui);
    auto profile = [](THttpClient& c) {
      c.SetUserAgent(std::string("Quarlen Messenger ") + build::ProgramVersion + " bench");
      c.ResetProxy();
    };
    const std::string pingUrl = base + "/ping.php?version=" + build::ProgramVersion + "&email=";
    RefreshCycle cycle(
        store, client, base + FeedPath, settings, profile,
        [&](const PingDone& done) {
          // The ping on a client of its own, as the program makes it.
          auto check = std::make_shared<THttpClient>(THttpClientKind::ConnectivityCheck, loop, ui);
          profile(*check);
          check->AsyncGet(pingUrl, [check, done](std::exception_ptr failure, const std::string&) { done(!failure); });
        },
        RefreshCyclePorts{ports, ports, ports, nullptr}, [&] { store.LoadLists(); }, CycleThreads{worker, ui, loop});
    auto runCycle = [&] {
      cycle.FetchRSS();
      if (!ui.RunUntil([&] { return !cycle.Busy(); })) state.SkipWithError("a cycle did not end");
    };

    runCycle();  // the store now holds the feed's articles
    const std::size_t expected = externalBase.empty() ? Articles : store.Count();
    if (store.Count() == 0 || store.Count() != expected || store.jvilCharts.size() != expected) {
      state.SkipWithError("the first cycle did not fill the store");
    }
    state.counters["articles"] = static_cast<double>(store.Count());
    // Thumbnails that came out blank (a chart missing or of the wrong size).
    state.counters["blank_charts"] =
        static_cast<double>(std::count(store.jvilCharts.begin(), store.jvilCharts.end(), BlankThumbnail()));
    int generation = 0;
    double wallMs = 0, cpuMs = 0;
    for (auto _ : state) {
      if (newArticlesEveryCycle) {
        state.PauseTiming();
        ServeFeed(server, ++generation);
        state.ResumeTiming();
      }
      const auto wallStart = std::chrono::steady_clock::now();
      const double cpuStart = ThreadCpuMs();
      runCycle();
      cpuMs += ThreadCpuMs() - cpuStart;
      wallMs += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - wallStart).count();
    }
    if (externalBase.empty() && server.CountOf(FeedPath) != static_cast<int>(state.iterations()) + 1)
      state.SkipWithError("a cycle did not fetch the feed");
    state.counters["total_ms"] = benchmark::Counter(wallMs, benchmark::Counter::kAvgIterations);
    state.counters["outside_waits_ms"] = benchmark::Counter(cpuMs, benchmark::Counter::kAvgIterations);
    if (externalBase.empty()) {
      state.counters["requests"] =
          benchmark::Counter(static_cast<double>(server.Requests().size()) / (state.iterations() + 1));
    }
  }
  std::filesystem::remove_all(folder);
}

void BM_CycleKnownArticles(benchmark::State& state) { RunCycles(state, false); }
void BM_CycleNewArticles(benchmark::State& state) { RunCycles(state, true); }

BENCHMARK(BM_CycleKnownArticles)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CycleNewArticles)->Unit(benchmark::kMillisecond);

// One chart thumbnail decoded, as the UI thread does when each chart arrives:
// it stays there because it takes far less than a frame.
void BM_DecodeThumbnail(benchmark::State& state) {
  const std::string png = ChartPng(1);
  RgbImage chart;
  for (auto _ : state) benchmark::DoNotOptimize(TryDecodeThumbnailPng(png, chart));
}
BENCHMARK(BM_DecodeThumbnail)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace quarlen

int main(int argc, char** argv) {
  std::vector<char*> args;
  std::string feedServer;
  for (int i = 0; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.rfind("--feed-server=", 0) == 0) {
      feedServer = arg.substr(14);
    } else {
      args.push_back(argv[i]);
    }
  }
  if (!feedServer.empty()) {
    benchmark::RegisterBenchmark("BM_CycleFeedServer", [feedServer](benchmark::State& state) {
      quarlen::RunCycles(state, false, feedServer);
    })->Unit(benchmark::kMillisecond);
  }
  int count = static_cast<int>(args.size());
  benchmark::Initialize(&count, args.data());
  if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
