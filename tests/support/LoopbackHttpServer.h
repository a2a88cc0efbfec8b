#pragma once
// The one HTTP peer of the tests: a server on 127.0.0.1 with a free port that
// records every request head and answers in one of two ways.
//  - Scripted: constructed with a list of replies, it answers the n-th request
//    with the n-th reply, byte for byte (or not at all), serving one connection
//    at a time. For tests of the client's exact wire behaviour.
//  - Routed: constructed empty, it answers by request target (an exact target
//    first, then its path without the query), 404 for anything else, keeps
//    connections alive and serves each connection on a thread of its own.
#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace quarlen::testhttp {

// One reply of a scripted server.
struct ScriptedReply {
  std::vector<std::string> parts;      // sent one after another
  std::chrono::milliseconds pause{0};  // between two parts
  bool close = true;                   // close the connection after the reply
  bool silent = false;                 // never answer; hold on until Hangup()
};

inline ScriptedReply Reply(std::string bytes, bool close = true) { return {{std::move(bytes)}, {}, close, false}; }

// One answer of a routed server; Content-Length is always added.
struct ScriptedResponse {
  std::string statusLine = "HTTP/1.1 200 OK";
  std::string body;
  std::string contentType = "text/html";  // no Content-Type line when empty
  std::string extraHeaders;               // each line ending in CR LF
  std::chrono::milliseconds delay{0};     // before the answer goes out
  bool close = false;                     // "Connection: close" and close after the answer
  bool silent = false;                    // never answer; hold on until Hangup()
};

// The few socket calls whose names or argument types differ between POSIX and Winsock.
#ifdef _WIN32
using SocketLength = int;
inline void CloseSocket(int fd) { ::closesocket(static_cast<SOCKET>(fd)); }
inline int PollSocket(pollfd* p, int timeoutMs) { return ::WSAPoll(p, 1, timeoutMs); }
inline void SetOption(int fd, int level, int name) {
  const BOOL on = TRUE;
  ::setsockopt(static_cast<SOCKET>(fd), level, name, reinterpret_cast<const char*>(&on), sizeof on);
}
inline bool SendAll(int fd, const std::string& bytes) {
  return ::send(static_cast<SOCKET>(fd), bytes.data(), static_cast<int>(bytes.size()), 0) >= 0;
}
// Winsock needs starting once per process before the first socket.
inline void StartSockets() {
  static const bool started = [] {
    WSADATA data;
    return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  (void)started;
}
#else
using SocketLength = socklen_t;
inline void CloseSocket(int fd) { ::close(fd); }
inline int PollSocket(pollfd* p, int timeoutMs) { return ::poll(p, 1, timeoutMs); }
inline void SetOption(int fd, int level, int name) {
  const int on = 1;
  ::setsockopt(fd, level, name, &on, sizeof on);
}
inline bool SendAll(int fd, const std::string& bytes) {
  return ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) >= 0;
}
inline void StartSockets() {}
#endif

// Binds a listening socket on 127.0.0.1 with a free port.
inline int ListenOnLoopback(int backlog, int& port) {
  StartSockets();
  const int fd = static_cast<int>(::socket(AF_INET, SOCK_STREAM, 0));
  SetOption(fd, SOL_SOCKET, SO_REUSEADDR);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  ::listen(fd, backlog);
  SocketLength length = sizeof address;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  port = ntohs(address.sin_port);
  return fd;
}

// count distinct unused loopback ports: each stays bound until all are
// picked, since a port just released may be handed out again at once.
inline std::vector<int> UnusedPorts(std::size_t count) {
  std::vector<int> ports(count), sockets;
  for (int& port : ports) sockets.push_back(ListenOnLoopback(1, port));
  for (const int fd : sockets) CloseSocket(fd);
  return ports;
}

// A loopback port that nothing listens on (bound, then released).
inline int UnusedPort() { return UnusedPorts(1).front(); }

class LoopbackHttpServer {
 public:
  // Routed.
  LoopbackHttpServer() { Start(); }
  // Scripted.
  explicit LoopbackHttpServer(std::vector<ScriptedReply> script) : script_(std::move(script)) { Start(); }
  ~LoopbackHttpServer() {
    stop_ = true;
    thread_.join();
    for (auto& t : workers_) t.join();
    CloseSocket(listener_);
  }
  LoopbackHttpServer(const LoopbackHttpServer&) = delete;
  LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

  int Port() const { return port_; }
  std::string BaseUrl() const { return "http://127.0.0.1:" + std::to_string(port_); }
  std::string Url(const std::string& path) const { return BaseUrl() + path; }

  // Routed answers for a target (path and query, or a path for any query).
  void Set(const std::string& target, ScriptedResponse response) {
    std::lock_guard lock(mutex_);
    routes_[target] = std::move(response);
  }
  void Set(const std::string& target, const std::string& body) {
    ScriptedResponse r;
    r.body = body;
    Set(target, r);
  }
  void Remove(const std::string& target) {
    std::lock_guard lock(mutex_);
    routes_.erase(target);
  }

  // Whole request heads (request line, header lines and the empty line), in order.
  std::vector<std::string> Heads() const {
    std::lock_guard lock(mutex_);
    return heads_;
  }
  // Request targets in the order they arrived.
  std::vector<std::string> Requests() const {
    std::vector<std::string> targets;
    for (const auto& head : Heads()) targets.push_back(TargetOf(head));
    return targets;
  }
  std::vector<std::string> RequestLines() const {
    std::vector<std::string> lines;
    for (const auto& head : Heads()) lines.push_back(head.substr(0, head.find("\r\n")));
    return lines;
  }
  int CountOf(const std::string& target) const {
    int n = 0;
    for (const auto& r : Requests()) n += r == target;
    return n;
  }
  void ClearRequests() {
    std::lock_guard lock(mutex_);
    heads_.clear();
  }
  int Connections() const { return connections_; }
  // Closes the connections being served (safe from any thread).
  void Hangup() { ++hangups_; }

