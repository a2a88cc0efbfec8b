#pragma once
// The bytes of one GET request, header lines in the fixed order of our profile.
#include <optional>
#include <string>

#include "net/HttpUrl.h"

namespace quarlen {

struct HttpGetRequest {
  HttpUrl url;
  bool viaProxy = false;      // absolute target with the port written out
  bool cacheControl = false;  // "Cache-control: no-cache" (the main client)
  std::string userAgent;      // no "User-Agent" line when empty
  // "Proxy-Authorization: Basic ..." is sent only when set and viaProxy.
  std::optional<std::string> proxyUserName;
  std::string proxyPassword;
  std::string cookie;  // no "Cookie" line when empty
};

// The request line, the header lines and the empty line, each ended by CR LF.
// Throws HttpError when a header value would contain CR or LF.
std::string BuildGetRequest(const HttpGetRequest& request);

// Appends "name: value" and CR LF; nothing when value is empty. Throws
// HttpError when value contains CR or LF.
void AddHeader(std::string& out, const char* name, const std::string& value);

// RFC 2045 Base64 of the text's bytes.
std::string EncodeBase64(const std::string& bytes);

}  // namespace quarlen
