#pragma once
// An "http://" or "https://" URL taken apart for one GET request.
#include <cstdint>
#include <string>

namespace quarlen {

struct HttpUrl {
  bool secure = false;  // "https://": the request goes inside TLS
  std::string host;     // as written in the URL (an IPv6 literal keeps its brackets)
  std::uint16_t port = 80;
  std::string target;  // path and query as written, "/" when the URL has none

  // The scheme's own port: 443 for https, 80 for http.
  std::uint16_t DefaultPort() const { return secure ? 443 : 80; }
  // The "Host" header value: the host, plus ":" and the port when it is not the scheme's own.
  std::string HostHeader() const;
  // The request target of a plain request through a proxy: "http://" host ":" port, then path and query.
  std::string AbsoluteTarget() const;
  // "host:port" with the port always written out, as a tunnel through a proxy names it.
  std::string Authority() const;
  // The host name to resolve (IPv6 brackets removed).
  std::string ConnectHost() const;
};

// Parses an http or https URL (the scheme in any case). The text is kept byte for byte; nothing is percent-encoded.
// Throws HttpError for another scheme, a missing host, a bad port, user
// information, or control characters (which would let a URL inject header lines).
HttpUrl ParseHttpUrl(const std::string& url);

}  // namespace quarlen
