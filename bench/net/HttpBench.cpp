// How responsive the window stays while a request waits, and what the sliced
// waiting costs on a fast loopback server.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <boost/asio/connect.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/http.hpp>
#include <chrono>
#include <string>

#include "net/HttpClient.h"
#include "platform/BuildConfig.h"
#include "tests/support/LoopbackHttpServer.h"

namespace {

using Clock = std::chrono::steady_clock;

// The tests' loopback server, answering the feed path with 2 KiB after delay.
class FeedServer {
 public:
  explicit FeedServer(std::chrono::milliseconds delay) {
    quarlen::testhttp::ScriptedResponse answer;
    answer.body = std::string(2048, 'x');
    answer.contentType.clear();
    answer.delay = delay;
    server_.Set(Path, answer);
  }
  std::string Url() const { return server_.Url(Path); }
  int Port() const { return server_.Port(); }
  int Connections() const { return server_.Connections(); }

 private:
  static constexpr const char* Path = "/feeds/messenger4.xml.win-1251";
  quarlen::testhttp::LoopbackHttpServer server_;
};

// One GET on a server that answers after two seconds; the counters are the
// longest gap between two pump calls and the number of calls.
void BM_PumpGapWhileWaiting(benchmark::State& state) {
  const auto delay = std::chrono::milliseconds(state.range(0));
  FeedServer server(delay);
  double longestGapMs = 0;
  double pumps = 0;
  for (auto _ : state) {
    auto last = Clock::now();
    double longest = 0;
    int calls = 0;
    quarlen::THttpClient client(quarlen::THttpClientKind::ConnectivityCheck, [&] {
      const auto now = Clock::now();
      longest = std::max(longest, std::chrono::duration<double, std::milli>(now - last).count());
      last = now;
      ++calls;
    });
    benchmark::DoNotOptimize(client.Get(server.Url()));
    longestGapMs = std::max(longestGapMs, longest);
    pumps += calls;
  }
  state.counters["longest_pump_gap_ms"] = longestGapMs;
  state.counters["pumps_per_request"] = pumps / static_cast<double>(state.iterations());
}
BENCHMARK(BM_PumpGapWhileWaiting)->Arg(2000)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

// 50 sequential GETs of a 2 KiB body over one kept-alive connection, on the main client.
void BM_FiftyGetsKeptAlive(benchmark::State& state) {
  FeedServer server(std::chrono::milliseconds(0));
  int pumps = 0;
  quarlen::THttpClient client(quarlen::THttpClientKind::MainClient, [&] { ++pumps; });
  client.SetUserAgent(std::string("Quarlen Messenger ") + quarlen::build::ProgramVersion + " bench");
  for (auto _ : state) {
    for (int i = 0; i < 50; ++i) benchmark::DoNotOptimize(client.Get(server.Url()));
  }
  state.counters["connections"] = server.Connections();
  state.counters["gets_per_s"] = benchmark::Counter(50.0 * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FiftyGetsKeptAlive)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same 50 GETs with plain blocking Beast: the floor of this machine.
void BM_FiftyGetsBlockingBeast(benchmark::State& state) {
  namespace beast = boost::beast;
  namespace http = beast::http;
  FeedServer server(std::chrono::milliseconds(0));
  boost::asio::io_context io;
  boost::asio::ip::tcp::socket socket(io);
  socket.connect({boost::asio::ip::make_address("127.0.0.1"), static_cast<unsigned short>(server.Port())});
  socket.set_option(boost::asio::ip::tcp::no_delay(true));
  const std::string request =
      "GET /feeds/messenger4.xml.win-1251 HTTP/1.1\r\nHost: 127.0.0.1\r\nAccept: text/html, */*\r\n\r\n";
  beast::flat_buffer buffer;
  for (auto _ : state) {
    for (int i = 0; i < 50; ++i) {
      boost::asio::write(socket, boost::asio::buffer(request));
      http::response<http::string_body> response;
      http::read(socket, buffer, response);
      benchmark::DoNotOptimize(response.body());
    }
  }
  state.counters["connections"] = server.Connections();
}
BENCHMARK(BM_FiftyGetsBlockingBeast)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
