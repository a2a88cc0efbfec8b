#include "net/HttpClient.h"

#include <boost/asio/connect.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/write.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/core/string.hpp>
#include <boost/beast/http/error.hpp>
#include <boost/beast/http/parser.hpp>
#include <boost/beast/http/string_body.hpp>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string_view>

#include "net/HttpCookieJar.h"
#include "net/HttpRequest.h"
#include "net/HttpStream.h"
#include "net/HttpTls.h"
#include "net/HttpTunnel.h"
#include "net/HttpUrl.h"
#include "net/NetworkLoop.h"
#include "platform/SocketErrorText.h"
#include "platform/TcpKeepAlive.h"
#include "platform/UiPorts.h"

namespace quarlen {

namespace {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using tcp = asio::ip::tcp;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;
using ErrorCode = boost::system::error_code;
using Parser = http::response_parser<http::string_body>;

// How long the blocking Get lets the I/O run before the pump gets a turn.
constexpr milliseconds WaitSlice{250};
constexpr std::size_t ReadBlockSize = std::size_t{16} * 1024;
constexpr std::size_t HeaderLimit = std::size_t{64} * 1024;
constexpr const char* ClosedGracefully = "Connection Closed Gracefully.";
constexpr const char* ReadTimedOut = "Read timed out.";
constexpr const char* StillBusy = "The HTTP client is still busy with another request.";
// Keep-alive probes on an idle connection: after 60 s, then every 10 s, given
// up after 6 unanswered, so a connection that died while the machine slept
// is known dead before it is reused.
constexpr int KeepAliveIdleSeconds = 60;
constexpr int KeepAliveIntervalSeconds = 10;
constexpr int KeepAliveProbes = 6;
constexpr std::string_view Blanks = " \t";

// Where the header block ends (just past its empty line), or npos while it is
// incomplete. Lines may end in CR LF or, from sloppy servers, in a bare LF.
std::size_t HeaderEnd(std::string_view data, std::size_t from) {
  for (auto lf = data.find('\n', from); lf != std::string_view::npos; lf = data.find('\n', lf + 1)) {
    if (lf + 1 < data.size() && data[lf + 1] == '\n') return lf + 2;
    if (lf + 2 < data.size() && data[lf + 1] == '\r' && data[lf + 2] == '\n') return lf + 3;
  }
  return std::string_view::npos;
}

// The parser reads only the strict form: lines ended by CR LF, one blank
// between version and code and one after the code. It gets that form of the
// header as received; the failure text keeps the status line untouched.
std::string StrictHeader(std::string_view header) {
  std::string lines;
  lines.reserve(header.size() + 64);
  for (std::size_t i = 0; i < header.size(); ++i) {
    if (header[i] == '\n' && (i == 0 || header[i - 1] != '\r')) lines += '\r';
    lines += header[i];
  }
  const std::size_t eol = std::min(lines.find("\r\n"), lines.size());
  const std::string_view status(lines.data(), eol);
  const std::size_t versionEnd = status.find_first_of(Blanks);
  const std::size_t codeStart = status.find_first_not_of(Blanks, versionEnd);
  if (versionEnd == std::string_view::npos || codeStart == std::string_view::npos) return lines;
  const std::size_t codeEnd = std::min(status.find_first_of(Blanks, codeStart), status.size());
  const std::size_t reasonStart = std::min(status.find_first_not_of(Blanks, codeEnd), status.size());
  std::string strict(status.substr(0, versionEnd));
  strict.append(" ").append(status.substr(codeStart, codeEnd - codeStart)).append(" ");
  strict.append(status.substr(reasonStart));
  return strict + lines.substr(eol);
}

// A fresh parser for one message; the body cap is set once the status is known.
void NewParser(std::optional<Parser>& parser) {
  parser.emplace();
  parser->header_limit(HeaderLimit);
  parser->body_limit(boost::none);
  parser->eager(false);
}

HttpError SocketError(const ErrorCode& ec) { return HttpError(SocketErrorMessage(ec.value(), ec.message())); }

HttpError InvalidResponse(const ErrorCode& ec) { return HttpError("Invalid HTTP response: " + ec.message()); }

HttpDeadlineError TransferTimedOut(milliseconds deadline) {
  const bool wholeSeconds = deadline.count() % 1000 == 0;
  const std::string span =
      wholeSeconds ? std::to_string(deadline.count() / 1000) + " s" : std::to_string(deadline.count()) + " ms";
  return HttpDeadlineError("Transfer timed out: the server did not complete its answer within " + span + ".");
}

HttpError OverCap(std::size_t cap) {
  return HttpError("The response is larger than the limit of " + std::to_string(cap) + " bytes.");
}

std::string_view View(const beast::flat_buffer& buffer) {
  return {static_cast<const char*>(buffer.data().data()), buffer.size()};
}

// Why a request was stopped from outside its own I/O.
enum class Stop { None, Connect, Read, Transfer, Aborted };

// One request as it leaves the calling thread: everything the network side
// needs, so the client's settings may change while it runs.
struct Prepared {
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
  milliseconds limit{0};
  milliseconds connectTimeout{0};
  milliseconds readTimeout{0};
};

using Finish = std::function<void(std::exception_ptr, std::string)>;

}  // namespace

// The settings belong to the calling thread; everything below `io` belongs
// to the thread that runs io (the caller's own for a blocking client, the
// network loop's otherwise) and is touched only there. busy hands the cookie
// jar over between the two.
struct THttpClient::Impl : std::enable_shared_from_this<THttpClient::Impl> {
  Impl(THttpClientKind k, MessagePump p, asio::io_context* loop, IUiThread* u)
      : kind(k),
        pump(std::move(p)),
        ownIo(loop ? nullptr : std::make_unique<asio::io_context>()),
        io(loop ? *loop : *ownIo),
        ui(u) {}

