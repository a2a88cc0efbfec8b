#include "net/HttpTls.h"

#include <openssl/ssl.h>
#include <openssl/x509_vfy.h>
#include <openssl/x509v3.h>

#include <boost/asio/ip/address.hpp>

#include "net/HttpError.h"

namespace quarlen {

namespace ssl = boost::asio::ssl;

void RequireTls(const std::string&) {}

ssl::context MakeTlsContext() {
  ssl::context context(ssl::context::tls_client);
  boost::system::error_code ec;
  // Older protocols are broken; a server that offers only those is refused
  // in the handshake rather than talked to weakly.
  if (SSL_CTX_set_min_proto_version(context.native_handle(), TLS1_2_VERSION) != 1) {
    throw HttpError("The secure connection could not be prepared: TLS 1.2 is not available.");
  }
  context.set_options(ssl::context::default_workarounds | ssl::context::no_compression, ec);
  // The same trust store as every other OpenSSL program on the machine, so a
  // private authority is trusted through SSL_CERT_FILE or SSL_CERT_DIR.
  context.set_default_verify_paths(ec);
  if (ec) throw HttpError("The secure connection could not be prepared: " + ec.message());
  // There is no switch to turn this off: an unverified connection is one
  // anyone on the way can read and change.
  context.set_verify_mode(ssl::verify_peer);
  return context;
}

void PrepareTlsStream(TlsStream& stream, const std::string& host) {
  SSL* handle = stream.native_handle();
  boost::system::error_code ec;
  const auto address = boost::asio::ip::make_address(host, ec);
  bool accepted = false;
  if (!ec) {
    // An address is checked against the certificate's IP entries and, by
    // rule, never sent as a server name.
    accepted = X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(handle), address.to_string().c_str()) == 1;
  } else {
    SSL_set_hostflags(handle, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
    accepted = SSL_set1_host(handle, host.c_str()) == 1 && SSL_set_tlsext_host_name(handle, host.c_str()) == 1;
  }
  if (!accepted) throw HttpError("The secure connection to " + host + " could not be prepared.");
  stream.set_verify_mode(ssl::verify_peer);
}

long TlsVerifyResult(TlsStream& stream) { return SSL_get_verify_result(stream.native_handle()); }

std::string TlsFailureText(const std::string& host, long verifyResult, const boost::system::error_code& ec) {
  const std::string certificate = "The certificate of " + host;
  switch (verifyResult) {
    case X509_V_OK:
      break;
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
    case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
    case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
    case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
    case X509_V_ERR_CERT_UNTRUSTED:
      return certificate + " is not signed by an authority this computer trusts.";
    case X509_V_ERR_CERT_HAS_EXPIRED:
      return certificate + " has expired.";
    case X509_V_ERR_CERT_NOT_YET_VALID:
      return certificate + " is not valid yet.";
    case X509_V_ERR_HOSTNAME_MISMATCH:
    case X509_V_ERR_IP_ADDRESS_MISMATCH:
      return certificate + " is for another name.";
    default:
      return certificate + " could not be verified: " + X509_verify_cert_error_string(verifyResult) + ".";
  }
  std::string reason = ec.message();
  // OpenSSL's texts can carry line breaks; the status bar shows one line.
  for (char& c : reason) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  return "The secure connection to " + host + " failed: " + reason + ".";
}

bool IsTlsTruncation(const boost::system::error_code& ec) { return ec == ssl::error::stream_truncated; }

}  // namespace quarlen
