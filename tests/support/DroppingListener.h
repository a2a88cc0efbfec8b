#pragma once
// A loopback listener whose accept queue is full: the kernel leaves further
// connection attempts unanswered, as a firewall that drops every packet does.
// POSIX only (non-blocking sockets fill the queue).
#ifndef _WIN32
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/LoopbackHttpServer.h"

namespace quarlen::testhttp {

class DroppingListener {
 public:
  DroppingListener() {
    listener_ = ListenOnLoopback(0, port_);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port_));
    for (int i = 0; i < 4; ++i) {
      const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
      ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
      fillers_.push_back(fd);
    }
  }
  ~DroppingListener() {
    for (int fd : fillers_) ::close(fd);
    ::close(listener_);
  }
  DroppingListener(const DroppingListener&) = delete;
  DroppingListener& operator=(const DroppingListener&) = delete;

  int Port() const { return port_; }
  std::string BaseUrl() const { return "http://127.0.0.1:" + std::to_string(port_); }

 private:
  int listener_ = -1;
  int port_ = 0;
  std::vector<int> fillers_;
};

}  // namespace quarlen::testhttp
#endif
