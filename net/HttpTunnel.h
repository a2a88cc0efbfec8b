#pragma once
// The tunnel an https request opens through a proxy: the CONNECT request and
// the proxy's answer to it.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "net/HttpUrl.h"

namespace quarlen {

struct HttpConnectRequest {
  HttpUrl url;            // the tunnel goes to its host and port
  std::string userAgent;  // no "User-Agent" line when empty
  // "Proxy-Authorization: Basic ..." only when set.
  std::optional<std::string> proxyUserName;
  std::string proxyPassword;
};

// "CONNECT host:port HTTP/1.1", then "Host", "User-Agent" and
// "Proxy-Authorization", and the empty line. Throws HttpError when a value
// would contain CR or LF.
std::string BuildConnectRequest(const HttpConnectRequest& request);

// The proxy's answer as far as it has arrived.
struct TunnelReply {
  bool complete = false;       // the header block has ended
  std::size_t headerSize = 0;  // its bytes, the empty line included, once complete
  std::string statusLine;      // without its line end, once it has arrived
};

// Reads received, the bytes the proxy sent so far. Throws HttpError when they
// cannot be an HTTP answer or its header grows past 64 KiB.
TunnelReply ReadTunnelReply(std::string_view received);

// Returns when a complete reply opened the tunnel to authority (a 2xx
// status); throws HttpError naming the proxy's status line otherwise.
void CheckTunnelOpened(const TunnelReply& reply, const std::string& authority);

}  // namespace quarlen
