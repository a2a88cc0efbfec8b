#pragma once
// A scripted HTTP peer on 127.0.0.1 for the client tests: it records every
// request's bytes and answers each with the next scripted reply, byte for byte.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace quarlen::testing {

struct ScriptedReply {
  std::vector<std::string> parts;      // sent one after another
  std::chrono::milliseconds pause{0};  // between two parts
  bool close = true;                   // close the connection after the reply
  bool silent = false;                 // never answer; hold on until Hangup()
};

inline ScriptedReply Reply(std::string bytes, bool close = true) { return {{std::move(bytes)}, {}, close, false}; }

// Binds a listening socket on 127.0.0.1 with a free port.
inline int ListenOnLoopback(int backlog, int& port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  const int on = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  ::listen(fd, backlog);
  socklen_t length = sizeof address;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  port = ntohs(address.sin_port);
  return fd;
}

// A loopback port that nothing listens on (bound, then released).
inline int UnusedPort() {
  int port = 0;
  ::close(ListenOnLoopback(1, port));
  return port;
}

class ScriptedServer {
 public:
  explicit ScriptedServer(std::vector<ScriptedReply> script) : script_(std::move(script)) {
    listener_ = ListenOnLoopback(16, port_);
    thread_ = std::thread([this] { Run(); });
  }
  ~ScriptedServer() {
    stop_ = true;
    thread_.join();
    ::close(listener_);
  }
  ScriptedServer(const ScriptedServer&) = delete;
  ScriptedServer& operator=(const ScriptedServer&) = delete;

  int Port() const { return port_; }
  std::string Url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(port_) + path; }
  std::vector<std::string> Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
  }
  int Connections() const { return connections_; }
  // Closes the connection being served (safe from any thread).
  void Hangup() { hangup_ = true; }

 private:
  bool Readable(int fd) {
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, 10) > 0;
  }

  void Run() {
    while (!stop_) {
      if (!Readable(listener_)) continue;
      const int client = ::accept(listener_, nullptr, nullptr);
      if (client < 0) continue;
      ++connections_;
      Serve(client);
      ::close(client);
    }
  }

  void Serve(int client) {
    std::string pending;
    for (;;) {
      const auto headerEnd = pending.find("\r\n\r\n");
      if (headerEnd == std::string::npos) {
        if (stop_ || hangup_.exchange(false)) return;
        if (!Readable(client)) continue;
        char chunk[4096];
        const ssize_t n = ::recv(client, chunk, sizeof chunk, 0);
        if (n <= 0) return;
        pending.append(chunk, static_cast<std::size_t>(n));
        continue;
      }
      const std::string request = pending.substr(0, headerEnd + 4);
      pending.erase(0, headerEnd + 4);
      std::size_t index;
      {
        std::lock_guard lock(mutex_);
        requests_.push_back(request);
        index = requests_.size() - 1;
      }
      if (index >= script_.size()) return;
      const ScriptedReply& reply = script_[index];
      if (reply.silent) {
        while (!stop_ && !hangup_.exchange(false)) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return;
      }
      for (std::size_t i = 0; i < reply.parts.size(); ++i) {
        if (i > 0) std::this_thread::sleep_for(reply.pause);
        ::send(client, reply.parts[i].data(), reply.parts[i].size(), MSG_NOSIGNAL);
      }
      if (reply.close) return;
    }
  }

  std::vector<ScriptedReply> script_;
  int listener_ = -1;
  int port_ = 0;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> hangup_{false};
  std::atomic<int> connections_{0};
  mutable std::mutex mutex_;
  std::vector<std::string> requests_;
};

}  // namespace quarlen::testing
