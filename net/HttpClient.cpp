#include "net/HttpClient.h"

#if !defined(_WIN32)
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#endif
#include <boost/asio/connect.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/write.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/core/string.hpp>
#include <boost/beast/http/error.hpp>
#include <boost/beast/http/parser.hpp>
#include <boost/beast/http/string_body.hpp>

#include <algorithm>
#include <optional>
#include <string_view>

#include "net/HttpCookieJar.h"
#include "net/HttpRequest.h"
#include "net/HttpUrl.h"
#include "platform/ReentryGuard.h"
#include "platform/SocketErrorText.h"

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

constexpr milliseconds ConnectSlice{125};
constexpr milliseconds DataSlice{250};
constexpr std::size_t ReadBlockSize = 16 * 1024;
constexpr std::size_t HeaderLimit = 64 * 1024;
constexpr const char* ClosedGracefully = "Connection Closed Gracefully.";
constexpr const char* ReadTimedOut = "Read timed out.";
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

// One asynchronous operation that the waiting loop drives to its end.
struct Pending {
  bool done = false;
  ErrorCode ec;
  std::size_t bytes = 0;
};

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

// A kept-alive connection that the server had closed before any byte of the
// answer came back; the request goes out once more on a new connection.
struct StaleConnection {};

std::string_view View(const beast::flat_buffer& buffer) {
  return {static_cast<const char*>(buffer.data().data()), buffer.size()};
}

}  // namespace

struct THttpClient::Impl {
  Impl(THttpClientKind k, MessagePump p) : kind(k), pump(std::move(p)) {}

  std::string Get(const std::string& url, std::size_t cap, milliseconds deadline);

  bool Await(Pending& pending, milliseconds slice, std::optional<Clock::time_point> deadline);
  void Abort(Pending& pending);
  void AfterBlock();
  void Close();
  bool StillOpen();
  void Connect(const std::string& host, int port);
  std::string Exchange(const std::string& request, const std::string& host, std::size_t cap);
  void Write(const std::string& bytes);
  bool ReadSome();
  void ReadHeader(std::optional<Parser>& parser, std::string& statusLine);
  bool ReadBody(Parser& parser, std::size_t cap);

  THttpClientKind kind;
  MessagePump pump;
  std::string userAgent;
  HttpProxy proxy;
  std::size_t bodyCap = DefaultBodyCap;
  milliseconds connectTimeout = DefaultConnectTimeout;
  milliseconds readTimeout = DefaultReadTimeout;
  milliseconds transferDeadline = DefaultTransferDeadline;
  HttpCookieJar cookies;
  bool busy = false;

  asio::io_context io;
  tcp::resolver resolver{io};
  tcp::socket socket{io};
  bool connected = false;
  std::string peerHost;
  int peerPort = 0;
  beast::flat_buffer buffer;
  // State of the exchange under way.
  milliseconds requestDeadline{0};
  Clock::time_point requestEnd;
  bool reused = false;
  bool receivedAny = false;
  bool peerClosed = false;
};

// The waiting loop: the context runs in slices, and the window gets its
// messages between them. run_for returns early once the operation completes.
bool THttpClient::Impl::Await(Pending& pending, milliseconds slice, std::optional<Clock::time_point> deadline) {
  while (!pending.done) {
    // Checked before every slice, also when each operation completes within
    // its first one: a drip keeps every single wait short.
    if (Clock::now() >= requestEnd) {
      Abort(pending);
      throw TransferTimedOut(requestDeadline);
    }
    io.restart();
    io.run_for(slice);
    if (pending.done) break;
    if (deadline && Clock::now() >= *deadline) {
      Abort(pending);
      return false;
    }
    if (pump) {
      try {
        pump();
      } catch (...) {
        Abort(pending);
        throw;
      }
    }
  }
  return true;
}

// Cancels the operation and lets its handler run, so nothing refers to the
// caller's stack once we leave.
void THttpClient::Impl::Abort(Pending& pending) {
  resolver.cancel();
  Close();
  io.restart();
  while (!pending.done && io.run_one() > 0) {
  }
}

void THttpClient::Impl::AfterBlock() {
  if (kind == THttpClientKind::MainClient && pump) pump();
}

