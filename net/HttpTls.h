#pragma once
// TLS for https requests: one client context with verification always on, the
// per-connection set-up for a host, and the failure texts the user sees. A
// build without TLS (QUARLEN_TLS=0, where there is no OpenSSL) has the same
// functions, and every https request fails at RequireTls before it connects.
#include <boost/system/error_code.hpp>
#include <string>

#ifndef QUARLEN_TLS
#error "QUARLEN_TLS must be 0 or 1: link the net library, which defines it"
#endif
#if QUARLEN_TLS
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/ssl/context.hpp>
#include <boost/asio/ssl/error.hpp>
#include <boost/asio/ssl/stream.hpp>
#endif

namespace quarlen {

#if QUARLEN_TLS
using TlsContext = boost::asio::ssl::context;
using TlsStream = boost::asio::ssl::stream<boost::asio::ip::tcp::socket&>;
#else
// Never made: MakeTlsContext throws in a build without TLS.
struct TlsContext {};
#endif

// The certificate check's result when the certificate was not the cause (X509_V_OK).
constexpr long TlsCertificateOk = 0;

// Returns when this build can fetch url over TLS; throws HttpError "https is
// not available in this build: <url>" otherwise.
void RequireTls(const std::string& url);

// A client context: TLS 1.2 or newer, the peer's whole chain verified against
// the trust store at OpenSSL's default paths (SSL_CERT_FILE and SSL_CERT_DIR
// apply). Throws HttpError when OpenSSL cannot make one, or the build has no TLS.
TlsContext MakeTlsContext();

#if QUARLEN_TLS
// Sets stream up for a handshake with host (as resolved, no brackets): the name
// to send (SNI, names only) and the name or IP address the certificate must carry.
// Throws HttpError when OpenSSL refuses the host.
void PrepareTlsStream(TlsStream& stream, const std::string& host);

// The certificate check's X509_V_* result of stream's last handshake.
long TlsVerifyResult(TlsStream& stream);
#endif

// The one-line failure text of a handshake with host that failed. verifyResult
// is the certificate check's X509_V_* result (TlsCertificateOk when the
// certificate was not the cause); ec is the handshake's error.
std::string TlsFailureText(const std::string& host, long verifyResult, const boost::system::error_code& ec);

// Whether ec is a TLS server's close without close_notify, which ends an
// answer as a plain close does (never so without TLS).
bool IsTlsTruncation(const boost::system::error_code& ec);

}  // namespace quarlen
