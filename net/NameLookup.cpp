#include "net/NameLookup.h"

#include "net/AsioCoroutines.h"
// The includes above bring in Asio's coroutine support first.
#include <boost/asio/execution/context.hpp>
#include <boost/asio/execution_context.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/query.hpp>
#include <boost/asio/steady_timer.hpp>
#include <memory>
#include <mutex>
#include <thread>

namespace quarlen {

namespace {

namespace asio = boost::asio;
using tcp = asio::ip::tcp;
using ErrorCode = boost::system::error_code;

// Whether an io_context still takes work: a lookup thread that finishes after
// the program's network loop has gone must not post into it. The context
// closes the gate as it shuts down.
struct Gate {
  std::mutex mutex;
  bool open = true;
};

class LookupGate : public asio::execution_context::service {
 public:
  using key_type = LookupGate;
  static inline asio::execution_context::id id;  // NOLINT(readability-identifier-naming): Asio's name

  explicit LookupGate(asio::execution_context& context) : service(context) {}

  const std::shared_ptr<Gate>& Shared() const { return gate_; }

 private:
  void shutdown() override {
    const std::lock_guard lock(gate_->mutex);
    gate_->open = false;
  }

  std::shared_ptr<Gate> gate_ = std::make_shared<Gate>();
};

// What the lookup thread hands back.
struct Found {
  ErrorCode error;
  Endpoints endpoints;
};

// The waiting side, on the io_context's thread only.
struct Waiter {
  explicit Waiter(const asio::any_io_executor& executor) : wake(executor) {}
  asio::steady_timer wake;
  bool answered = false;
};

// The blocking resolver call, on the calling thread: the same addresses,
// order and error codes as Asio's own resolver gives.
Found Resolve(const std::string& host, const std::string& port) {
  Found found;
  asio::io_context local;
  tcp::resolver resolver(local);
  const auto results = resolver.resolve(host, port, found.error);
  if (!found.error) {
    for (const auto& entry : results) found.endpoints.push_back(entry.endpoint());
  }
  return found;
}

}  // namespace

asio::awaitable<Endpoints> LookUp(const std::string& host, int port, StopHook& stop, ErrorCode& ec) {
  ec.clear();
  ErrorCode notLiteral;
  const auto literal = asio::ip::make_address(host, notLiteral);
  if (!notLiteral) co_return Endpoints{tcp::endpoint(literal, static_cast<unsigned short>(port))};

  const auto executor = co_await asio::this_coro::executor;
  const std::shared_ptr<Gate> gate =
      asio::use_service<LookupGate>(asio::query(executor, asio::execution::context)).Shared();
  auto waiter = std::make_shared<Waiter>(executor);
  auto found = std::make_shared<Found>();
  std::thread([gate, found, host, service = std::to_string(port), executor, weak = std::weak_ptr<Waiter>(waiter)] {
    *found = Resolve(host, service);
    const std::lock_guard lock(gate->mutex);
    if (!gate->open) return;
    asio::post(executor, [weak] {
      if (const auto waiting = weak.lock()) {
        waiting->answered = true;
        waiting->wake.cancel();
      }
    });
  }).detach();

  stop = [waiter] { waiter->wake.cancel(); };
  waiter->wake.expires_at(asio::steady_timer::time_point::max());
  ErrorCode woken;
  co_await waiter->wake.async_wait(asio::redirect_error(asio::use_awaitable, woken));
  stop = nullptr;
  if (!waiter->answered) {
    ec = asio::error::operation_aborted;
    co_return Endpoints{};
  }
  ec = found->error;
  co_return std::move(found->endpoints);
}

}  // namespace quarlen
