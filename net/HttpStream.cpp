#include "net/HttpStream.h"

#include <openssl/ssl.h>
#include <openssl/x509_vfy.h>

namespace quarlen {

long HttpStream::VerifyResult() const {
  return tls_ ? SSL_get_verify_result(const_cast<TlsStream&>(*tls_).native_handle()) : X509_V_OK;
}

void HttpStream::Close() {
  boost::system::error_code ignored;
  // No TLS close_notify: a connection is closed when it is done with or
  // broken, and waiting on the peer's answer would only delay the next request.
  socket_.shutdown(boost::asio::ip::tcp::socket::shutdown_both, ignored);
  socket_.close(ignored);
}

void HttpStream::Reset() {
  Close();
  tls_.reset();
}

}  // namespace quarlen
