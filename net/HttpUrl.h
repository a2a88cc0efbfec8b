#pragma once
// An "http://" URL taken apart for one GET request.
#include <cstdint>
#include <string>

namespace quarlen {

struct HttpUrl {
  std::string host;  // as written in the URL (an IPv6 literal keeps its brackets)
  std::uint16_t port = 80;
  std::string target;  // path and query as written, "/" when the URL has none

  // The "Host" header value: the host, plus ":" and the port when it is not 80.
  std::string HostHeader() const;
  // The request target through a proxy: "http://" host ":" port, then path and query.
  std::string AbsoluteTarget() const;
  // The host name to resolve (IPv6 brackets removed).
  std::string ConnectHost() const;
};

// Parses an http URL. The text is kept byte for byte; nothing is percent-encoded.
// Throws HttpError for another scheme, a missing host, a bad port, user
// information, or control characters (which would let a URL inject header lines).
HttpUrl ParseHttpUrl(const std::string& url);

}  // namespace quarlen