  Prepared Prepare(const std::string& url, std::size_t cap, milliseconds limit);
  std::string BlockingGet(const std::string& url, std::size_t cap, milliseconds limit);
  void StartAsync(const std::string& url, std::size_t cap, milliseconds limit, Completion done);
  void PostAbort(std::uint64_t serial);

  // The network side.
  void Begin(Prepared job, Finish done);
  void Abort(std::uint64_t serial, std::exception_ptr reason);
  void ArmStep(milliseconds limit, Stop reason);
  void Interrupt();
  void Close();
  bool StillOpen();
  void Connect();
  void OnResolved(const ErrorCode& ec, const tcp::resolver::results_type& endpoints);
  void OnConnected(const ErrorCode& ec);
  void OpenTunnel();
  void ReadTunnelReply();
  void OnTunnelRead(const ErrorCode& ec, std::size_t bytes);
  void StartTls();
  void OnHandshake(const ErrorCode& ec);
  void Send();
  void OnWritten(const ErrorCode& ec);
  void ReadMore();
  void OnRead(const ErrorCode& ec, std::size_t bytes);
  void Advance();
  bool OnHeader();
  void Complete(bool complete);
  void Guarded(const std::function<void()>& step);
  void Fail(std::exception_ptr failure);
  void Done(std::exception_ptr failure, std::string body);
  std::exception_ptr StopError() const;
  void AfterBlock();

  // The calling thread's.
  const THttpClientKind kind;
  const MessagePump pump;
  std::string userAgent;
  HttpProxy proxy;
  std::size_t bodyCap = DefaultBodyCap;
  milliseconds connectTimeout = DefaultConnectTimeout;
  milliseconds readTimeout = DefaultReadTimeout;
  milliseconds transferDeadline = DefaultTransferDeadline;
  std::uint64_t serial = 0;
  std::shared_ptr<std::atomic<bool>> delivery;  // false once the request under way is cancelled
  std::atomic<bool> busy{false};
  HttpCookieJar cookies;