void THttpClient::Impl::Close() {
  ErrorCode ignored;
  socket.shutdown(tcp::socket::shutdown_both, ignored);
  socket.close(ignored);
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

void THttpClient::Impl::Connect(const std::string& host, int port) {
  Close();
  if (port < 0 || port > 65535) throw SocketError(make_error_code(boost::system::errc::invalid_argument));
  const auto deadline = Clock::now() + connectTimeout;

  Pending resolving;
  tcp::resolver::results_type endpoints;
  resolver.async_resolve(host, std::to_string(port), [&](const ErrorCode& ec, tcp::resolver::results_type results) {
    resolving.done = true;
    resolving.ec = ec;
    endpoints = std::move(results);
  });
  if (!Await(resolving, ConnectSlice, deadline)) throw HttpError("Connect timed out.");
  if (resolving.ec) throw SocketError(resolving.ec);

  Pending connecting;
  asio::async_connect(socket, endpoints, [&](const ErrorCode& ec, const tcp::endpoint&) {
    connecting.done = true;
    connecting.ec = ec;
  });
  if (!Await(connecting, ConnectSlice, deadline)) throw HttpError("Connect timed out.");
  if (connecting.ec) {
    Close();
    throw SocketError(connecting.ec);
  }
  ErrorCode ignored;
  socket.set_option(tcp::no_delay(true), ignored);
  socket.set_option(asio::socket_base::keep_alive(true), ignored);
#if defined(TCP_KEEPIDLE) && defined(TCP_KEEPINTVL) && defined(TCP_KEEPCNT) && !defined(_WIN32)
  const int fd = socket.native_handle();
  ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &KeepAliveIdleSeconds, sizeof KeepAliveIdleSeconds);
  ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &KeepAliveIntervalSeconds, sizeof KeepAliveIntervalSeconds);
  ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &KeepAliveProbes, sizeof KeepAliveProbes);
#endif
  connected = true;
  peerHost = host;
  peerPort = port;
  buffer.clear();
}

void THttpClient::Impl::Write(const std::string& bytes) {
  Pending writing;
  asio::async_write(socket, asio::buffer(bytes), [&](const ErrorCode& ec, std::size_t n) {
    writing.done = true;
    writing.ec = ec;
    writing.bytes = n;
  });
  // A half-open connection (the peer gone after a sleep or a NAT timeout)
  // answers nothing ever; without a limit the caller would wait for good.
  if (!Await(writing, DataSlice, Clock::now() + readTimeout)) throw HttpError(ReadTimedOut);
  if (writing.ec) {
    if (reused) throw StaleConnection{};
    throw SocketError(writing.ec);
  }
  AfterBlock();
}

// Reads one block into the buffer; false when the server closed the connection.
bool THttpClient::Impl::ReadSome() {
  Pending reading;
  socket.async_read_some(buffer.prepare(ReadBlockSize), [&](const ErrorCode& ec, std::size_t n) {
    reading.done = true;
    reading.ec = ec;
    reading.bytes = n;
  });
  if (!Await(reading, DataSlice, Clock::now() + readTimeout)) throw HttpError(ReadTimedOut);
  if (reading.ec) {
    if (reused && !receivedAny) throw StaleConnection{};
    if (reading.ec == asio::error::eof) return false;
    throw SocketError(reading.ec);
  }
  buffer.commit(reading.bytes);
  receivedAny = true;
  AfterBlock();
  return true;
}

void THttpClient::Impl::ReadHeader(std::optional<Parser>& parser, std::string& statusLine) {
  // The parser sees the header only once it is complete, so the buffer keeps
  // the status line exactly as received and a cut header can still be ended.
  std::size_t scanned = 0;
  for (;;) {
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
      return;
    }
    if (data.size() > HeaderLimit) throw InvalidResponse(http::error::header_limit);
    scanned = data.size() < 2 ? 0 : data.size() - 2;
    if (ReadSome()) continue;

    // Closed inside the header: without a status line there is no answer at
    // all; otherwise the header ends with the last complete line.
    peerClosed = true;
    if (statusLine.empty()) throw HttpError(ClosedGracefully);
    std::string header(View(buffer));
    header.erase(header.rfind('\n') + 1);
    header = StrictHeader(header + "\r\n");
    buffer.clear();
    ErrorCode ec;
    parser->put(asio::buffer(header), ec);
    if (!parser->is_header_done()) throw InvalidResponse(ec ? ec : http::error::partial_message);
    return;
  }
}

