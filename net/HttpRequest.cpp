#include "net/HttpRequest.h"

#include <boost/beast/core/detail/base64.hpp>

#include "net/HttpError.h"

namespace quarlen {

void AddHeader(std::string& out, const char* name, const std::string& value) {
  if (value.empty()) return;
  if (value.find_first_of("\r\n") != std::string::npos) {
    throw HttpError(std::string("Invalid value for the ") + name + " header.");
  }
  out.append(name).append(": ").append(value).append("\r\n");
}

std::string EncodeBase64(const std::string& bytes) {
  namespace base64 = boost::beast::detail::base64;
  std::string out(base64::encoded_size(bytes.size()), '\0');
  out.resize(base64::encode(out.data(), bytes.data(), bytes.size()));
  return out;
}

std::string BuildGetRequest(const HttpGetRequest& request) {
  std::string out = "GET ";
  out += request.viaProxy ? request.url.AbsoluteTarget() : request.url.target;
  out += " HTTP/1.1\r\n";
  AddHeader(out, "Content-Type", "text/html");
  if (request.cacheControl) AddHeader(out, "Cache-control", "no-cache");
  AddHeader(out, "Host", request.url.HostHeader());
  AddHeader(out, "Accept", "text/html, */*");
  AddHeader(out, "User-Agent", request.userAgent);
  if (request.viaProxy && request.proxyUserName) {
    AddHeader(out, "Proxy-Authorization",
              "Basic " + EncodeBase64(*request.proxyUserName + ":" + request.proxyPassword));
  }
  AddHeader(out, "Cookie", request.cookie);
  out += "\r\n";
  return out;
}

}  // namespace quarlen