  const std::unique_ptr<asio::io_context> ownIo;  // a blocking client's
  asio::io_context& io;
  IUiThread* const ui;
  tcp::resolver resolver{io};
  HttpStream stream{io};
  tcp::socket& socket = stream.Socket();
  // Made at the first https request: it reads the trust store.
  std::optional<TlsContext> tls;
  asio::steady_timer transferTimer{io};
  asio::steady_timer stepTimer{io};
  bool connected = false;
  // A kept connection serves only requests of the same scheme, to the same
  // host and port, by the same route.
  std::string peerHost;
  int peerPort = 0;
  bool peerSecure = false;
  std::string peerTunnel;
  beast::flat_buffer buffer;
  // The request under way; finish is empty between requests.
  Prepared job;
  Finish finish;
  std::uint64_t step = 0;  // which armed step limit is the live one
  Stop stop = Stop::None;
  std::exception_ptr abortReason;
  bool reused = false;
  bool receivedAny = false;
  bool peerClosed = false;
  bool inBody = false;
  std::optional<Parser> parser;
  std::string statusLine;
  std::size_t scanned = 0;
};

Prepared THttpClient::Impl::Prepare(const std::string& url, std::size_t cap, milliseconds limit) {
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
  Prepared prepared;
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
  return prepared;
}

// The blocking client runs the I/O itself, in slices, and lets the window
// have its messages between them; a client on the network loop only waits.
std::string THttpClient::Impl::BlockingGet(const std::string& url, std::size_t cap, milliseconds limit) {
  if (busy.exchange(true)) throw HttpError(StillBusy);
  Prepared prepared;
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
  Prepared prepared;
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

// Every limit is a timer of the request's own, started when its span starts:
// the whole transfer from here, the connect from its first step, the silence
// from each read or write. A limit that runs out closes the socket, and the
// operation then waiting ends with the limit's text.
void THttpClient::Impl::Begin(Prepared next, Finish done) {
  job = std::move(next);
  finish = std::move(done);
  stop = Stop::None;
  abortReason = nullptr;
  transferTimer.expires_after(job.limit);
  transferTimer.async_wait([self = shared_from_this(), serial = job.serial](const ErrorCode& ec) {
    if (ec || !self->finish || self->job.serial != serial) return;
    self->stop = Stop::Transfer;
    self->Interrupt();
  });
  reused = connected && peerHost == job.host && peerPort == job.port && peerSecure == job.secure &&
           peerTunnel == job.tunnel && StillOpen();
  if (reused) {
    Send();
  } else {
    Connect();
  }
}

void THttpClient::Impl::Abort(std::uint64_t which, std::exception_ptr reason) {
  if (!finish || job.serial != which) return;
  stop = Stop::Aborted;
  abortReason = std::move(reason);
  Interrupt();
}

void THttpClient::Impl::ArmStep(milliseconds limit, Stop reason) {
  const std::uint64_t armed = ++step;
  stepTimer.expires_after(limit);
  stepTimer.async_wait([self = shared_from_this(), armed, reason](const ErrorCode& ec) {
    if (ec || !self->finish || self->step != armed || self->stop != Stop::None) return;
    self->stop = reason;
    self->Interrupt();
  });
}

void THttpClient::Impl::Interrupt() {
  resolver.cancel();
  Close();
}

// Pending operations end with an error; TLS stays until the next connect,
// since they still refer to it.
void THttpClient::Impl::Close() {
  stream.Close();
  connected = false;
  buffer.clear();
}

// A kept connection is only reused while nothing is waiting on it: readable
// means the server closed it (or sent bytes nobody asked for).
bool THttpClient::Impl::StillOpen() {
  if (!connected || !socket.is_open()) return false;
  ErrorCode ec;
  char probe;
  socket.non_blocking(true, ec);
  socket.read_some(asio::buffer(&probe, 1), ec);
  ErrorCode ignored;
  socket.non_blocking(false, ignored);
  return ec == asio::error::would_block;
}

void THttpClient::Impl::Connect() {
  Close();
  stream.Reset();
  peerSecure = false;
  peerTunnel.clear();
  if (job.port < 0 || job.port > 65535) {
    Fail(std::make_exception_ptr(SocketError(make_error_code(boost::system::errc::invalid_argument))));
    return;
  }
  ArmStep(job.connectTimeout, Stop::Connect);
  resolver.async_resolve(job.host, std::to_string(job.port),
                         [self = shared_from_this()](const ErrorCode& ec, const tcp::resolver::results_type& results) {
                           self->OnResolved(ec, results);
                         });
}

void THttpClient::Impl::OnResolved(const ErrorCode& ec, const tcp::resolver::results_type& endpoints) {
  if (stop != Stop::None) return Fail(StopError());
  if (ec) return Fail(std::make_exception_ptr(SocketError(ec)));
  asio::async_connect(socket, endpoints, [self = shared_from_this()](const ErrorCode& error, const tcp::endpoint&) {
    self->OnConnected(error);
  });
}

void THttpClient::Impl::OnConnected(const ErrorCode& ec) {
  if (stop != Stop::None) return Fail(StopError());
  if (ec) return Fail(std::make_exception_ptr(SocketError(ec)));
  ErrorCode ignored;
  socket.set_option(tcp::no_delay(true), ignored);
  socket.set_option(asio::socket_base::keep_alive(true), ignored);
  SetKeepAliveTimings(socket.native_handle(), KeepAliveIdleSeconds, KeepAliveIntervalSeconds, KeepAliveProbes);
  connected = true;
  peerHost = job.host;
  peerPort = job.port;
  buffer.clear();
  if (!job.tunnel.empty()) return OpenTunnel();
  if (job.secure) return Guarded([this] { StartTls(); });
  Send();
}

// Asks the proxy for a tunnel to the server; its answer must end with its
// header, since the server has nothing to say before our handshake.
void THttpClient::Impl::OpenTunnel() {
  ArmStep(job.readTimeout, Stop::Read);
  asio::async_write(socket, asio::buffer(job.connectBytes),
                    [self = shared_from_this()](const ErrorCode& ec, std::size_t) {
                      if (self->stop != Stop::None) return self->Fail(self->StopError());
                      if (ec) return self->Fail(std::make_exception_ptr(SocketError(ec)));
                      self->Guarded([&self] {
                        self->AfterBlock();
                        self->ReadTunnelReply();
                      });
                    });
}

void THttpClient::Impl::ReadTunnelReply() {
  ArmStep(job.readTimeout, Stop::Read);
  socket.async_read_some(
      buffer.prepare(ReadBlockSize),
      [self = shared_from_this()](const ErrorCode& ec, std::size_t bytes) { self->OnTunnelRead(ec, bytes); });
}

void THttpClient::Impl::OnTunnelRead(const ErrorCode& ec, std::size_t bytes) {
  if (stop != Stop::None) return Fail(StopError());
  if (ec && ec != asio::error::eof) return Fail(std::make_exception_ptr(SocketError(ec)));
  buffer.commit(bytes);
  Guarded([&] {
    AfterBlock();
    const TunnelReply reply = quarlen::ReadTunnelReply(View(buffer));
    if (!reply.complete && !ec) return ReadTunnelReply();
    if (!reply.complete && reply.statusLine.empty()) throw HttpError(ClosedGracefully);
    CheckTunnelOpened(reply, job.tunnel);
    if (buffer.size() != reply.headerSize) {
      throw HttpError("Invalid HTTP response from the proxy: data after its answer to the tunnel request.");
    }
    buffer.clear();
    peerTunnel = job.tunnel;
    StartTls();
  });
}

void THttpClient::Impl::StartTls() {
  if (!tls) tls.emplace(MakeTlsContext());
  stream.StartTls(*tls, job.tlsHost);
  ArmStep(job.readTimeout, Stop::Read);
  stream.AsyncHandshake([self = shared_from_this()](const ErrorCode& ec) { self->OnHandshake(ec); });
}

void THttpClient::Impl::OnHandshake(const ErrorCode& ec) {
  if (stop != Stop::None) return Fail(StopError());
  if (ec) return Fail(std::make_exception_ptr(HttpError(TlsFailureText(job.tlsHost, stream.VerifyResult(), ec))));
  peerSecure = true;
  Guarded([this] {
    AfterBlock();
    Send();
  });
}

void THttpClient::Impl::Send() {
  receivedAny = false;
  peerClosed = false;
  // A half-open connection (the peer gone after a sleep or a NAT timeout)
  // answers nothing ever; without a limit the caller would wait for good.
  ArmStep(job.readTimeout, Stop::Read);
  stream.AsyncWrite(asio::buffer(job.bytes),
                    [self = shared_from_this()](const ErrorCode& ec, std::size_t) { self->OnWritten(ec); });
}

void THttpClient::Impl::OnWritten(const ErrorCode& ec) {
  if (stop != Stop::None) return Fail(StopError());
  if (ec) {
    if (reused) return Connect();  // the server had closed the kept connection: once more on a fresh one
    return Fail(std::make_exception_ptr(SocketError(ec)));
  }
  Guarded([this] {
    AfterBlock();
    NewParser(parser);
    statusLine.clear();
    scanned = 0;
    inBody = false;
    Advance();
  });
}

void THttpClient::Impl::ReadMore() {
  ArmStep(job.readTimeout, Stop::Read);
  stream.AsyncReadSome(
      buffer.prepare(ReadBlockSize),
      [self = shared_from_this()](const ErrorCode& ec, std::size_t bytes) { self->OnRead(ec, bytes); });
}

void THttpClient::Impl::OnRead(const ErrorCode& ec, std::size_t bytes) {
  if (stop != Stop::None) return Fail(StopError());
  if (ec) {
    // Closed before any byte of the answer: a kept connection the server had
    // given up; the request goes out once more on a new one, never "reused".
    if (reused && !receivedAny) return Connect();
    // A TLS server that closes without close_notify ends its answer the same way.
    if (ec != asio::error::eof && !IsTlsTruncation(ec)) {
      return Fail(std::make_exception_ptr(SocketError(ec)));
    }
    peerClosed = true;
    return Guarded([this] { Advance(); });
  }
  buffer.commit(bytes);
  receivedAny = true;
  Guarded([this] {
    AfterBlock();
    Advance();
  });
}

// Works through what the buffer holds: the header (which the parser sees
// only once it is complete, so the status line stays exactly as received and
// a cut header can still be ended), then the body; reads more when it must.
void THttpClient::Impl::Advance() {
  for (;;) {
    if (!inBody) {
      const std::string_view data = View(buffer);
      if (statusLine.empty()) {
        const auto lineEnd = data.find('\n');
        if (lineEnd != std::string_view::npos) {
          statusLine = std::string(data.substr(0, lineEnd));
          if (!statusLine.empty() && statusLine.back() == '\r') statusLine.pop_back();
        }
      }
      const auto end = HeaderEnd(data, scanned);
      if (end != std::string_view::npos) {
        const std::string header = StrictHeader(data.substr(0, end));
        buffer.consume(end);
        ErrorCode ec;
        parser->put(asio::buffer(header), ec);
        if (!parser->is_header_done()) throw InvalidResponse(ec ? ec : http::error::need_more);
        inBody = OnHeader();
        continue;
      }
      if (data.size() > HeaderLimit) throw InvalidResponse(http::error::header_limit);
      scanned = data.size() < 2 ? 0 : data.size() - 2;
      if (!peerClosed) return ReadMore();

      // Closed inside the header: without a status line there is no answer at
      // all; otherwise the header ends with the last complete line.
      if (statusLine.empty()) throw HttpError(ClosedGracefully);
      std::string header(data);
      header.erase(header.rfind('\n') + 1);
      header += "\r\n";
      header = StrictHeader(header);
      buffer.clear();
      ErrorCode ec;
      parser->put(asio::buffer(header), ec);
      if (!parser->is_header_done()) throw InvalidResponse(ec ? ec : http::error::partial_message);
      inBody = OnHeader();
      continue;
    }

    if (parser->is_done()) return Complete(true);
    if (buffer.size() > 0) {
      ErrorCode ec;
      const std::size_t used = parser->put(buffer.data(), ec);
      buffer.consume(used);
      if (ec == http::error::body_limit) throw OverCap(job.cap);
      if (ec && ec != http::error::need_more) throw InvalidResponse(ec);
      if (parser->is_done()) return Complete(true);
      if (!ec && used > 0) continue;
    }
    if (!peerClosed) return ReadMore();

    ErrorCode ec;
    parser->put_eof(ec);
    // A body that runs until the close is whole; a counted body cut short
    // keeps what arrived; a cut chunk stream has no trustworthy end, so it
    // fails like a close before the answer.
    if (ec && parser->chunked()) throw HttpError(ClosedGracefully);
    return Complete(!ec);
  }
}

// Takes in a complete header; false for an interim answer, after which the
// next header follows.
bool THttpClient::Impl::OnHeader() {
  const auto& header = parser->get();
  for (const auto& field : header) {
    if (beast::iequals(field.name_string(), "Set-Cookie")) {
      cookies.Remember(job.cookieHost, std::string(field.value()), false);
    } else if (beast::iequals(field.name_string(), "Set-Cookie2")) {
      cookies.Remember(job.cookieHost, std::string(field.value()), true);
    }
  }
  const unsigned status = header.result_int();
  // Interim answers ("100 Continue" and the like) precede the real one;
  // 101 would switch protocols, which we never ask for.
  if (status >= 100 && status < 200 && status != 101) {
    if (peerClosed) throw HttpError(ClosedGracefully);
    NewParser(parser);
    statusLine.clear();
    scanned = 0;
    return false;
  }
  if (header.find(http::field::location) != header.end() || status < 200 || status > 299) {
    throw HttpError(statusLine);
  }
  if (const auto length = parser->content_length(); length && *length > job.cap) throw OverCap(job.cap);
  parser->body_limit(job.cap);
  return true;
}

void THttpClient::Impl::Complete(bool complete) {
  // keep_alive() reads Proxy-Connection as it reads Connection.
  const bool keep = complete && !peerClosed && parser->keep_alive() && buffer.size() == 0;
  std::string body = parser->release().body();
  if (!keep) Close();
  Done(nullptr, std::move(body));
}

void THttpClient::Impl::Guarded(const std::function<void()>& work) {
  try {
    work();
  } catch (...) {
    Fail(std::current_exception());
  }
}

void THttpClient::Impl::Fail(std::exception_ptr failure) {
  Interrupt();
  Done(std::move(failure), {});
}

void THttpClient::Impl::Done(std::exception_ptr failure, std::string body) {
  ++step;
  ErrorCode ignored;
  stepTimer.cancel(ignored);
  transferTimer.cancel(ignored);
  parser.reset();
  Finish done = std::move(finish);
  finish = nullptr;
  busy = false;
  done(std::move(failure), std::move(body));
}

std::exception_ptr THttpClient::Impl::StopError() const {
  switch (stop) {
    case Stop::Connect:
      return std::make_exception_ptr(HttpError("Connect timed out."));
    case Stop::Read:
      return std::make_exception_ptr(HttpError(ReadTimedOut));
    case Stop::Transfer:
      return std::make_exception_ptr(TransferTimedOut(job.limit));
    case Stop::Aborted:
    case Stop::None:
      break;
  }
  return abortReason;
}

// Only a blocking client may call the pump here: it runs on the caller's thread.
void THttpClient::Impl::AfterBlock() {
  if (ownIo && kind == THttpClientKind::MainClient && pump) pump();
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