// Reads the body; false when the server closed before the message's own end.
bool THttpClient::Impl::ReadBody(Parser& parser, std::size_t cap) {
  for (;;) {
    if (parser.is_done()) return true;
    if (buffer.size() > 0) {
      ErrorCode ec;
      const std::size_t used = parser.put(buffer.data(), ec);
      buffer.consume(used);
      if (ec == http::error::body_limit) throw OverCap(cap);
      if (ec && ec != http::error::need_more) throw InvalidResponse(ec);
      if (parser.is_done()) return true;
      if (!ec && used > 0) continue;
    }
    if (!peerClosed && ReadSome()) continue;

    peerClosed = true;
    ErrorCode ec;
    parser.put_eof(ec);
    if (!ec) return false;  // a body that runs until the close
    // A counted body cut short keeps what arrived; a cut chunk stream has no
    // trustworthy end, so it fails like a close before the answer.
    if (parser.chunked()) throw HttpError(ClosedGracefully);
    return false;
  }
}

std::string THttpClient::Impl::Exchange(const std::string& request, const std::string& host, std::size_t cap) {
  receivedAny = false;
  peerClosed = false;
  Write(request);
  for (;;) {
    std::optional<Parser> message;
    NewParser(message);
    std::string statusLine;
    ReadHeader(message, statusLine);
    Parser& parser = *message;

    const auto& header = parser.get();
    for (const auto& field : header) {
      if (beast::iequals(field.name_string(), "Set-Cookie")) {
        cookies.Remember(host, std::string(field.value()), false);
      } else if (beast::iequals(field.name_string(), "Set-Cookie2")) {
        cookies.Remember(host, std::string(field.value()), true);
      }
    }
    const unsigned status = header.result_int();
    // Interim answers ("100 Continue" and the like) precede the real one;
    // 101 would switch protocols, which we never ask for.
    if (status >= 100 && status < 200 && status != 101) {
      if (peerClosed) throw HttpError(ClosedGracefully);
      continue;
    }
    if (header.find(http::field::location) != header.end() || status < 200 || status > 299) {
      throw HttpError(statusLine);
    }
    if (const auto length = parser.content_length(); length && *length > cap) throw OverCap(cap);
    parser.body_limit(cap);

    const bool complete = ReadBody(parser, cap);
    // keep_alive() reads Proxy-Connection as it reads Connection.
    const bool keep = complete && !peerClosed && parser.keep_alive() && buffer.size() == 0;
    std::string body = parser.release().body();
    if (!keep) Close();
    return body;
  }
}

std::string THttpClient::Impl::Get(const std::string& url, std::size_t cap, milliseconds limit) {
  ReentryGuard guard(busy);
  if (!guard.Entered()) throw HttpError("The HTTP client is still busy with another request.");
  requestDeadline = limit;
  requestEnd = Clock::now() + limit;

  const HttpUrl target = ParseHttpUrl(url);
  HttpGetRequest request;
  request.url = target;
  request.viaProxy = !proxy.host.empty();
  request.cacheControl = kind == THttpClientKind::MainClient;
  request.userAgent = userAgent;
  if (request.viaProxy && proxy.basicAuthentication) {
    request.proxyUserName = proxy.userName;
    request.proxyPassword = proxy.password;
  }
  request.cookie = cookies.CookieHeader(target.ConnectHost());
  const std::string bytes = BuildGetRequest(request);
  const std::string host = request.viaProxy ? proxy.host : target.ConnectHost();
  const int port = request.viaProxy ? proxy.port : target.port;

  for (;;) {
    reused = connected && peerHost == host && peerPort == port && StillOpen();
    if (!reused) Connect(host, port);
    try {
      return Exchange(bytes, target.ConnectHost(), cap);
    } catch (const StaleConnection&) {
      Close();  // and once more on a fresh connection, which is never "reused"
    } catch (...) {
      Close();
      throw;
    }
  }
}

THttpClient::THttpClient(THttpClientKind kind, MessagePump pump)
    : impl_(std::make_unique<Impl>(kind, std::move(pump))) {}
THttpClient::~THttpClient() = default;

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
  return impl_->Get(url, impl_->bodyCap, impl_->transferDeadline);
}
std::string THttpClient::Get(const std::string& url, std::size_t bodyCap) {
  return impl_->Get(url, bodyCap, impl_->transferDeadline);
}
std::string THttpClient::Get(const std::string& url, std::size_t bodyCap, std::chrono::milliseconds deadline) {
  return impl_->Get(url, bodyCap, deadline);
}
bool THttpClient::Busy() const { return impl_->busy; }

const THttpClient::MessagePump& THttpClient::Pump() const { return impl_->pump; }

}  // namespace quarlen
