#pragma once
// Test helper: an HTTP/1.1 server on 127.0.0.1 with scripted answers per
// request target. It runs on its own thread, keeps connections alive as the
// main client expects, and records every request target in order.
#include <boost/asio.hpp>

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace quarlen::testhttp {

struct ScriptedResponse {
  std::string statusLine = "HTTP/1.1 200 OK";
  std::string body;
  std::string contentType = "text/html";
};

class ScriptedHttpServer {
 public:
  ScriptedHttpServer() : acceptor_(io_, {boost::asio::ip::make_address("127.0.0.1"), 0}) {
    Accept();
    thread_ = std::thread([this] { io_.run(); });
  }
  ~ScriptedHttpServer() {
    io_.stop();
    thread_.join();
  }
  ScriptedHttpServer(const ScriptedHttpServer&) = delete;
  ScriptedHttpServer& operator=(const ScriptedHttpServer&) = delete;

  std::string BaseUrl() const {
    return "http://127.0.0.1:" + std::to_string(acceptor_.local_endpoint().port());
  }

  // Answers requests for target (path and query) with response; anything not
  // scripted gets "HTTP/1.1 404 Not Found".
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

  // Request targets in the order they arrived.
  std::vector<std::string> Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
  }
  // The whole request heads (request line and header lines), in order.
  std::vector<std::string> Heads() const {
    std::lock_guard lock(mutex_);
    return heads_;
  }
  int CountOf(const std::string& target) const {
    std::lock_guard lock(mutex_);
    int n = 0;
    for (const auto& r : requests_) n += r == target;
    return n;
  }
  void ClearRequests() {
    std::lock_guard lock(mutex_);
    requests_.clear();
    heads_.clear();
  }

 private:
  struct Connection {
    explicit Connection(boost::asio::io_context& io) : socket(io) {}
    boost::asio::ip::tcp::socket socket;
    boost::asio::streambuf buffer;
    std::string reply;
  };

  void Accept() {
    auto connection = std::make_shared<Connection>(io_);
    acceptor_.async_accept(connection->socket, [this, connection](boost::system::error_code ec) {
      if (ec) return;
      ReadRequest(connection);
      Accept();
    });
  }

  void ReadRequest(const std::shared_ptr<Connection>& c) {
    boost::asio::async_read_until(
        c->socket, c->buffer, "\r\n\r\n", [this, c](boost::system::error_code ec, std::size_t n) {
          if (ec) return;
          std::string head(boost::asio::buffers_begin(c->buffer.data()),
                           boost::asio::buffers_begin(c->buffer.data()) + n);
          c->buffer.consume(n);
          // The target runs from the first to the last space of the request
          // line, so a target with a raw space in it is still recorded whole.
          const std::string requestLine = head.substr(0, head.find("\r\n"));
          const auto firstSpace = requestLine.find(' ');
          const auto lastSpace = requestLine.rfind(' ');
          const std::string target =
              lastSpace > firstSpace ? requestLine.substr(firstSpace + 1, lastSpace - firstSpace - 1)
                                     : std::string();
          ScriptedResponse response;
          {
            std::lock_guard lock(mutex_);
            requests_.push_back(target);
            heads_.push_back(head);
            auto it = routes_.find(target);
            if (it != routes_.end()) {
              response = it->second;
            } else {
              response.statusLine = "HTTP/1.1 404 Not Found";
              response.body = "<html>not found</html>";
            }
          }
          c->reply = response.statusLine + "\r\nContent-Type: " + response.contentType +
                     "\r\nContent-Length: " + std::to_string(response.body.size()) + "\r\n\r\n" +
                     response.body;
          boost::asio::async_write(c->socket, boost::asio::buffer(c->reply),
                                   [this, c](boost::system::error_code ec, std::size_t) {
                                     if (!ec) ReadRequest(c);
                                   });
        });
  }

  boost::asio::io_context io_;
  boost::asio::ip::tcp::acceptor acceptor_;
  std::thread thread_;
  mutable std::mutex mutex_;
  std::map<std::string, ScriptedResponse> routes_;
  std::vector<std::string> requests_;
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
