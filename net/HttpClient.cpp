#include "net/HttpClient.h"

#include <boost/asio/post.hpp>
#include <condition_variable>
#include <mutex>
#include <stdexcept>

#include "net/HttpClientImpl.h"
#include "net/HttpRequest.h"
#include "net/HttpTunnel.h"
#include "net/HttpUrl.h"
#include "net/NetworkLoop.h"
#include "platform/UiPorts.h"

namespace quarlen {

namespace {

namespace asio = boost::asio;
using std::chrono::milliseconds;

// How long the blocking Get lets the I/O run before the pump gets a turn.
constexpr milliseconds WaitSlice{250};
constexpr const char* StillBusy = "The HTTP client is still busy with another request.";

}  // namespace

PreparedRequest THttpClient::Impl::Prepare(const std::string& url, std::size_t cap, milliseconds limit) {
  const HttpUrl target = ParseHttpUrl(url);
  if (target.secure) RequireTls(url);
  HttpGetRequest request;
  request.url = target;
  const bool viaProxy = !proxy.host.empty();
  // Through the proxy an https request goes inside a tunnel, as if direct.
  request.viaProxy = viaProxy && !target.secure;
  request.cacheControl = kind == THttpClientKind::MainClient;
  request.userAgent = userAgent;
  if (request.viaProxy && proxy.basicAuthentication) {
    request.proxyUserName = proxy.userName;
    request.proxyPassword = proxy.password;
  }
  request.cookie = cookies.CookieHeader(target.ConnectHost(), target.secure);
  PreparedRequest prepared;
  prepared.serial = ++serial;
  prepared.bytes = BuildGetRequest(request);
  prepared.cookieHost = target.ConnectHost();
  prepared.host = viaProxy ? proxy.host : target.ConnectHost();
  prepared.port = viaProxy ? proxy.port : target.port;
  prepared.secure = target.secure;
  prepared.tlsHost = target.ConnectHost();
  if (viaProxy && target.secure) {
    HttpConnectRequest tunnel{target, userAgent, std::nullopt, {}};
    if (proxy.basicAuthentication) {
      tunnel.proxyUserName = proxy.userName;
      tunnel.proxyPassword = proxy.password;
    }
    prepared.tunnel = target.Authority();
    prepared.connectBytes = BuildConnectRequest(tunnel);
  }
  prepared.cap = cap;
  prepared.limit = limit;
  prepared.connectTimeout = connectTimeout;
  prepared.readTimeout = readTimeout;
  prepared.keptIdleLimit = keptIdleLimit;
  prepared.timeAsleep = timeAsleep;
  return prepared;
}

// The blocking client runs the I/O itself, in slices, and lets the window
// have its messages between them; a client on the network loop only waits.
std::string THttpClient::Impl::BlockingGet(const std::string& url, std::size_t cap, milliseconds limit) {
  if (busy.exchange(true)) throw HttpError(StillBusy);
  PreparedRequest prepared;
  try {
    prepared = Prepare(url, cap, limit);
  } catch (...) {
    busy = false;
    throw;
  }
  const std::uint64_t mine = prepared.serial;

  struct Outcome {
    std::mutex mutex;
    std::condition_variable changed;
    bool done = false;
    std::exception_ptr failure;
    std::string body;
  };
  auto outcome = std::make_shared<Outcome>();
  Finish store = [outcome](std::exception_ptr failure, std::string body) {
    const std::lock_guard lock(outcome->mutex);
    outcome->failure = std::move(failure);
    outcome->body = std::move(body);
    outcome->done = true;
    outcome->changed.notify_all();
  };
  auto finished = [&outcome] {
    const std::lock_guard lock(outcome->mutex);
    return outcome->done;
  };
  auto waitSlice = [&] {
    if (ownIo) {
      io.restart();
      io.run_for(WaitSlice);
      return;
    }
    std::unique_lock lock(outcome->mutex);
    outcome->changed.wait_for(lock, WaitSlice, [&] { return outcome->done; });
  };
  auto waitToEnd = [&] {
    if (ownIo) {
      io.restart();
      while (!finished() && io.run_one() > 0) {
      }
      return;
    }
    std::unique_lock lock(outcome->mutex);
    outcome->changed.wait(lock, [&] { return outcome->done; });
  };

  if (ownIo) {
    Begin(std::move(prepared), std::move(store));
  } else {
    asio::post(io, [self = shared_from_this(), job = std::move(prepared), store = std::move(store)]() mutable {
      self->Begin(std::move(job), std::move(store));
    });
  }
  while (!finished()) {
    waitSlice();
    if (finished() || !pump) continue;
    try {
      pump();
    } catch (...) {
      const auto reason = std::current_exception();
      if (ownIo) {
        Abort(mine, reason);
      } else {
        asio::post(io, [self = shared_from_this(), mine, reason] { self->Abort(mine, reason); });
      }
      waitToEnd();
      throw;
    }
  }
  // Lets the cancelled limits' handlers go, so none keeps this client alive.
  if (ownIo) {
    io.restart();
    io.poll();
  }
  const std::lock_guard lock(outcome->mutex);
  if (outcome->failure) std::rethrow_exception(outcome->failure);
  return std::move(outcome->body);
}

void THttpClient::Impl::StartAsync(const std::string& url, std::size_t cap, milliseconds limit, Completion done) {
  if (ui == nullptr) throw std::logic_error("AsyncGet needs a client made with a network loop.");
  auto token = std::make_shared<std::atomic<bool>>(true);
  Finish deliver = [target = ui, token, done = std::move(done)](std::exception_ptr failure, std::string body) {
    target->Post([token, done, failure = std::move(failure), body = std::move(body)]() mutable {
      if (*token) done(failure, std::move(body));
    });
  };
  if (busy.exchange(true)) {
    deliver(std::make_exception_ptr(HttpError(StillBusy)), {});
    return;
  }
  PreparedRequest prepared;
  try {
    prepared = Prepare(url, cap, limit);
  } catch (...) {
    busy = false;
    deliver(std::current_exception(), {});
    return;
  }
  delivery = token;
  asio::post(io, [self = shared_from_this(), job = std::move(prepared), deliver = std::move(deliver)]() mutable {
    self->Begin(std::move(job), std::move(deliver));
  });
}

void THttpClient::Impl::PostAbort(std::uint64_t which) {
  if (delivery) *delivery = false;
  delivery.reset();
  if (!busy) return;
  asio::post(io, [self = shared_from_this(), which] {
    self->Abort(which, std::make_exception_ptr(HttpError("The request was cancelled.")));
  });
}

THttpClient::THttpClient(THttpClientKind kind, MessagePump pump)
    : impl_(std::make_shared<Impl>(kind, std::move(pump), nullptr, nullptr)) {}
THttpClient::THttpClient(THttpClientKind kind, NetworkLoop& loop, IUiThread& ui, MessagePump pump)
    : impl_(std::make_shared<Impl>(kind, std::move(pump), &loop.Context(), &ui)) {}

THttpClient::~THttpClient() {
  // Posting the abort or running the last handlers can throw (an allocation,
  // a handler's own failure); nobody is left to hear of it, and letting it out
  // of a destructor would end the program.
  try {
    if (!impl_->ownIo) {
      // The network thread lets go of the rest once it has closed the socket.
      impl_->PostAbort(impl_->serial);
      return;
    }
    impl_->io.restart();
    impl_->io.poll();
  } catch (...) {
  }
}

void THttpClient::SetUserAgent(const std::string& agent) { impl_->userAgent = agent; }
const std::string& THttpClient::UserAgent() const { return impl_->userAgent; }
void THttpClient::SetProxy(const HttpProxy& proxy) { impl_->proxy = proxy; }
void THttpClient::ResetProxy() { impl_->proxy = HttpProxy{}; }
const HttpProxy& THttpClient::Proxy() const { return impl_->proxy; }
void THttpClient::SetBodyCap(std::size_t bytes) { impl_->bodyCap = bytes; }
std::size_t THttpClient::BodyCap() const { return impl_->bodyCap; }
void THttpClient::SetConnectTimeout(std::chrono::milliseconds timeout) { impl_->connectTimeout = timeout; }
std::chrono::milliseconds THttpClient::ConnectTimeout() const { return impl_->connectTimeout; }
void THttpClient::SetReadTimeout(std::chrono::milliseconds timeout) { impl_->readTimeout = timeout; }
std::chrono::milliseconds THttpClient::ReadTimeout() const { return impl_->readTimeout; }
void THttpClient::SetTransferDeadline(std::chrono::milliseconds deadline) { impl_->transferDeadline = deadline; }
std::chrono::milliseconds THttpClient::TransferDeadline() const { return impl_->transferDeadline; }
void THttpClient::SetKeptIdleLimit(std::chrono::milliseconds limit) { impl_->keptIdleLimit = limit; }
std::chrono::milliseconds THttpClient::KeptIdleLimit() const { return impl_->keptIdleLimit; }
void THttpClient::SetSleepClock(std::function<std::chrono::milliseconds()> timeAsleep) {
  impl_->timeAsleep = std::move(timeAsleep);
}
std::string THttpClient::Get(const std::string& url) {
  return impl_->BlockingGet(url, impl_->bodyCap, impl_->transferDeadline);
}
std::string THttpClient::Get(const std::string& url, std::size_t bodyCap) {
  return impl_->BlockingGet(url, bodyCap, impl_->transferDeadline);
}
std::string THttpClient::Get(const std::string& url, std::size_t bodyCap, std::chrono::milliseconds deadline) {
  return impl_->BlockingGet(url, bodyCap, deadline);
}
void THttpClient::AsyncGet(const std::string& url, Completion done) {
  impl_->StartAsync(url, impl_->bodyCap, impl_->transferDeadline, std::move(done));
}
void THttpClient::AsyncGet(const std::string& url, std::size_t bodyCap, Completion done) {
  impl_->StartAsync(url, bodyCap, impl_->transferDeadline, std::move(done));
}
void THttpClient::AsyncGet(const std::string& url, std::size_t bodyCap, std::chrono::milliseconds deadline,
                           Completion done) {
  impl_->StartAsync(url, bodyCap, deadline, std::move(done));
}
void THttpClient::Cancel() { impl_->PostAbort(impl_->serial); }
bool THttpClient::Busy() const { return impl_->busy; }

}  // namespace quarlen
