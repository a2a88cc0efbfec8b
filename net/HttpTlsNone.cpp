#include "net/HttpTls.h"

#include "net/HttpError.h"

namespace quarlen {

namespace {
constexpr const char* NoTls = "https is not available in this build";
}  // namespace

// Refused before the connection is made: without TLS the request could only
// go out in the clear, which an https URL must never do.
void RequireTls(const std::string& url) { throw HttpError(std::string(NoTls) + ": " + url); }

TlsContext MakeTlsContext() { throw HttpError(std::string(NoTls) + "."); }

std::string TlsFailureText(const std::string& host, long, const boost::system::error_code& ec) {
  return "The secure connection to " + host + " failed: " + ec.message() + ".";
}

bool IsTlsTruncation(const boost::system::error_code&) { return false; }

}  // namespace quarlen
