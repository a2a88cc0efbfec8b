// Connection setup over several addresses: the order the attempts go in, and
// a name whose first address never answers reached through its second.
#include "net/ConnectRace.h"

#include <gtest/gtest.h>

#include <boost/asio/io_context.hpp>
#include <boost/asio/steady_timer.hpp>

#include <string>
#include <vector>

#include "tests/support/LoopbackHttpServer.h"

namespace quarlen {
namespace {

namespace asio = boost::asio;

Endpoints Parse(const std::vector<std::string>& addresses) {
  Endpoints endpoints;
  for (const auto& a : addresses) endpoints.emplace_back(asio::ip::make_address(a), 80);
  return endpoints;
}

TEST(ConnectRace, FamiliesTakeTurnsStartingWithTheFirstAddresss) {
  struct {
    const char* name;
    std::vector<std::string> resolved;
    std::vector<std::string> tried;
  } cases[] = {
      {"none", {}, {}},
      {"one family keeps its order", {"10.0.0.2", "10.0.0.1"}, {"10.0.0.2", "10.0.0.1"}},
      {"IPv6 listed first goes first",
       {"fd00::1", "fd00::2", "10.0.0.1", "10.0.0.2"},
       {"fd00::1", "10.0.0.1", "fd00::2", "10.0.0.2"}},
      {"IPv4 listed first goes first", {"10.0.0.1", "fd00::1", "fd00::2"}, {"10.0.0.1", "fd00::1", "fd00::2"}},
      {"the longer family's rest comes last",
       {"fd00::1", "10.0.0.1", "10.0.0.2", "10.0.0.3"},
       {"fd00::1", "10.0.0.1", "10.0.0.2", "10.0.0.3"}},
  };
  for (const auto& c : cases) EXPECT_EQ(InterleaveFamilies(Parse(c.resolved)), Parse(c.tried)) << c.name;
}

#ifndef _WIN32  // fills an accept queue with non-blocking POSIX sockets
using tcp = asio::ip::tcp;

// A listener on address:port whose accept queue is full, so the connection
// attempts it gets go unanswered, as with a host that drops packets.
int SilentListener(const std::string& address, int port, std::vector<int>& sockets) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in where{};
  where.sin_family = AF_INET;
  ::inet_pton(AF_INET, address.c_str(), &where.sin_addr);
  where.sin_port = htons(static_cast<uint16_t>(port));
  ::bind(fd, reinterpret_cast<sockaddr*>(&where), sizeof where);
  ::listen(fd, 0);
  sockets.push_back(fd);
  for (int i = 0; i < 4; ++i) {
    const int filler = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
    ::connect(filler, reinterpret_cast<sockaddr*>(&where), sizeof where);
    sockets.push_back(filler);
  }
  return fd;
}

asio::awaitable<void> Race(const Endpoints& endpoints, StopHook& stop, boost::system::error_code& ec,
                           std::string& reached) {
  const tcp::socket socket = co_await ConnectFirst(endpoints, stop, ec);
  if (!ec)
    reached = socket.remote_endpoint().address().to_string() + ":" + std::to_string(socket.remote_endpoint().port());
}

TEST(ConnectRace, FirstConnectionMadeWins) {
  // 127.0.0.2 drops (a full accept queue), 127.0.0.1 answers on one port and
  // refuses on another. The stop comes long after any answer could, but for
  // the case that is about the stop.
  int live = 0;
  std::vector<int> sockets{testhttp::ListenOnLoopback(16, live)};
  SilentListener("127.0.0.2", live, sockets);
  const int refusing = testhttp::UnusedPort();
  const auto at = [](const char* address, int port) { return tcp::endpoint(asio::ip::make_address(address), port); };
  struct {
    const char* name;
    Endpoints endpoints;
    std::string reached;  // or the error
    std::chrono::milliseconds stopAfter = std::chrono::seconds(60);
  } cases[] = {
      {"the first drops: the second answers",
       {at("127.0.0.2", live), at("127.0.0.1", live)},
       "127.0.0.1:" + std::to_string(live)},
      {"the first refuses: the second at once",
       {at("127.0.0.1", refusing), at("127.0.0.1", live)},
       "127.0.0.1:" + std::to_string(live)},
      {"all refuse: the last error",
       {at("127.0.0.1", refusing)},
       boost::system::error_code(asio::error::connection_refused).message()},
      {"only a silent one: the stop ends it",
       {at("127.0.0.2", live)},
       boost::system::error_code(asio::error::operation_aborted).message(),
       std::chrono::milliseconds(300)},
  };
  for (const auto& c : cases) {
    asio::io_context io;
    StopHook stop;
    boost::system::error_code ec;
    std::string reached;
    asio::steady_timer limit(io, c.stopAfter);
    limit.async_wait([&stop](const boost::system::error_code& cancelled) {
      if (!cancelled && stop) stop();
    });
    asio::co_spawn(io, Race(c.endpoints, stop, ec, reached), [&limit](std::exception_ptr) { limit.cancel(); });
    io.run();
    EXPECT_EQ(ec ? ec.message() : reached, c.reached) << c.name;
  }
  for (const int fd : sockets) ::close(fd);
}
#endif

}  // namespace
}  // namespace quarlen