 private:
  void Start() {
    listener_ = ListenOnLoopback(16, port_);
    thread_ = std::thread([this] { Run(); });
  }

  static bool Readable(int fd) {
    pollfd p{};
    p.fd = fd;  // a SOCKET on Windows
    p.events = POLLIN;
    return PollSocket(&p, 10) > 0;
  }

  // The target runs from the first to the last space of the request line, so
  // a target with a raw space in it is still recorded whole.
  static std::string TargetOf(const std::string& head) {
    const std::string line = head.substr(0, head.find("\r\n"));
    const auto first = line.find(' ');
    const auto last = line.rfind(' ');
    return first != std::string::npos && last > first ? line.substr(first + 1, last - first - 1) : std::string();
  }

  void Run() {
    while (!stop_) {
      if (!Readable(listener_)) continue;
      const int client = static_cast<int>(::accept(listener_, nullptr, nullptr));
      if (client < 0) continue;
      ++connections_;
      // Small answers go out at once, as a real server's would.
      SetOption(client, IPPROTO_TCP, TCP_NODELAY);
      if (script_) {
        Serve(client);
        CloseSocket(client);
      } else {
        std::lock_guard lock(mutex_);
        workers_.emplace_back([this, client] {
          Serve(client);
          CloseSocket(client);
        });
      }
    }
  }

  void Serve(int client) {
    const int hangups = hangups_;
    std::string pending;
    for (;;) {
      const auto headerEnd = pending.find("\r\n\r\n");
      if (headerEnd == std::string::npos) {
        if (stop_ || hangups_ != hangups) return;
        if (!Readable(client)) continue;
        char chunk[4096];
        const ssize_t n = ::recv(client, chunk, sizeof chunk, 0);
        if (n <= 0) return;
        pending.append(chunk, static_cast<std::size_t>(n));
        continue;
      }
      const std::string head = pending.substr(0, headerEnd + 4);
      pending.erase(0, headerEnd + 4);
      std::size_t index;
      {
        std::lock_guard lock(mutex_);
        heads_.push_back(head);
        index = heads_.size() - 1;
      }
      if (!(script_ ? AnswerScripted(client, index, hangups) : AnswerRouted(client, head, hangups))) return;
    }
  }

  // False when the connection is to be closed.
  bool AnswerScripted(int client, std::size_t index, int hangups) {
    if (index >= script_->size()) return false;
    const ScriptedReply& reply = (*script_)[index];
    if (reply.silent) {
      HoldUntilHangup(hangups);
      return false;
    }
    for (std::size_t i = 0; i < reply.parts.size(); ++i) {
      if (i > 0) std::this_thread::sleep_for(reply.pause);
      // A long drip ends with the client that gave up on it.
      if (!Send(client, reply.parts[i]) || stop_ || hangups_ != hangups) return false;
    }
    return !reply.close;
  }

  void HoldUntilHangup(int hangups) const {
    while (!stop_ && hangups_ == hangups) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }

  bool AnswerRouted(int client, const std::string& head, int hangups) {
    const std::string target = TargetOf(head);
    ScriptedResponse response;
    {
      std::lock_guard lock(mutex_);
      auto it = routes_.find(target);
      if (it == routes_.end()) it = routes_.find(target.substr(0, target.find('?')));
      if (it != routes_.end()) {
        response = it->second;
      } else {
        response.statusLine = "HTTP/1.1 404 Not Found";
        response.body = "<html>not found</html>";
      }
    }
    if (response.silent) {
      HoldUntilHangup(hangups);
      return false;
    }
    if (response.delay.count() > 0) std::this_thread::sleep_for(response.delay);
    std::string reply = response.statusLine + "\r\n";
    if (!response.contentType.empty()) reply += "Content-Type: " + response.contentType + "\r\n";
    reply += "Content-Length: " + std::to_string(response.body.size()) + "\r\n";
    if (response.close) reply += "Connection: close\r\n";
    reply += response.extraHeaders + "\r\n" + response.body;
    Send(client, reply);
    return !response.close;
  }

  static bool Send(int client, const std::string& bytes) { return SendAll(client, bytes); }

  std::optional<std::vector<ScriptedReply>> script_;
  int listener_ = -1;
  int port_ = 0;
  std::thread thread_;
  std::vector<std::thread> workers_;
  std::atomic<bool> stop_{false};
  std::atomic<int> hangups_{0};
  std::atomic<int> connections_{0};
  mutable std::mutex mutex_;
  std::map<std::string, ScriptedResponse> routes_;
  std::vector<std::string> heads_;
};

// A URL the way a feed's ticker element carries it: ":", "/", "?", "=" and
// "&" percent-encoded, everything else as it is.
inline std::string EncodeAsTicker(const std::string& url) {
  static const char* hex = "0123456789ABCDEF";
  std::string out;
  for (char c : url) {
    if (c == ':' || c == '/' || c == '?' || c == '=' || c == '&') {
      out += '%';
      out += hex[static_cast<unsigned char>(c) >> 4];
      out += hex[c & 0xF];
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace quarlen::testhttp
