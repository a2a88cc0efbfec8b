#include "net/ConnectRace.h"

#include <boost/asio/detached.hpp>
#include <boost/asio/steady_timer.hpp>
#include <cstddef>
#include <memory>
#include <optional>
#include <vector>

namespace quarlen {

namespace {

namespace asio = boost::asio;
using tcp = asio::ip::tcp;
using ErrorCode = boost::system::error_code;

// The attempts under way, shared by the race and each attempt; everything on
// the io_context's thread.
struct Race {
  explicit Race(const asio::any_io_executor& executor) : wake(executor) {}

  // Ends every attempt and the wait.
  void Stop() {
    stopped = true;
    CloseAllBut(std::nullopt);
    wake.cancel();
  }
  void CloseAllBut(std::optional<std::size_t> kept) {
    for (std::size_t i = 0; i < sockets.size(); ++i) {
      ErrorCode ignored;
      if (i != kept) sockets[i]->close(ignored);
    }
  }

  std::vector<std::unique_ptr<tcp::socket>> sockets;
  asio::steady_timer wake;  // waits for the next head start, or for an attempt to end
  std::optional<std::size_t> winner;
  ErrorCode lastError;
  std::size_t running = 0;
  bool ended = false;  // an attempt ended since the race last looked
  bool stopped = false;
};

asio::awaitable<void> Attempt(std::shared_ptr<Race> race, std::size_t index, tcp::endpoint endpoint) {
  ErrorCode ec;
  co_await race->sockets[index]->async_connect(endpoint, asio::redirect_error(asio::use_awaitable, ec));
  --race->running;
  race->ended = true;
  if (!ec && !race->winner && !race->stopped) {
    race->winner = index;
  } else if (ec && !race->stopped) {
    race->lastError = ec;
  }
  race->wake.cancel();
}

}  // namespace

Endpoints InterleaveFamilies(const Endpoints& endpoints) {
  if (endpoints.empty()) return {};
  const bool firstIsV6 = endpoints.front().address().is_v6();
  Endpoints first;
  Endpoints second;
  for (const auto& endpoint : endpoints) (endpoint.address().is_v6() == firstIsV6 ? first : second).push_back(endpoint);
  Endpoints order;
  order.reserve(endpoints.size());
  for (std::size_t i = 0; i < first.size() || i < second.size(); ++i) {
    if (i < first.size()) order.push_back(first[i]);
    if (i < second.size()) order.push_back(second[i]);
  }
  return order;
}

asio::awaitable<tcp::socket> ConnectFirst(const Endpoints& endpoints, StopHook& stop, ErrorCode& ec) {
  const auto executor = co_await asio::this_coro::executor;
  auto race = std::make_shared<Race>(executor);
  race->lastError = asio::error::host_not_found;
  stop = [race] { race->Stop(); };
  std::size_t next = 0;
  while (!race->stopped && !race->winner) {
    if (next < endpoints.size()) {
      const tcp::endpoint& endpoint = endpoints[next];
      race->sockets.push_back(std::make_unique<tcp::socket>(executor));
      ErrorCode opened;
      race->sockets.back()->open(endpoint.protocol(), opened);
      if (opened) {
        // This machine has no such family at all: on to the next at once.
        race->lastError = opened;
        ++next;
        continue;
      }
      asio::co_spawn(executor, Attempt(race, next, endpoint), asio::detached);
      ++race->running;
      ++next;
      race->wake.expires_after(AttemptHeadStart);
    } else if (race->running == 0) {
      break;
    } else {
      race->wake.expires_at(asio::steady_timer::time_point::max());
    }
    // An attempt that ended meanwhile has already cancelled a wait that was
    // not there yet: look before waiting.
    if (!race->ended) {
      ErrorCode woken;
      co_await race->wake.async_wait(asio::redirect_error(asio::use_awaitable, woken));
    }
    race->ended = false;
  }
  stop = nullptr;
  if (race->stopped) {
    ec = asio::error::operation_aborted;
    co_return tcp::socket(executor);
  }
  race->CloseAllBut(race->winner);
  if (!race->winner) {
    ec = race->lastError;
    co_return tcp::socket(executor);
  }
  ec.clear();
  co_return std::move(*race->sockets[*race->winner]);
}

}  // namespace quarlen
