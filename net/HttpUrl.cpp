#include "net/HttpUrl.h"

#include <algorithm>

#include "net/HttpError.h"
#include "platform/AsciiText.h"

namespace quarlen {

std::string HttpUrl::HostHeader() const { return port == 80 ? host : host + ":" + std::to_string(port); }

std::string HttpUrl::AbsoluteTarget() const { return "http://" + host + ":" + std::to_string(port) + target; }

std::string HttpUrl::ConnectHost() const {
  if (host.size() >= 2 && host.front() == '[' && host.back() == ']') return host.substr(1, host.size() - 2);
  return host;
}

HttpUrl ParseHttpUrl(const std::string& url) {
  // Feed entries end up in chart URLs after percent-decoding, so a CR or LF
  // here could otherwise start a header line of its own.
  if (std::any_of(url.begin(), url.end(), [](unsigned char c) { return c < 0x20 || c == 0x7F; })) {
    throw HttpError("Invalid URL: it contains control characters.");
  }
  constexpr std::string_view Scheme = "http://";
  if (!StartsWithIgnoringAsciiCase(url, Scheme)) {
    throw HttpError("Unsupported URL: " + url);
  }
  const std::size_t authorityStart = Scheme.size();
  std::size_t authorityEnd = url.find_first_of("/?#", authorityStart);
  if (authorityEnd == std::string::npos) authorityEnd = url.size();
  const std::string authority = url.substr(authorityStart, authorityEnd - authorityStart);
  if (authority.find('@') != std::string::npos) throw HttpError("Unsupported URL: " + url);

  HttpUrl result;
  std::string portText;
  if (!authority.empty() && authority.front() == '[') {
    const std::size_t close = authority.find(']');
    if (close == std::string::npos) throw HttpError("Invalid URL: " + url);
    result.host = authority.substr(0, close + 1);
    const std::string rest = authority.substr(close + 1);
    if (!rest.empty()) {
      if (rest.front() != ':') throw HttpError("Invalid URL: " + url);
      portText = rest.substr(1);
    }
  } else {
    const std::size_t colon = authority.find(':');
    result.host = authority.substr(0, colon);
    if (colon != std::string::npos) portText = authority.substr(colon + 1);
  }
  if (result.host.empty() || result.host == "[]") throw HttpError("Invalid URL: " + url);
  if (!portText.empty()) {
    if (portText.size() > 5 || !std::all_of(portText.begin(), portText.end(), IsAsciiDigit)) {
      throw HttpError("Invalid port in URL: " + url);
    }
    const unsigned long port = std::stoul(portText);
    if (port == 0 || port > 65535) throw HttpError("Invalid port in URL: " + url);
    result.port = static_cast<std::uint16_t>(port);
  }

  std::size_t targetEnd = url.find('#', authorityEnd);
  if (targetEnd == std::string::npos) targetEnd = url.size();
  result.target = url.substr(authorityEnd, targetEnd - authorityEnd);
  if (result.target.empty() || result.target.front() == '?') result.target.insert(0, "/");
  return result;
}

}  // namespace quarlen
