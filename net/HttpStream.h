#pragma once
// The byte stream of one connection: the TCP socket itself, or TLS over it
// once StartTls has been called. Reads and writes go to whichever it is.
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/ssl/context.hpp>
#include <boost/asio/ssl/stream.hpp>
#include <boost/asio/write.hpp>
#include <optional>
#include <string>
#include <utility>

#include "net/HttpTls.h"

namespace quarlen {

class HttpStream {
 public:
  explicit HttpStream(boost::asio::io_context& io) : socket_(io) {}

  boost::asio::ip::tcp::socket& Socket() { return socket_; }
  bool Secure() const { return tls_.has_value(); }

  // Puts TLS over the connected socket, for host (no brackets); the handshake
  // follows with AsyncHandshake. Throws HttpError when host is refused.
  void StartTls(boost::asio::ssl::context& context, const std::string& host) {
    tls_.emplace(socket_, context);
    PrepareTlsStream(*tls_, host);
  }
  template <class Handler>
  void AsyncHandshake(Handler&& handler) {
    tls_->async_handshake(boost::asio::ssl::stream_base::client, std::forward<Handler>(handler));
  }
  // The certificate check's X509_V_* result of the last handshake (X509_V_OK without TLS).
  long VerifyResult() const;

  template <class Buffers, class Handler>
  void AsyncReadSome(const Buffers& buffers, Handler&& handler) {
    if (tls_) {
      tls_->async_read_some(buffers, std::forward<Handler>(handler));
    } else {
      socket_.async_read_some(buffers, std::forward<Handler>(handler));
    }
  }
  template <class Buffers, class Handler>
  void AsyncWrite(const Buffers& buffers, Handler&& handler) {
    if (tls_) {
      boost::asio::async_write(*tls_, buffers, std::forward<Handler>(handler));
    } else {
      boost::asio::async_write(socket_, buffers, std::forward<Handler>(handler));
    }
  }

  // Closes the socket; pending operations end with an error. TLS stays until
  // Reset, since those operations still refer to it.
  void Close();
  // Closes and drops TLS, so the socket can connect again. Only while no
  // operation is pending.
  void Reset();

 private:
  boost::asio::ip::tcp::socket socket_;
  std::optional<TlsStream> tls_;
};

}  // namespace quarlen
