#pragma once
// THttpClient's inside, shared by its two halves: HttpClient.cpp, which takes
// a request from the calling thread and hands back its outcome, and
// HttpExchange.cpp, the request itself as one sequence of steps on the
// thread that runs the io_context. Only those two include it.
#include <atomic>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "net/AsioCoroutines.h"
#include "net/HttpClient.h"
#include "net/HttpCookieJar.h"
#include "net/HttpStream.h"
#include "net/HttpTls.h"
#include "net/NameLookup.h"
#include "platform/SleepClock.h"

namespace quarlen {

// One request as it leaves the calling thread: everything the network side
// needs, so the client's settings may change while it runs.
struct PreparedRequest {
  std::uint64_t serial = 0;
  std::string bytes;
  std::string cookieHost;  // whose cookies the answer sets
  std::string host;        // where the connection goes: the server or the proxy
  int port = 0;
  bool secure = false;  // https: TLS with the server, the certificate checked for tlsHost
  std::string tlsHost;
  std::string tunnel;        // "host:port" of the tunnel through the proxy; empty without one
  std::string connectBytes;  // the CONNECT request that opens it
  std::size_t cap = 0;
  std::chrono::milliseconds limit{0};
  std::chrono::milliseconds connectTimeout{0};
  std::chrono::milliseconds readTimeout{0};
  std::chrono::milliseconds keptIdleLimit{0};
  std::function<std::chrono::milliseconds()> timeAsleep;
};

// The settings belong to the calling thread; everything below `io` belongs
// to the thread that runs io (the caller's own for a blocking client, the
// network loop's otherwise) and is touched only there. busy hands the cookie
// jar over between the two.
struct THttpClient::Impl : std::enable_shared_from_this<THttpClient::Impl> {
  using Finish = std::function<void(std::exception_ptr, std::string)>;
  using Clock = std::chrono::steady_clock;
  // Why a request was stopped from outside its own I/O.
  enum class Stop { None, Connect, Read, Transfer, Aborted };

  Impl(THttpClientKind k, MessagePump p, boost::asio::io_context* loop, IUiThread* u)
      : kind(k),
        pump(std::move(p)),
        ownIo(loop ? nullptr : std::make_unique<boost::asio::io_context>()),
        io(loop ? *loop : *ownIo),
        ui(u) {}

  // The calling thread's (HttpClient.cpp).
  PreparedRequest Prepare(const std::string& url, std::size_t cap, std::chrono::milliseconds limit);
  std::string BlockingGet(const std::string& url, std::size_t cap, std::chrono::milliseconds limit);
  void StartAsync(const std::string& url, std::size_t cap, std::chrono::milliseconds limit, Completion done);
  void PostAbort(std::uint64_t serial);

  // The network side (HttpExchange.cpp).
  void Begin(PreparedRequest next, Finish done);
  void Abort(std::uint64_t serial, std::exception_ptr reason);

  const THttpClientKind kind;
  const MessagePump pump;
  std::string userAgent;
  HttpProxy proxy;
  std::size_t bodyCap = DefaultBodyCap;
  std::chrono::milliseconds connectTimeout = DefaultConnectTimeout;
  std::chrono::milliseconds readTimeout = DefaultReadTimeout;
  std::chrono::milliseconds transferDeadline = DefaultTransferDeadline;
  std::chrono::milliseconds keptIdleLimit = DefaultKeptIdleLimit;
  std::function<std::chrono::milliseconds()> timeAsleep = TimeAsleep;
  std::uint64_t serial = 0;
  std::shared_ptr<std::atomic<bool>> delivery;  // false once the request under way is cancelled
  std::atomic<bool> busy{false};
  HttpCookieJar cookies;

  const std::unique_ptr<boost::asio::io_context> ownIo;  // a blocking client's
  boost::asio::io_context& io;
  IUiThread* const ui;

  // The request's own steps, and the connection they work on.
  boost::asio::awaitable<std::string> Run();
  bool KeptConnectionFits();
  bool StillOpen();
  boost::asio::awaitable<void> Open();
  boost::asio::awaitable<void> OpenTunnel();
  boost::asio::awaitable<void> Handshake();
  boost::asio::awaitable<std::optional<std::string>> Exchange(bool kept);
  void ArmStep(std::chrono::milliseconds limit, Stop reason);
  void Check(const boost::system::error_code& ec) const;
  // Check for the lookup and the connection race: a failure there made no connection.
  void CheckConnect(const boost::system::error_code& ec) const;
  void ThrowIfStopped() const;
  std::exception_ptr StopError() const;
  void AfterBlock();
  void Interrupt();
  void Close();
  void Done(std::exception_ptr failure, std::string body);

  HttpStream stream{io};
  boost::asio::ip::tcp::socket& socket = stream.Socket();
  // Made at the first https request: it reads the trust store.
  std::optional<TlsContext> tls;
  boost::asio::steady_timer transferTimer{io};
  boost::asio::steady_timer stepTimer{io};
  // The kept connection: it serves only requests of the same scheme, to the
  // same host and port, by the same route, and only while it is fresh.
  bool connected = false;
  std::string peerHost;
  int peerPort = 0;
  bool peerSecure = false;
  std::string peerTunnel;
  Clock::time_point lastUsed;
  std::chrono::milliseconds asleepAtLastUse{0};
  boost::beast::flat_buffer buffer;
  // The request under way; finish is empty between requests.
  PreparedRequest job;
  Finish finish;
  std::uint64_t step = 0;  // which armed step limit is the live one
  Stop stop = Stop::None;
  std::exception_ptr abortReason;
  StopHook stopHook;  // ends the lookup or the connection race under way
};

}  // namespace quarlen
