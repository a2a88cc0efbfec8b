#pragma once
// TLS for https requests: one client context with verification always on, the
// per-connection set-up for a host, and the failure texts the user sees.
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/ssl/context.hpp>
#include <boost/asio/ssl/stream.hpp>
#include <boost/system/error_code.hpp>
#include <string>

namespace quarlen {

using TlsStream = boost::asio::ssl::stream<boost::asio::ip::tcp::socket&>;

// A client context: TLS 1.2 or newer, the peer's whole chain verified against
// the trust store at OpenSSL's default paths (SSL_CERT_FILE and SSL_CERT_DIR
// apply). Throws HttpError when OpenSSL cannot make one.
boost::asio::ssl::context MakeTlsContext();

// Sets stream up for a handshake with host (as resolved, no brackets): the name
// to send (SNI, names only) and the name or IP address the certificate must carry.
// Throws HttpError when OpenSSL refuses the host.
void PrepareTlsStream(TlsStream& stream, const std::string& host);

// The one-line failure text of a handshake with host that failed. verifyResult
// is the certificate check's X509_V_* result (X509_V_OK when the certificate was
// not the cause); ec is the handshake's error.
std::string TlsFailureText(const std::string& host, long verifyResult, const boost::system::error_code& ec);

}  // namespace quarlen
