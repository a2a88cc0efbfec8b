#pragma once
// The byte stream of one connection: the TCP socket itself, or TLS over it
// once StartTls has been called. Reads and writes go to whichever it is. In a
// build without TLS it is always the socket, and StartTls throws.
#include <boost/asio/async_result.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/post.hpp>
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
  bool Secure() const;

  // Puts TLS over the connected socket, for host (no brackets); the handshake
  // follows with AsyncHandshake. Throws HttpError when host is refused or the
  // build has no TLS.
  void StartTls(TlsContext& context, const std::string& host);
  template <class Token>
  auto AsyncHandshake(Token&& token) {
#if QUARLEN_TLS
    return tls_->async_handshake(boost::asio::ssl::stream_base::client, std::forward<Token>(token));
#else
    // Not reached, since StartTls threw; should it be, the handshake fails.
    return boost::asio::async_initiate<Token, void(boost::system::error_code)>(
        [this](auto handler) {
          boost::asio::post(socket_.get_executor(), [done = std::move(handler)]() mutable {
            done(boost::asio::error::make_error_code(boost::asio::error::operation_not_supported));
          });
        },
        token);
#endif
  }
  // The certificate check's X509_V_* result of the last handshake (TlsCertificateOk without TLS).
  long VerifyResult() const;

  template <class Buffers, class Token>
  auto AsyncReadSome(const Buffers& buffers, Token&& token) {
#if QUARLEN_TLS
    if (tls_) return tls_->async_read_some(buffers, std::forward<Token>(token));
#endif
    return socket_.async_read_some(buffers, std::forward<Token>(token));
  }
  template <class Buffers, class Token>
  auto AsyncWrite(const Buffers& buffers, Token&& token) {
#if QUARLEN_TLS
    if (tls_) return boost::asio::async_write(*tls_, buffers, std::forward<Token>(token));
#endif
    return boost::asio::async_write(socket_, buffers, std::forward<Token>(token));
  }

  // Closes the socket; pending operations end with an error. TLS stays until
  // Reset, since those operations still refer to it.
  void Close();
  // Closes and drops TLS, so the socket can connect again. Only while no
  // operation is pending.
  void Reset();

 private:
  boost::asio::ip::tcp::socket socket_;
#if QUARLEN_TLS
  std::optional<TlsStream> tls_;
#endif
};

}  // namespace quarlen
