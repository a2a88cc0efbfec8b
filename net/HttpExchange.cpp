// The network side of THttpClient: one request as one sequence of steps, on
// the thread that runs the client's io_context.
#include <boost/asio/write.hpp>
#include <string_view>

#include "net/ConnectRace.h"
#include "net/HttpAnswer.h"
#include "net/HttpClientImpl.h"
#include "net/HttpError.h"
#include "net/HttpTunnel.h"
#include "platform/SocketErrorText.h"
#include "platform/TcpKeepAlive.h"

namespace quarlen {

namespace {

namespace asio = boost::asio;
using tcp = asio::ip::tcp;
using std::chrono::milliseconds;
using ErrorCode = boost::system::error_code;

constexpr std::size_t ReadBlockSize = std::size_t{16} * 1024;
constexpr const char* ClosedGracefully = "Connection Closed Gracefully.";
// Keep-alive probes on an idle connection: after 60 s, then every 10 s, given
// up after 6 unanswered, so a connection that died while the machine slept
// is known dead before it is reused.
constexpr int KeepAliveIdleSeconds = 60;
constexpr int KeepAliveIntervalSeconds = 10;
constexpr int KeepAliveProbes = 6;
// More sleep than this since the kept connection was last used, and it is
// not trusted: the server or a NAT on the way has likely let it go.
constexpr milliseconds SleepTolerance{1000};

HttpError SocketError(const ErrorCode& ec) { return HttpError(SocketErrorMessage(ec.value(), ec.message())); }

HttpDeadlineError TransferTimedOut(milliseconds deadline) {
  const bool wholeSeconds = deadline.count() % 1000 == 0;
  const std::string span =
      wholeSeconds ? std::to_string(deadline.count() / 1000) + " s" : std::to_string(deadline.count()) + " ms";
  return HttpDeadlineError("Transfer timed out: the server did not complete its answer within " + span + ".");
}

std::string_view View(const boost::beast::flat_buffer& buffer) {
  return {static_cast<const char*>(buffer.data().data()), buffer.size()};
}

// Every awaited step hands its error over instead of throwing it: a limit
// that closed the socket outranks the error the close caused.
auto Into(ErrorCode& ec) { return asio::redirect_error(asio::use_awaitable, ec); }

}  // namespace

// Every limit is a timer of the request's own, started when its span starts:
// the whole transfer from here, the connect from its first step, the silence
// from each read or write. A limit that runs out closes the socket, and the
// step then waiting ends with the limit's text.
void THttpClient::Impl::Begin(PreparedRequest next, Finish done) {
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
  asio::co_spawn(io, Run(), [self = shared_from_this()](std::exception_ptr failure, std::string body) {
    self->Done(std::move(failure), std::move(body));
  });
}

// A kept connection gets the request first; should it fail before any byte
// of the answer (the server had given the connection up), the request goes
// out once more on a fresh connection, and a fresh connection is never
// tried twice.
asio::awaitable<std::string> THttpClient::Impl::Run() {
  if (KeptConnectionFits()) {
    if (auto body = co_await Exchange(true)) co_return std::move(*body);
  }
  co_await Open();
  auto body = co_await Exchange(false);
  co_return std::move(*body);
}

// Servers drop idle connections after some seconds, NATs and sleeps drop them
// silently: one idle longer than the limit or across a sleep is not asked,
// since a dead one would cost the whole read limit. A fresh connection costs
// a round trip.
bool THttpClient::Impl::KeptConnectionFits() {
  if (!connected || peerHost != job.host || peerPort != job.port || peerSecure != job.secure ||
      peerTunnel != job.tunnel) {
    return false;
  }
  if (Clock::now() - lastUsed > job.keptIdleLimit || job.timeAsleep() - asleepAtLastUse > SleepTolerance) return false;
  return StillOpen();
}

// A kept connection is only reused while nothing is waiting on it: readable
// means the server closed it (or sent bytes nobody asked for).
bool THttpClient::Impl::StillOpen() {
  if (!socket.is_open()) return false;
  ErrorCode ec;
  char probe;
  socket.non_blocking(true, ec);
  socket.read_some(asio::buffer(&probe, 1), ec);
  ErrorCode ignored;
  socket.non_blocking(false, ignored);
  return ec == asio::error::would_block;
}

// The connect limit covers the name lookup and the connection race alike.
asio::awaitable<void> THttpClient::Impl::Open() {
  Close();
  stream.Reset();
  peerSecure = false;
  peerTunnel.clear();
  if (job.port < 0 || job.port > 65535) throw SocketError(make_error_code(boost::system::errc::invalid_argument));
  ArmStep(job.connectTimeout, Stop::Connect);
  ErrorCode ec;
  const Endpoints endpoints = co_await LookUp(job.host, job.port, stopHook, ec);
  CheckConnect(ec);
  tcp::socket winner = co_await ConnectFirst(InterleaveFamilies(endpoints), stopHook, ec);
  CheckConnect(ec);
  socket = std::move(winner);
  socket.set_option(tcp::no_delay(true), ec);
  socket.set_option(asio::socket_base::keep_alive(true), ec);
  SetKeepAliveTimings(static_cast<int>(socket.native_handle()), KeepAliveIdleSeconds, KeepAliveIntervalSeconds,
                      KeepAliveProbes);
  connected = true;
  peerHost = job.host;
  peerPort = job.port;
  buffer.clear();
  if (!job.tunnel.empty()) co_await OpenTunnel();
  if (job.secure) co_await Handshake();
}

// Asks the proxy for a tunnel to the server; its answer must end with its
// header, since the server has nothing to say before our handshake.
asio::awaitable<void> THttpClient::Impl::OpenTunnel() {
  ArmStep(job.readTimeout, Stop::Read);
  ErrorCode ec;
  co_await asio::async_write(socket, asio::buffer(job.connectBytes), Into(ec));
  Check(ec);
  AfterBlock();
  TunnelReply reply;
  do {
    ArmStep(job.readTimeout, Stop::Read);
    const std::size_t bytes = co_await socket.async_read_some(buffer.prepare(ReadBlockSize), Into(ec));
    ThrowIfStopped();
    if (ec && ec != asio::error::eof) throw SocketError(ec);
    buffer.commit(bytes);
    AfterBlock();
    reply = ReadTunnelReply(View(buffer));
  } while (!reply.complete && !ec);
  if (!reply.complete && reply.statusLine.empty()) throw HttpError(ClosedGracefully);
  CheckTunnelOpened(reply, job.tunnel);
  if (buffer.size() != reply.headerSize) {
    throw HttpError("Invalid HTTP response from the proxy: data after its answer to the tunnel request.");
  }
  buffer.clear();
  peerTunnel = job.tunnel;
}

asio::awaitable<void> THttpClient::Impl::Handshake() {
  if (!tls) tls.emplace(MakeTlsContext());
  stream.StartTls(*tls, job.tlsHost);
  ArmStep(job.readTimeout, Stop::Read);
  ErrorCode ec;
  co_await stream.AsyncHandshake(Into(ec));
  ThrowIfStopped();
  if (ec) throw HttpError(TlsFailureText(job.tlsHost, stream.VerifyResult(), ec));
  peerSecure = true;
  AfterBlock();
}

// Sends the request and reads the answer. On a kept connection (kept) a
// failure before any byte of the answer gives nothing instead of failing,
// so that Run can try a fresh connection.
asio::awaitable<std::optional<std::string>> THttpClient::Impl::Exchange(bool kept) {
  // A half-open connection (the peer gone after a sleep or a NAT timeout)
  // answers nothing ever; without a limit the caller would wait for good.
  ArmStep(job.readTimeout, Stop::Read);
  ErrorCode ec;
  co_await stream.AsyncWrite(asio::buffer(job.bytes), Into(ec));
  ThrowIfStopped();
  if (ec && kept) co_return std::nullopt;
  Check(ec);
  AfterBlock();

  HttpAnswer answer(job.cap, cookies, job.cookieHost);
  bool receivedAny = false;
  bool peerClosed = false;
  while (!answer.Take(buffer, peerClosed)) {
    ArmStep(job.readTimeout, Stop::Read);
    const std::size_t bytes = co_await stream.AsyncReadSome(buffer.prepare(ReadBlockSize), Into(ec));
    ThrowIfStopped();
    if (ec) {
      if (kept && !receivedAny) co_return std::nullopt;
      // A TLS server that closes without close_notify ends its answer the same way.
      if (ec != asio::error::eof && !IsTlsTruncation(ec)) throw SocketError(ec);
      peerClosed = true;
      continue;
    }
    buffer.commit(bytes);
    receivedAny = true;
    AfterBlock();
  }
  if (answer.KeepsConnection() && !peerClosed && buffer.size() == 0) {
    lastUsed = Clock::now();
    asleepAtLastUse = job.timeAsleep();
  } else {
    Close();
  }
  co_return answer.ReleaseBody();
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

void THttpClient::Impl::Check(const ErrorCode& ec) const {
  ThrowIfStopped();
  if (ec) throw SocketError(ec);
}

void THttpClient::Impl::CheckConnect(const ErrorCode& ec) const {
  ThrowIfStopped();
  if (ec) throw HttpConnectError(SocketErrorMessage(ec.value(), ec.message()));
}

void THttpClient::Impl::ThrowIfStopped() const {
  if (stop != Stop::None) std::rethrow_exception(StopError());
}

std::exception_ptr THttpClient::Impl::StopError() const {
  switch (stop) {
    case Stop::Connect:
      return std::make_exception_ptr(HttpConnectError("Connect timed out."));
    case Stop::Read:
      return std::make_exception_ptr(HttpError("Read timed out."));
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

// Ends whatever the request waits for: the lookup, the connection race, or
// the connection's own reads and writes.
void THttpClient::Impl::Interrupt() {
  if (stopHook) {
    const StopHook hook = std::move(stopHook);
    stopHook = nullptr;
    hook();
  }
  Close();
}

// Pending operations end with an error; TLS stays until the next connect,
// since they still refer to it.
void THttpClient::Impl::Close() {
  stream.Close();
  connected = false;
  buffer.clear();
}

void THttpClient::Impl::Done(std::exception_ptr failure, std::string body) {
  ++step;
  ErrorCode ignored;
  stepTimer.cancel(ignored);
  transferTimer.cancel(ignored);
  if (failure) Interrupt();
  Finish done = std::move(finish);
  finish = nullptr;
  busy = false;
  done(std::move(failure), std::move(body));
}

}  // namespace quarlen
