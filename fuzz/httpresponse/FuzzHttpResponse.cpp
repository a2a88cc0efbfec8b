// Feeds arbitrary bytes to THttpClient as a server's answer, through a real
// loopback connection, so the program's own reading code runs unchanged: the
// status line, header lines, 1xx answers, Set-Cookie into the jar, counted,
// chunked and close-delimited bodies, with the body cap and the read limit
// in force. The first byte picks the body cap (its low seven bits) and, with
// its high bit set, makes the peer a proxy: the client asks it for a tunnel
// for an https request, and the rest is the proxy's answer to that, which
// the client must judge before any TLS begins. The rest is the answer, after
// which the peer closes. A body over the cap, a failure other than HttpError,
// a wait that runs into the read limit (the peer always closes, so nothing
// should wait that long) or a client left busy aborts.
// Run: fuzz_httpresponse -max_len=131072 fuzz/httpresponse/corpus
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "net/HttpClient.h"
#include "net/HttpError.h"

namespace {

using namespace quarlen;

constexpr std::array<std::size_t, 6> Caps = {0, 1, 16, 100, 4096, DefaultBodyCap};
constexpr const char* ReadTimedOut = "Read timed out.";

// One listening socket for the whole run; each input is one connection to it.
int Listener(int& port) {
  static int listener = -1;
  static int listenerPort = 0;
  if (listener < 0) {
    listener = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    const int on = 1;
    ::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(listener, reinterpret_cast<sockaddr*>(&address), length) != 0 || ::listen(listener, 16) != 0 ||
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
      std::abort();
    }
    listenerPort = ntohs(address.sin_port);
  }
  port = listenerPort;
  return listener;
}

// The server side, driven from the client's message pump (called after the
// request is written and after every block read): it takes the connection,
// reads the request away (a close with unread bytes would reset the
// connection and lose the answer) and writes what the socket takes.
struct Peer {
  int listener;
  const std::uint8_t* bytes;
  std::size_t size;
  int fd = -1;
  std::size_t sent = 0;
  bool finished = false;

  void Pump() {
    if (fd < 0) fd = ::accept4(listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) return;
    char request[4096];
    while (::recv(fd, request, sizeof request, 0) > 0) {
    }
    while (sent < size) {
      const ssize_t n = ::send(fd, bytes + sent, size - sent, MSG_NOSIGNAL);
      if (n <= 0) return;
      sent += static_cast<std::size_t>(n);
    }
    if (!finished) ::shutdown(fd, SHUT_WR);
    finished = true;
  }

  ~Peer() {
    if (fd >= 0) ::close(fd);
    // A connection the client opened but the pump never took.
    for (int other; (other = ::accept4(listener, nullptr, nullptr, SOCK_NONBLOCK)) >= 0;) ::close(other);
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::size_t cap = Caps[(data[0] & 0x7F) % Caps.size()];
  const bool tunnel = (data[0] & 0x80) != 0;
  int port = 0;
  Peer peer{Listener(port), data + 1, size - 1};
  THttpClient client(THttpClientKind::MainClient, [&peer] { peer.Pump(); });
  client.SetReadTimeout(std::chrono::seconds(5));
  client.SetTransferDeadline(std::chrono::seconds(30));
  if (tunnel) client.SetProxy({"127.0.0.1", port, true, "trader", "s3cret"});
  const std::string url = (tunnel ? "https://news.example:8443" : "http://127.0.0.1:" + std::to_string(port)) + "/feed";
  try {
    const std::string body = client.Get(url, cap);
    if (body.size() > cap) std::abort();
  } catch (const HttpError& e) {
    if (std::strcmp(e.what(), ReadTimedOut) == 0) std::abort();
  }
  if (client.Busy()) std::abort();
  return 0;
}
