#include "net/HttpStream.h"

namespace quarlen {

#if QUARLEN_TLS
bool HttpStream::Secure() const { return tls_.has_value(); }

void HttpStream::StartTls(TlsContext& context, const std::string& host) {
  tls_.emplace(socket_, context);
  PrepareTlsStream(*tls_, host);
}

long HttpStream::VerifyResult() const {
  return tls_ ? TlsVerifyResult(const_cast<TlsStream&>(*tls_)) : TlsCertificateOk;
}
#else
bool HttpStream::Secure() const { return false; }

// MakeTlsContext throws the build's "no TLS" failure.
void HttpStream::StartTls(TlsContext&, const std::string&) { MakeTlsContext(); }

long HttpStream::VerifyResult() const { return TlsCertificateOk; }
#endif

void HttpStream::Close() {
  boost::system::error_code ignored;
  // No TLS close_notify: a connection is closed when it is done with or
  // broken, and waiting on the peer's answer would only delay the next request.
  socket_.shutdown(boost::asio::ip::tcp::socket::shutdown_both, ignored);
  socket_.close(ignored);
}

void HttpStream::Reset() {
  Close();
#if QUARLEN_TLS
  tls_.reset();
#endif
}

}  // namespace quarlen
