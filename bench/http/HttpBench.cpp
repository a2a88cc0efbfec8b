// How responsive the window stays while a request waits, and what the sliced
// waiting costs on a fast loopback server.
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <boost/asio/connect.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/http.hpp>
#include <chrono>
#include <string>
#include <thread>

#include "settings/HttpClient.h"

namespace {

using Clock = std::chrono::steady_clock;

// A loopback server that answers every request on a connection, after delay.
class LoopbackServer {
 public:
  explicit LoopbackServer(std::chrono::milliseconds delay) : delay_(delay) {
    listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
    const int on = 1;
    ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::listen(listener_, 8);
    socklen_t length = sizeof address;
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Run(); });
  }
  ~LoopbackServer() {
    stop_ = true;
    thread_.join();
    ::close(listener_);
  }
  std::string Url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/feeds/messenger4.xml.win-1251"; }
  int Port() const { return port_; }
  int Connections() const { return connections_; }

 private:
  static bool Readable(int fd) {
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, 10) > 0;
  }
  void Run() {
    const std::string body(2048, 'x');
    const std::string reply = "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
    while (!stop_) {
      if (!Readable(listener_)) continue;
      const int client = ::accept(listener_, nullptr, nullptr);
      if (client < 0) continue;
      ++connections_;
      const int on = 1;
      ::setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
      std::string pending;
      while (!stop_) {
        const auto end = pending.find("\r\n\r\n");
        if (end != std::string::npos) {
          pending.erase(0, end + 4);
          if (delay_.count() > 0) std::this_thread::sleep_for(delay_);
          ::send(client, reply.data(), reply.size(), MSG_NOSIGNAL);
          continue;
        }
        if (!Readable(client)) continue;
        char chunk[4096];
        const ssize_t n = ::recv(client, chunk, sizeof chunk, 0);
        if (n <= 0) break;
        pending.append(chunk, static_cast<std::size_t>(n));
      }
      ::close(client);
    }
  }

  std::chrono::milliseconds delay_;
  int listener_ = -1;
  int port_ = 0;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::atomic<int> connections_{0};
};

// One GET on a server that answers after two seconds; the counters are the
// longest gap between two pump calls and the number of calls.
void BM_PumpGapWhileWaiting(benchmark::State& state) {
  const auto delay = std::chrono::milliseconds(state.range(0));
  LoopbackServer server(delay);
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
  LoopbackServer server(std::chrono::milliseconds(0));
  int pumps = 0;
  quarlen::THttpClient client(quarlen::THttpClientKind::MainClient, [&] { ++pumps; });
  client.SetUserAgent("Quarlen Messenger 1.2.5.149 bench");
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
  LoopbackServer server(std::chrono::milliseconds(0));
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
